// vrndbg: a command-line debugger for the simulator's debugger link. It makes the link (a free
// port of 127.0.0.1, or on Windows a window of its own for corvane.exe), starts the simulator
// (corvane, or corvane-run with --runner) on an image with "/W" naming the link and "/S" the
// first stop value, and then shows each stop. With --dap it is a client of the simulator's debug
// server instead, which sees the whole machine and runs backwards too.

#include <unistd.h>

#include <climits>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "library/path.h"
#include "shared/process.h"
#include "tools/vrndbg/dap_client.h"
#include "tools/vrndbg/dap_debugger.h"
#include "tools/vrndbg/dap_server_process.h"
#include "tools/vrndbg/interrupt.h"
#include "tools/vrndbg/memory_view.h"
#include "tools/vrndbg/session.h"
#include "tools/vrndbg/simulator_process.h"
#include "tools/vrndbg/source_debugger.h"
#include "tools/vrndbg/transport_choice.h"

#ifndef CORVANE_VERSION
#define CORVANE_VERSION "0"
#endif

namespace {

namespace fs = std::filesystem;

const char* kUsage =
    "usage: vrndbg [--runner] [--sim PROGRAM] [--stop N] IMAGE [SIMULATOR-ARGS...]\n"
    "       vrndbg --dap [--sim PROGRAM] IMAGE [RUNNER-OPTIONS...]\n"
    "       vrndbg --dap-port N IMAGE [RUNNER-OPTIONS...]\n"
    "Starts the simulator on IMAGE attached to this debugger and shows each stop at a line\n"
    "marker. With the image's debug information (IMAGE.dbg, from vrncc -g) it is a source\n"
    "debugger: break, continue, step, next, finish, print, bt, info locals (help lists them).\n"
    "Commands (from a terminal or a pipe):\n"
    "  x ADDR [COUNT]   bytes of the data area snapshot; xw ints, xl longs\n"
    "  c [STOP]         resume: -2 every line, 0 same function, N line N, -1 run free\n"
    "  s, n             c -2, c 0\n"
    "  q                quit; the program runs on freely\n"
    "\n"
    "  --dap            debug through the debug server of corvane-run --dap, which has the\n"
    "                   whole machine: gdb's commands (break, watch, print/x, x/FMT, set var,\n"
    "                   reverse-step, ...; help lists them); RUNNER-OPTIONS such as --keys go\n"
    "                   to corvane-run\n"
    "  --dap-port N     the same through a debug server already listening on 127.0.0.1:N\n"
    "  --runner         start corvane-run (no window) instead of corvane\n"
    "  --sim PROGRAM    the simulator to start\n"
    "  --stop N         the first stop value (default 0: the first line marker)\n"
    "  --help, --version\n"
    "\n"
    "Exit status: 0 the session ended, 1 a usage error or the link failed, else the status of\n"
    "a simulator that ended by failing (corvane-run: 1 image not loaded, 2 limit, 3 fault).\n";

constexpr int kAttachTimeoutMs = 30000;

// The simulator beside this executable when it is there (build tree, installed, the Windows
// folder), else by name. It carries our own extension (".exe" on Windows).
std::string findSimulator(const std::string& name) {
    std::error_code ec;
    const fs::path self = corvane::executablePath();
    const fs::path beside =
        self.parent_path() / corvane::hostFsPath(name + corvane::hostPathText(self.extension()));
    return fs::exists(beside, ec) ? corvane::hostPathText(beside) : name;
}

// The image's debug information when it is beside it and readable; `dir` receives its folder,
// where sources are also looked for.
std::optional<corvane::DebugInfo> loadDebugInfo(const std::string& image, std::string& dir) {
    const std::string path = corvane::debugInfoPath(image);
    std::ifstream in(corvane::hostFsPath(path), std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    std::string error;
    auto info = corvane::readDebugInfo(text.str(), &error);
    if (!info) {
        std::fprintf(stderr, "vrndbg: %s: %s; debugging without source\n", path.c_str(),
                     error.c_str());
        return std::nullopt;
    }
    // An assembly program's records name only its markers' files, which the debug server
    // reads itself: vrndbg goes by line values, as without them.
    if (!info->describesC()) return std::nullopt;
    std::error_code ec;
    dir = corvane::hostPathText(fs::absolute(corvane::hostFsPath(path), ec).parent_path());
    return info;
}

// The source debugger when the image has debug information beside it; without it (or with a
// file that cannot be read) the debugger works on line values and memory alone.
std::unique_ptr<corvane::SourceDebugger> loadSource(const std::string& image) {
    std::string dir;
    std::optional<corvane::DebugInfo> info = loadDebugInfo(image, dir);
    if (!info) return nullptr;
    return std::make_unique<corvane::SourceDebugger>(std::move(*info), dir);
}

// A session through the debug server: started here (`port` 0) or listening on `port`.
int debugOverServer(const std::string& sim, int port, const std::string& image,
                    const std::vector<std::string>& runnerArgs) {
    // Ctrl+C pauses the program from now on, instead of ending vrndbg.
    corvane::catchInterrupts();
    std::string dir;
    const std::optional<corvane::DebugInfo> info = loadDebugInfo(image, dir);
    corvane::DapServerProcess server;
    std::string error;
    const int fd = port ? corvane::connectDapServer(port) : server.start(sim, error);
    if (fd < 0) {
        if (port) error = "nobody listens on 127.0.0.1:" + std::to_string(port);
        std::fprintf(stderr, "vrndbg: %s\n", error.c_str());
        return 1;
    }
    int status = 0;
    {
        corvane::DapClient client(fd);
        corvane::DapDebugger debugger(client, info ? &*info : nullptr, dir, stdout, isatty(0) != 0);
        std::error_code ec;
        // The server may run in another folder: the image by its whole path.
        const std::string whole =
            corvane::hostPathText(fs::absolute(corvane::hostFsPath(image), ec));
        status = debugger.run({whole, runnerArgs});
    }
    // The server ends once its client has left.
    if (!port) server.wait();
    return status < 0 ? 1 : status;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef SIGPIPE
    signal(SIGPIPE, SIG_IGN);
#endif
    corvane::Utf8Arguments utf8(argc, argv);
    argc = utf8.count();
    argv = utf8.values();
    bool runner = false;
    bool dap = false;
    int dapPort = 0;
    std::string sim;
    int64_t stopValue = 0;
    std::string image;
    std::vector<std::string> extra;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!image.empty()) {
            extra.push_back(arg);
        } else if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "--version") {
            std::printf("vrndbg %s\n", CORVANE_VERSION);
            return 0;
        } else if (arg == "--runner") {
            runner = true;
        } else if (arg == "--dap") {
            dap = true;
        } else if (arg == "--dap-port" && i + 1 < argc) {
            auto v = corvane::parseNumber(argv[++i]);
            if (!v || *v < 1 || *v > 65535) {
                std::fprintf(stderr, "vrndbg: not a port number: %s\n%s", argv[i], kUsage);
                return 1;
            }
            dap = true;
            dapPort = int(*v);
        } else if (arg == "--sim" && i + 1 < argc) {
            sim = argv[++i];
        } else if (arg == "--stop" && i + 1 < argc) {
            auto v = corvane::parseNumber(argv[++i]);
            if (!v || *v < INT32_MIN || *v > UINT32_MAX) {
                std::fprintf(stderr, "vrndbg: not a stop value: %s\n%s", argv[i], kUsage);
                return 1;
            }
            stopValue = *v;
        } else if (arg.rfind("--", 0) == 0) {
            std::fprintf(stderr, "vrndbg: unknown option %s\n%s", arg.c_str(), kUsage);
            return 1;
        } else {
            image = arg;
        }
    }
    if (image.empty()) {
        std::fprintf(stderr, "vrndbg: no program image\n%s", kUsage);
        return 1;
    }
    if (sim.empty()) sim = findSimulator(runner || dap ? "corvane-run" : "corvane");
    if (dap) return debugOverServer(sim, dapPort, image, extra);
    std::unique_ptr<corvane::SourceDebugger> source = loadSource(image);

    corvane::SimulatorLink choice = corvane::makeTransport(runner);
    corvane::DebugTransport* link = choice.transport.get();
    const std::string address = link->prepare();
    if (address.empty()) {
        std::fprintf(stderr, "vrndbg: cannot make the debugger link\n");
        return 1;
    }
    // "/S" takes decimal digits only: a negative stop value travels as its 32-bit pattern.
    std::vector<std::string> args = {"/W" + address, "/S" + std::to_string(uint32_t(stopValue))};
    if (choice.wholeLine) {
        args.insert(args.end(), extra.begin(), extra.end());
        args.push_back("/R" + image);
    } else {
        args.push_back(image);
        args.insert(args.end(), extra.begin(), extra.end());
    }
    corvane::SimulatorProcess child;
    if (!child.start(sim, args, choice.wholeLine)) {
        std::fprintf(stderr, "vrndbg: cannot start %s\n", sim.c_str());
        return 1;
    }
    switch (link->attach(child, kAttachTimeoutMs)) {
        case corvane::DebugTransport::Attach::Attached:
            break;
        case corvane::DebugTransport::Attach::Ended:
            std::fprintf(stderr, "vrndbg: the simulator ended before attaching (status %d)\n",
                         child.wait());
            return 1;
        case corvane::DebugTransport::Attach::TimedOut:
        case corvane::DebugTransport::Attach::Failed:
            std::fprintf(stderr, "vrndbg: the simulator did not attach\n");
            return 1;
    }

    corvane::DebugSession session(*link, int32_t(uint32_t(stopValue)), stdout, isatty(0) != 0);
    if (source) session.setSourceDebugger(source.get());
    const int result = session.run();
    // The exit notice is the simulator's last act, so waiting for it cannot hang. A simulator
    // that failed (an image it could not load, a fault) makes the debugger fail with its status.
    if (result == 0 && session.simulatorExited()) {
        const int code = child.wait();
        if (code != 0) {
            std::fprintf(stderr, "vrndbg: the simulator ended with status %d\n", code);
            return code;
        }
    }
    return result;
}
