// Reverse execution in a long session: a C program that keeps the machine busy runs under the
// debug server, at the handheld's own speed of 1,000,000 instructions a second, to a breakpoint
// ten minutes of machine time in; there the server steps back by line and by instruction and
// goes back to the last hit of a breakpoint, each timed from the request to the stop. The same
// run without checkpoints gives the overhead of keeping them (the virtual clock makes both runs
// execute exactly the same instructions).
//
// A session is minutes of work, not a loop of microseconds: a program of its own, not a
// *_bench (bench/run.sh leaves it out).
//   build/bench/reverse_session [--minutes N]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/dap_thread_client.h"
#include "tests/support/temp_dir.h"
#include "tools/vrncc/compiler.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr const char* kProgram = R"(unsigned char buf[200];
int counter;
int work(int n) {
    int i;
    for (i = 0; i < 200; i++) buf[i] = buf[i] + n;
    return n + 1;
}
int main(void) {
    long k;
    for (k = 0; k < LIMIT; k++) counter = work(counter);
    counter = 0;
    for (;;) counter = work(counter);
    return 0;
}
)";
constexpr int kStopLine = 11;  // "counter = 0;", after the loop
constexpr int kWorkLine = 5;
constexpr uint64_t kIps = 1'000'000;

double msSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

struct Built {
    fs::path dir, image, source;
};

Built build(const fs::path& dir, uint64_t limit) {
    Built b{dir, dir / "busy.vrn", dir / "busy.c"};
    std::ofstream(b.source) << kProgram;
    CcOptions options;
    options.debug = true;
    options.defines.push_back({"LIMIT", std::to_string(limit) + "L"});
    const CcResult c = compileC({b.source.string()}, options);
    if (!c.ok()) {
        std::fprintf(stderr, "reverse_session: %s\n", c.diagnostics.c_str());
        std::exit(1);
    }
    std::ofstream(b.image, std::ios::binary)
        .write(reinterpret_cast<const char*>(c.image.data()), std::streamsize(c.image.size()));
    std::ofstream(dir / "busy.dbg") << c.debugInfo;
    return b;
}

uint64_t instructionsNow(Client& c) {
    const json scopes = c.request("scopes", {{"frameId", 1}});
    for (const json& scope : scopes["body"]["scopes"]) {
        if (scope["name"] != "Registers") continue;
        const json vars =
            c.request("variables", {{"variablesReference", scope["variablesReference"]}});
        for (const json& v : vars["body"]["variables"])
            if (v["name"] == "instructions") return std::stoull(v["value"].get<std::string>());
    }
    return 0;
}

struct Run {
    double seconds = 0;
    double cpuSeconds = 0;  // of the whole process: less disturbed by other work on the machine
    uint64_t instructions = 0;
};

// To the breakpoint after the loop; then `atStop` while stopped there.
Run runToStop(const Built& b, bool history, const std::function<void(ServedSession&)>& atStop) {
    ReverseSettings settings;
    if (!history) settings.instructions = settings.frames = ~uint64_t(0) / 2;
    const json launch = {{"program", b.image.string()},
                         {"args",
                          {"--fonts", (b.dir / "fonts.dat").string(), "--root", b.dir.string(),
                           "--ips", std::to_string(kIps), "--max-instructions", "4000000000"}}};
    Clock::time_point start;
    std::clock_t cpuStart = 0;
    ServedSession s(settings, launch, [&](Client& c) {
        c.request("setBreakpoints", {{"source", {{"path", b.source.string()}}},
                                     {"breakpoints", {{{"line", kStopLine}}}}});
        start = Clock::now();
        cpuStart = std::clock();
    });
    s.link.timeout = std::chrono::seconds(3600);
    s.client.event({"stopped"});
    Run r;
    r.seconds = msSince(start) / 1000;
    r.cpuSeconds = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    r.instructions = instructionsNow(s.client);
    if (atStop) atStop(s);
    return r;
}

void report(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    std::printf("%-34s median %7.2f ms  max %7.2f ms  (%zu)\n", what, ms[ms.size() / 2], ms.back(),
                ms.size());
}

}  // namespace
}  // namespace corvane::test

int main(int argc, char** argv) {
    using namespace corvane::test;
    double minutes = 10;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--minutes") minutes = std::atof(argv[i + 1]);
    corvane::test::TempDir dir("corvane-bench");
    std::ofstream(dir / "fonts.dat") << "";
    // Instructions a round of the loop takes, from a short run.
    const uint64_t probe = 200;
    const uint64_t perRound = runToStop(build(dir.path(), probe), false, {}).instructions / probe;
    const uint64_t rounds = uint64_t(minutes * 60 * kIps) / std::max<uint64_t>(perRound, 1);
    const Built b = build(dir.path(), rounds);

    const Run plain = runToStop(b, false, {});
    std::vector<double> line, instruction, breakpoint;
    size_t checkpoints = 0, bytes = 0;
    double inCheckpoints = 0;
    const Run kept = runToStop(b, true, [&](ServedSession& s) {
        Client& c = s.client;
        checkpoints = s.session.checkpoints().count();
        bytes = s.session.checkpoints().bytes();
        inCheckpoints = s.session.checkpointSeconds();
        auto timed = [&](const char* command, json args, std::vector<double>& into) {
            const Clock::time_point t = Clock::now();
            c.request(command, args);
            c.event({"stopped"});
            into.push_back(msSince(t));
        };
        for (int i = 0; i < 9; ++i) timed("stepBack", {{"threadId", 1}}, line);
        for (int i = 0; i < 9; ++i)
            timed("stepBack", {{"threadId", 1}, {"granularity", "instruction"}}, instruction);
        c.request("setBreakpoints", {{"source", {{"path", b.source.string()}}},
                                     {"breakpoints", {{{"line", kWorkLine}}}}});
        for (int i = 0; i < 9; ++i) timed("reverseContinue", {{"threadId", 1}}, breakpoint);
    });
    std::printf("session: %.1f minutes of machine time, %llu instructions at %llu a second\n",
                double(kept.instructions) / double(kIps) / 60,
                static_cast<unsigned long long>(kept.instructions),
                static_cast<unsigned long long>(kIps));
    std::printf("run to the stop without checkpoints %8.2f s (processor %8.2f s)\n", plain.seconds,
                plain.cpuSeconds);
    std::printf(
        "run to the stop with checkpoints    %8.2f s (processor %8.2f s)  %+.2f %% (%+.2f %%)\n",
        kept.seconds, kept.cpuSeconds, 100.0 * (kept.seconds - plain.seconds) / plain.seconds,
        100.0 * (kept.cpuSeconds - plain.cpuSeconds) / plain.cpuSeconds);
    std::printf("checkpoints: %zu, %.1f MiB, %.3f s taking them (%.2f %% of the run's %.2f s)\n",
                checkpoints, double(bytes) / (1 << 20), inCheckpoints,
                100.0 * inCheckpoints / kept.seconds, kept.seconds);
    report("step back (line)", line);
    report("step back (instruction)", instruction);
    report("reverse continue (breakpoint)", breakpoint);
    return plain.instructions == kept.instructions ? 0 : 1;
}
