#include "tools/vrndbg/dap_debugger.h"

#include "tools/vrndbg/interrupt.h"

namespace corvane {

using json = nlohmann::json;

namespace {

constexpr int kThread = 1;
constexpr int kRunningWaitMs = 100;  // how soon Ctrl+C is noticed while the program runs

// The commands an empty line repeats.
bool repeatable(const std::string& line) {
    const size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos) return false;
    const std::string word = line.substr(start, line.find_first_of(" \t/", start) - start);
    for (const char* w : {"n", "next", "s", "step", "ni", "nexti", "si", "stepi", "x", "l", "list",
                          "c", "continue", "rn", "rs", "rni", "rsi", "rc"})
        if (word == w) return true;
    return word.rfind("reverse-", 0) == 0;
}

}  // namespace

DapDebugger::DapDebugger(DapClient& client, const DebugInfo* info, std::string sourceDir,
                         std::FILE* out, bool interactive)
    : client_(client),
      info_(info),
      sourceDir_(std::move(sourceDir)),
      out_(out),
      interactive_(interactive),
      breakpoints_(client, info) {}

void DapDebugger::print(const std::string& text) {
    std::fputs(text.c_str(), out_);
    std::fflush(out_);
}

bool DapDebugger::start(const DapLaunch& launch) {
    DapResponse r = client_.request("initialize", {{"clientID", "vrndbg"},
                                                   {"adapterID", "corvane"},
                                                   {"linesStartAt1", true},
                                                   {"columnsStartAt1", true},
                                                   {"pathFormat", "path"}});
    if (!r.success) {
        std::fprintf(stderr, "vrndbg: the debug server: %s\n", r.message.c_str());
        return false;
    }
    r = client_.request(
        "launch", {{"program", launch.image}, {"args", launch.runnerArgs}, {"stopOnEntry", false}});
    if (!r.success) {
        std::fprintf(stderr, "vrndbg: %s: %s\n", launch.image.c_str(), r.message.c_str());
        return false;
    }
    // Faults stop the program where they happen, with its stack.
    client_.request("setExceptionBreakpoints", {{"filters", json::array({"faults"})}});
    state_ = State::Configuring;
    return true;
}

int DapDebugger::run(const DapLaunch& launch) {
    if (!console_.start() || !start(launch)) return -1;
    for (;;) {
        while (std::optional<json> e = client_.nextEvent()) handleEvent(*e);
        if (!client_.connected()) {
            if (state_ != State::Ended) print("the debug server was lost\n");
            return state_ == State::Ended ? exitCode_ : -1;
        }
        // Commands run while the program is not running; from a terminal whenever typed.
        if (input_.hasLine() && (state_ != State::Running || interactive_)) {
            std::string line = input_.take();
            if (!interactive_) print("(vrndbg) " + line + "\n");
            prompted_ = false;
            // In a terminal an empty line repeats the last step, x or list: they go on.
            if (interactive_ && line.find_first_not_of(" \t") == std::string::npos)
                line = lastLine_;
            lastLine_ = repeatable(line) ? line : "";
            if (!command(line)) return exitCode_;
            continue;
        }
        if (input_.ended() && !input_.hasLine() && state_ != State::Running) {
            quit(true);
            return exitCode_;
        }
        if (interactive_ && state_ != State::Running && !prompted_) {
            print("(vrndbg) ");
            prompted_ = true;
        }
        if (takeInterrupt() && state_ == State::Running) {
            const DapResponse r = client_.request("pause", {{"threadId", kThread}});
            if (!r.success) print(r.message + "\n");
        }
        client_.wait(input_, console_, state_ == State::Running ? kRunningWaitMs : -1);
    }
}

void DapDebugger::handleEvent(const json& e) {
    const std::string name = e.value("event", "");
    const json body = e.contains("body") && e["body"].is_object() ? e["body"] : json::object();
    if (name == "stopped") {
        stopped(body);
    } else if (name == "output") {
        const std::string text = body.value("output", "");
        if (body.value("category", "console") == "stdout") {
            print(text);
        } else {
            std::fputs(text.c_str(), stderr);
            std::fflush(stderr);
        }
    } else if (name == "exited") {
        exitCode_ = body.value("exitCode", 0);
        print(exitCode_ == 0 ? "[program exited normally]\n"
                             : "[program exited with code " + std::to_string(exitCode_) + "]\n");
    } else if (name == "terminated") {
        state_ = State::Ended;
        frames_.clear();
        repeat_ = 0;
    }
}

void DapDebugger::quit(bool endProgram) {
    if (client_.connected())
        client_.request("disconnect", {{"terminateDebuggee", endProgram}}, 5000);
}

bool DapDebugger::needStop() {
    if (state_ == State::Stopped && !frames_.empty()) return true;
    if (state_ == State::Stopped) {
        print("No stack.\n");
        return false;
    }
    print(state_ == State::Running ? "The program is running.\n"
                                   : "The program is not being run.\n");
    return false;
}

void DapDebugger::go(const std::string& request, const json& arguments) {
    if (!needStop()) return;
    const DapResponse r = client_.request(request, arguments);
    if (!r.success) {
        print(r.message + "\n");
        nextHeader_ = Header::IfMoved;
        repeat_ = 0;
        return;
    }
    state_ = State::Running;
    frames_.clear();
    variables_.clear();
    reversing_ = request == "stepBack" || request == "reverseContinue";
}

