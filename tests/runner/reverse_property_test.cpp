// Reverse execution against the run going forward. Random programs (with scripted keys, on a
// clock slow enough that frames, key scans and delays come every few instructions) are stepped
// one instruction at a time under the debug server, the whole machine noted at every stop:
// registers, the instruction count and all 64 KiB of memory. Then the server is sent back: to the
// last hit of an instruction breakpoint, a few steps forward again, and step by step back to the
// start; every landing must be the machine the forward run saw at that instruction count. With
// checkpoints every few instructions, so the landings are rebuilt from differences as well as
// from whole states.
//
// And input logs: a run recorded with --record-input and replayed with --replay ends with the
// same memory, registers and exit status; a log of another image is refused.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "host/dap_session.h"
#include "host/platform/headless/runner.h"
#include "support/dap_thread_client.h"
#include "support/random_program.h"
#include "support/temp_dir.h"
#include "tests/host/app_test_files.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

// What a stop shows of the machine.
struct Seen {
    uint64_t count = 0;
    std::string registers;  // "pc=...;fp=...;..."
    std::string pc;
    std::vector<uint8_t> memory;
    std::string reason;
};

Seen look(Client& c, const std::string& reason) {
    Seen s;
    s.reason = reason;
    const json scopes = c.request("scopes", {{"frameId", 1}});
    int registers = 0;
    for (const json& scope : scopes["body"]["scopes"])
        if (scope["name"] == "Registers") registers = scope["variablesReference"].get<int>();
    const json vars = c.request("variables", {{"variablesReference", registers}});
    for (const json& v : vars["body"]["variables"]) {
        const std::string name = v["name"].get<std::string>();
        const std::string value = v["value"].get<std::string>();
        if (name == "instructions") s.count = std::stoull(value);
        if (name == "pc") s.pc = value;
        s.registers += name + "=" + value + ";";
    }
    const json mem = c.request("readMemory", {{"memoryReference", "0x0000"}, {"count", 65536}});
    s.memory = unbase64(mem["body"]["data"].get<std::string>());
    return s;
}

// The index of the forward stop the server must land on when it goes back to `count`: the first
// one at that count (later stops at the same count only waited for a key).
size_t firstAt(const std::vector<Seen>& stops, uint64_t count) {
    for (size_t i = 0; i < stops.size(); ++i)
        if (stops[i].count == count) return i;
    return stops.size();
}

::testing::AssertionResult same(const Seen& landed, const Seen& expected) {
    if (landed.registers != expected.registers)
        return ::testing::AssertionFailure()
               << "registers " << landed.registers << ", forward " << expected.registers;
    for (size_t i = 0; i < expected.memory.size(); ++i) {
        if (i >= landed.memory.size() || landed.memory[i] != expected.memory[i])
            return ::testing::AssertionFailure()
                   << "memory differs at byte " << i << " (count " << expected.count << ")";
    }
    return ::testing::AssertionSuccess();
}

std::string randomKeys(std::mt19937& rng) {
    std::string keys;
    uint64_t frame = 1;
    const char* names[] = {"a", "enter", "7", "up", "space"};
    for (int i = 0; i < 6; ++i) {
        frame += 1 + rng() % 4;
        keys += std::to_string(frame) + ":" + names[rng() % 5] + " ";
    }
    return keys;
}

// The sanitizer build takes half the programs: it looks for memory faults, which the first
// programs find as well as all of them; the optimised builds run the whole set.
#ifdef CORVANE_SANITIZED
constexpr int kReversePrograms = 6;
#else
constexpr int kReversePrograms = 12;
#endif

TEST(ReverseExecution, LandsWhereTheForwardRunWas) {
    TempDir dir;
    writeText(dir / "fonts.dat", "");
    fs::create_directories(dir / "root");
    std::mt19937 rng(20261210);
    int exercised = 0, landings = 0;
    for (int p = 0; p < kReversePrograms; ++p) {
        const fs::path image = dir / ("p" + std::to_string(p) + ".vrn");
        writeBytes(image, randomProgram(rng, true));
        ReverseSettings settings;
        settings.instructions = 1 + rng() % 40;
        settings.frames = 1 + rng() % 4;
        settings.keyEvery = 1 + rng() % 5;
        const json launch = {
            {"program", image.string()},
            {"stopOnEntry", true},
            {"args",
             {"--fonts", (dir / "fonts.dat").string(), "--root", (dir / "root").string(), "--ips",
              "1200", "--keys", randomKeys(rng)}}};
        ServedSession s(settings, launch);
        Client& c = s.client;
        json stop = c.event({"stopped"});
        ASSERT_FALSE(stop.is_null());
        std::vector<Seen> stops{look(c, "entry")};
        bool ended = false;
        const int steps = 30 + int(rng() % 90);
        for (int i = 0; i < steps; ++i) {
            c.request("stepIn", {{"threadId", 1}, {"granularity", "instruction"}});
            stop = c.event({"stopped", "exited"});
            ASSERT_FALSE(stop.is_null());
            if (stop["event"] == "exited") {
                ended = true;
                break;
            }
            stops.push_back(look(c, stop["body"]["reason"].get<std::string>()));
            if (stops.back().reason == "exception") break;
        }
        if (ended || stops.size() < 4) continue;
        ++exercised;
        // Where going back starts: before the instruction stopped at, or after the one that
        // faulted (the stop before it stood at that instruction).
        auto position = [&](const Seen& at, size_t index) {
            return at.reason == "exception" ? stops[index - 1].count + 1 : at.count;
        };

        // Back to the last hit of an instruction breakpoint on the pc of an earlier stop.
        const size_t last = stops.size() - 1;
        const size_t j = rng() % last;
        const uint32_t address = uint32_t(std::stoul(stops[j].pc, nullptr, 16));
        // A pc past the image's end (where a program faults) takes no breakpoint: then nothing
        // stops the way back before the start.
        const json set = c.request("setInstructionBreakpoints",
                                   {{"breakpoints", {{{"instructionReference", stops[j].pc}}}}});
        const bool placed = set["body"]["breakpoints"][0].value("verified", false);
        uint64_t lastHit = 0;
        const uint64_t from = position(stops[last], last);
        for (const Seen& seen : stops)
            if (placed && seen.count < from &&
                uint32_t(std::stoul(seen.pc, nullptr, 16)) == address)
                lastHit = seen.count;
        c.request("reverseContinue", {{"threadId", 1}});
        stop = c.event({"stopped"});
        ASSERT_FALSE(stop.is_null());
        size_t at = firstAt(stops, lastHit);
        Seen landed = look(c, stop["body"]["reason"].get<std::string>());
        ASSERT_TRUE(same(landed, stops[at]))
            << "program " << p << ", reverse continue to " << lastHit << " from " << from;
        c.request("setInstructionBreakpoints", {{"breakpoints", json::array()}});
        ++landings;

        // Forward again: the same stops follow.
        for (int k = 0; k < 3 && at + 1 < stops.size() && stops[at + 1].reason != "exception";
             ++k) {
            c.request("stepIn", {{"threadId", 1}, {"granularity", "instruction"}});
            stop = c.event({"stopped"});
            landed = look(c, stop["body"]["reason"].get<std::string>());
            ++at;
            ASSERT_TRUE(same(landed, stops[at]))
                << "program " << p << ", forward again to stop " << at;
        }

        // Step by step back to the start.
        uint64_t here = landed.count;
        while (true) {
            c.request("stepBack", {{"threadId", 1}, {"granularity", "instruction"}});
            stop = c.event({"stopped"});
            ASSERT_FALSE(stop.is_null());
            landed = look(c, stop["body"]["reason"].get<std::string>());
            const uint64_t expected = here == 0 ? 0 : here - 1;
            ASSERT_EQ(landed.count, expected) << "program " << p;
            ASSERT_TRUE(same(landed, stops[firstAt(stops, expected)]))
                << "program " << p << ", step back to " << expected;
            ++landings;
            if (here == 0) break;
            here = expected;
        }
    }
    EXPECT_GE(exercised,
              kReversePrograms / 2);  // enough programs lived long enough to mean something
    EXPECT_GE(landings, kReversePrograms * 50 / 3);
}

// A recorded run and its replay end in the same state; the replay of another image's log is
// refused.
TEST(InputLogReplay, EndsInTheRecordedState) {
    TempDir dir;
    writeText(dir / "fonts.dat", "");
    fs::create_directories(dir / "root");
    std::mt19937 rng(7);
    auto run = [&](std::vector<std::string> args, std::string& err) {
        std::FILE* out = std::tmpfile();
        std::FILE* errFile = std::tmpfile();
        std::vector<std::string> all = {"--fonts", (dir / "fonts.dat").string(), "--root",
                                        (dir / "root").string(), "--regs"};
        all.insert(all.end(), args.begin(), args.end());
        const int status = runHeadless(all, out, errFile);
        std::rewind(out);
        std::string text;
        char buf[512];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, out)) > 0) text.append(buf, n);
        std::rewind(errFile);
        err.clear();
        while ((n = std::fread(buf, 1, sizeof buf, errFile)) > 0) err.append(buf, n);
        std::fclose(out);
        std::fclose(errFile);
        return std::make_pair(status, text);
    };
    int replayed = 0;
    for (int p = 0; p < 20; ++p) {
        const fs::path image = dir / "prog.vrn";
        writeBytes(image, randomProgram(rng, true));
        const std::string keys = randomKeys(rng);
        std::string err;
        const auto recorded =
            run({"--ips", std::to_string(500 + rng() % 3000), "--keys", keys, "--max-frames",
                 std::to_string(10 + rng() % 30), "--record-input", (dir / "log").string(),
                 "--dump-mem", (dir / "a.mem").string(), image.string()},
                err);
        ASSERT_NE(recorded.first, kRunUsage) << err;
        const auto again = run({"--replay", (dir / "log").string(), "--dump-mem",
                                (dir / "b.mem").string(), image.string()},
                               err);
        EXPECT_EQ(again.first, recorded.first) << "program " << p << ": " << err << "\n"
                                               << readText(dir / "log");
        EXPECT_EQ(again.second, recorded.second) << "program " << p;
        EXPECT_EQ(readText(dir / "a.mem"), readText(dir / "b.mem")) << "program " << p;
        ++replayed;
    }
    EXPECT_EQ(replayed, 20);

    // The log names the image it was recorded with; another one is not replayed into.
    writeBytes(dir / "other.vrn", randomProgram(rng));
    std::string err;
    const auto refused =
        run({"--replay", (dir / "log").string(), (dir / "other.vrn").string()}, err);
    EXPECT_EQ(refused.first, kRunUsage);
    EXPECT_NE(err.find("recorded with another program image"), std::string::npos) << err;
}

}  // namespace
}  // namespace corvane::test