void DapDebugger::runProgram() {
    if (state_ == State::Configuring) {
        const DapResponse r = client_.request("configurationDone");
        if (!r.success) {
            print(r.message + "\n");
            return;
        }
        state_ = State::Running;
        return;
    }
    if (state_ == State::Ended) {
        print("The program has ended; start vrndbg again to run it once more.\n");
        return;
    }
    // Running or stopped: the same program again from its start, breakpoints kept.
    const DapResponse r = client_.request("restart");
    if (!r.success) {
        print(r.message + "\n");
        return;
    }
    state_ = State::Running;
    frames_.clear();
    variables_.clear();
}

void DapDebugger::resume(const std::string& word, const std::string& arg) {
    const json thread = {{"threadId", kThread}};
    json byInstruction = thread;
    byInstruction["granularity"] = "instruction";
    if (word == "c" || word == "continue") {
        if (state_ == State::Configuring) return runProgram();
        return go("continue", thread);
    }
    const bool byLine = word == "n" || word == "next" || word == "s" || word == "step";
    const bool instructions = word == "si" || word == "stepi" || word == "ni" || word == "nexti";
    if (byLine || instructions) {
        int count = 1;
        if (!arg.empty()) {
            try {
                count = std::stoi(arg);
            } catch (...) {
                count = 0;
            }
            if (count < 1) {
                print("Argument required (a number of steps).\n");
                return;
            }
        }
        repeatRequest_ = word[0] == 'n' ? "next" : "stepIn";
        repeatArguments_ = byLine ? thread : byInstruction;
        repeat_ = count - 1;
        return go(repeatRequest_, repeatArguments_);
    }
    if (word == "finish" || word == "fin" || word == "reverse-finish") {
        if (!needStop()) return;
        if (frames_.size() < 2) {
            print("\"" + word + "\" not meaningful in the outermost frame.\n");
            return;
        }
        const bool back = word == "reverse-finish";
        print((back ? "Run back to call of #0 " : "Run till exit from #0 ") + frameLine(0, true) +
              "\n");
        nextHeader_ = Header::Always;
        json a = thread;
        if (back) a["kind"] = "stepOut";
        return go(back ? "stepBack" : "stepOut", a);
    }
    if (word == "reverse-step" || word == "rs" || word == "reverse-next" || word == "rn") {
        json a = thread;
        a["kind"] = word == "reverse-step" || word == "rs" ? "stepIn" : "next";
        return go("stepBack", a);
    }
    if (word == "reverse-stepi" || word == "rsi" || word == "reverse-nexti" || word == "rni")
        return go("stepBack", byInstruction);
    if (word == "reverse-continue" || word == "rc") return go("reverseContinue", thread);
    print("Undefined command: \"" + word + "\".  Try \"help\".\n");
}

void DapDebugger::stopped(const json& body) {
    state_ = State::Stopped;
    variables_.clear();
    selected_ = 0;
    const bool reversing = reversing_;
    reversing_ = false;
    if (!loadFrames()) {
        print("Program stopped.\n");
        return;
    }
    const std::string reason = body.value("reason", "");
    std::vector<UserBreakpoint*> hits = breakpoints_.hit(body, frames_[0].pc);
    Header header = nextHeader_;
    nextHeader_ = Header::IfMoved;
    std::string text;
    bool headed = false;
    if (!hits.empty() && hits[0]->kind != UserBreakpoint::Kind::Watch) {
        text += std::string(hits[0]->temporary ? "Temporary breakpoint " : "Breakpoint ") +
                std::to_string(hits[0]->number) + ", " + frameLine(0, true) + "\n";
        headed = true;
    } else if (reason == "data breakpoint") {
        for (UserBreakpoint* w : hits) {
            std::string error;
            const std::string now = evaluate(w->valueOf, error).value_or("<" + error + ">");
            text += "Watchpoint " + std::to_string(w->number) + ": " + w->expression +
                    "\nOld value = " + w->lastValue + "\nNew value = " + now + "\n";
            w->lastValue = now;
        }
        header = Header::Always;
    } else if (reason == "pause") {
        text += "Program received signal SIGINT, Interrupt.\n";
        header = Header::Always;
    } else if (reason == "exception") {
        text += "Program stopped by a fault: " + body.value("text", std::string("?")) + "\n";
        header = Header::Always;
    } else if (reason == "entry") {
        if (reversing) text += "No more reverse-execution history.\n";
        header = Header::Always;
    }
    const Frame& top = frames_[0];
    const bool moved = top.name != shownFunction_ || frames_.size() != shownDepth_;
    if (!headed && (header == Header::Always || moved)) {
        text += frameLine(0, true) + "\n";
        headed = true;
    }
    text += headed ? sourceLine(top) : sourceLine(top, true);
    print(text);
    shownFunction_ = top.name;
    shownDepth_ = frames_.size();
    listPath_ = top.path;
    listNext_ = 0;
    // A temporary breakpoint goes once it has stopped the program.
    std::vector<int> used;
    for (const UserBreakpoint* bp : hits)
        if (bp->temporary) used.push_back(bp->number);
    if (!used.empty()) print(breakpoints_.remove(used));
    if (repeat_ > 0 && reason == "step") {
        --repeat_;
        go(repeatRequest_, repeatArguments_);
    } else {
        repeat_ = 0;
    }
}

}  // namespace corvane
