// vrndbg's commands over the debug server, under gdb's names: what each line typed does, and
// the breakpoint and watchpoint commands.

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "tools/vrndbg/dap_debugger.h"

namespace corvane {

using json = nlohmann::json;

namespace {

const char* kHelp =
    "run, r                  start the program (again, from its start, when it runs)\n"
    "start                   run to the start of main\n"
    "continue, c             run on; Ctrl+C (or interrupt) stops it where it is\n"
    "next [N], step [N]      the next source line, over calls (n) or into them (s)\n"
    "nexti, stepi            the next instruction (ni, si)\n"
    "finish                  run until the current function returns\n"
    "reverse-next, reverse-step, reverse-stepi, reverse-continue, reverse-finish\n"
    "                        the same backwards (rn, rs, rsi, rc): back to the previous line,\n"
    "                        into the last line of a call, the previous instruction, the last\n"
    "                        breakpoint or watchpoint hit, the call of this function\n"
    "break LOC [if COND]     stop at FILE:LINE, LINE, FUNCTION or *ADDRESS (b); tbreak: once\n"
    "watch EXPR              stop right after the memory EXPR names changes\n"
    "delete [N...]           remove breakpoints (all without N); disable, enable [N...]\n"
    "condition N [COND]      stop at breakpoint N only when COND holds (none: always)\n"
    "info breakpoints        the breakpoints and watchpoints (info watchpoints: those alone)\n"
    "print[/F] EXPR          a C expression in the selected frame (p); F: x d u c s;\n"
    "                        print VAR = VALUE assigns\n"
    "set var EXPR = VALUE    change a variable, an element, a member, memory\n"
    "x/NFU ADDR              N units U (b h w) from ADDR in format F (x d u o t c s i)\n"
    "bt [N]                  the frames of the stop (backtrace, where)\n"
    "frame [N], up [N], down [N]  select a frame for print, info and list (f)\n"
    "info locals, info args  the selected frame's variables\n"
    "info registers [NAME]   the machine's registers and its instruction count\n"
    "list [LOC|A,B|-]        source lines around a place, or the next (previous) ten (l)\n"
    "kill                    end the program; detach: leave it running without vrndbg\n"
    "quit                    end the program and vrndbg (q)\n";

std::string trim(const std::string& s) {
    const size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos) return "";
    return s.substr(a, s.find_last_not_of(" \t") - a + 1);
}

bool isNumber(const std::string& s) {
    return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

std::vector<int> DapDebugger::numbers(const std::string& arg) {
    std::vector<int> out;
    std::istringstream in(arg);
    std::string word;
    while (in >> word) {
        if (!isNumber(word) || word.size() > 6) {
            print("Not a breakpoint number: " + word + "\n");
            return {-1};
        }
        out.push_back(std::atoi(word.c_str()));
    }
    return out;
}

void DapDebugger::breakCommand(const std::string& arg, bool temporary) {
    std::string place = trim(arg), condition;
    const size_t cond = (" " + place + " ").find(" if ");
    if (cond != std::string::npos) {
        condition = trim(place.substr(std::min(place.size(), cond + 3)));
        place = trim(place.substr(0, cond));
    }
    // A file as the server knows it: the name the debug information records.
    auto fileKey = [this](const std::string& name) -> std::string {
        if (!info_) return name;
        const int n = fileOf(name);
        return n ? info_->fileName(n) : "";
    };
    std::string current = listPath_;
    if (!frames_.empty() && !frames_[selected_].path.empty()) current = frames_[selected_].path;
    if (current.empty() && info_)
        if (const DebugFunction* f = info_->functionByName("main"))
            current = info_->fileName(f->file);
    if (place.empty()) {
        if (frames_.empty() || frames_[selected_].path.empty()) {
            print("No default breakpoint location: name one.\n");
            return;
        }
        place = std::to_string(frames_[selected_].line);
    }
    if (place[0] == '*') {
        char* end = nullptr;
        const unsigned long a = std::strtoul(place.c_str() + 1, &end, 0);
        if (!end || *end != '\0' || place.size() < 2) {
            print("Not a code address: " + place.substr(1) + "\n");
            return;
        }
        print(breakpoints_.addAddress(uint32_t(a), temporary));
        return;
    }
    const size_t colon = place.rfind(':');
    if (colon != std::string::npos && isNumber(place.substr(colon + 1))) {
        const std::string file = fileKey(place.substr(0, colon));
        if (file.empty()) {
            print("No source file named " + place.substr(0, colon) + ".\n");
            return;
        }
        print(
            breakpoints_.addLine(file, std::atoi(place.c_str() + colon + 1), condition, temporary));
        return;
    }
    if (isNumber(place)) {
        const std::string file = current.empty() ? "" : fileKey(current);
        if (file.empty()) {
            print("No current source file: name it as FILE:LINE.\n");
            return;
        }
        print(breakpoints_.addLine(file, std::atoi(place.c_str()), condition, temporary));
        return;
    }
    if (info_ && !info_->functionByName(place)) {
        print("Function \"" + place + "\" not defined.\n");
        return;
    }
    print(breakpoints_.addFunction(place, condition, temporary));
}

void DapDebugger::watchCommand(const std::string& arg) {
    const std::string expr = trim(arg);
    if (expr.empty()) {
        print("usage: watch EXPR\n");
        return;
    }
    if (!needStop()) return;
    const DapResponse info =
        client_.request("dataBreakpointInfo", {{"name", expr}, {"frameId", frames_[selected_].id}});
    if (!info.success) {
        print(info.message + "\n");
        return;
    }
    const std::string dataId = info.body.value("dataId", std::string());
    std::string error;
    json body;
    const std::string value = evaluate(expr, error, &body).value_or("<" + error + ">");
    // Read again at later stops through its address, where its own names may be out of scope.
    const std::string type = body.value("type", std::string());
    std::string valueOf = expr;
    if (!type.empty() && type.find('[') == std::string::npos) {
        const std::string cast = "*(" + type + " *)" + dataId.substr(0, dataId.find('/'));
        std::string unused;
        if (evaluate(cast, unused)) valueOf = cast;
    }
    print(breakpoints_.addWatch(expr, dataId, valueOf, value));
}

void DapDebugger::help() {
    print(kHelp);
}

bool DapDebugger::command(const std::string& line) {
    std::istringstream in(line);
    std::string word;
    in >> word;
    std::string rest;
    std::getline(in, rest);
    rest = trim(rest);
    if (word.empty()) return true;
    // p/x, x/4xb: the format rides on the command's name; "print /x v" has it first instead.
    std::string format;
    if (const size_t slash = word.find('/'); slash != std::string::npos) {
        format = word.substr(slash + 1);
        word = word.substr(0, slash);
    } else if ((word == "p" || word == "print" || word == "x") && !rest.empty() && rest[0] == '/') {
        const size_t space = rest.find(' ');
        format = rest.substr(1, space == std::string::npos ? std::string::npos : space - 1);
        rest = space == std::string::npos ? "" : trim(rest.substr(space));
    }

    if (word == "q" || word == "quit") {
        quit(true);
        return false;
    }
    if (word == "detach") {
        quit(false);
        return false;
    }
    if (word == "help" || word == "h") {
        help();
    } else if (word == "run" || word == "r") {
        runProgram();
    } else if (word == "start") {
        print(breakpoints_.addFunction("main", "", true));
        runProgram();
    } else if (word == "kill" || word == "k") {
        if (state_ == State::Stopped || state_ == State::Running) {
            const DapResponse r = client_.request("terminate");
            // Its end is reported as the program's own is.
            if (r.success) state_ = State::Running;
            if (!r.success) print(r.message + "\n");
        } else {
            print("The program is not being run.\n");
        }
    } else if (word == "interrupt") {
        if (state_ == State::Running) client_.request("pause", {{"threadId", 1}});
    } else if (word == "c" || word == "continue" || word == "n" || word == "next" || word == "s" ||
               word == "step" || word == "si" || word == "stepi" || word == "ni" ||
               word == "nexti" || word == "finish" || word == "fin" || word == "rs" ||
               word == "rn" || word == "rsi" || word == "rni" || word == "rc" ||
               word.rfind("reverse-", 0) == 0) {
        resume(word, rest);
    } else if (word == "b" || word == "br" || word == "break" || word == "tbreak" || word == "tb") {
        breakCommand(rest, word[0] == 't');
    } else if (word == "watch") {
        watchCommand(rest);
    } else if (word == "rwatch" || word == "awatch") {
        print("Only writes can be watched: use watch.\n");
    } else if (word == "delete" || word == "d") {
        const std::vector<int> n = numbers(rest);
        if (n.empty() || n[0] >= 0) print(breakpoints_.remove(n));
    } else if (word == "disable" || word == "enable") {
        const std::vector<int> n = numbers(rest);
        if (n.empty() || n[0] >= 0) print(breakpoints_.enable(n, word == "enable"));
    } else if (word == "condition") {
        std::istringstream args(rest);
        std::string number;
        args >> number;
        std::string cond;
        std::getline(args, cond);
        if (!isNumber(number) || number.size() > 6)
            print("usage: condition N [EXPR]\n");
        else
            print(breakpoints_.setCondition(std::atoi(number.c_str()), trim(cond)));
    } else if (word == "info" || word == "i") {
        std::istringstream args(rest);
        std::string what, which;
        args >> what >> which;
        if (what == "b" || what == "break" || what == "breakpoints") {
            print(breakpoints_.table(false));
        } else if (what == "watch" || what == "watchpoints") {
            print(breakpoints_.table(true));
        } else if (what == "locals" || what == "args") {
            if (needStop()) print(locals(selected_, what == "args"));
        } else if (what == "registers" || what == "reg" || what == "r" || what == "all-registers") {
            registers(which);
        } else if (what == "frame" || what == "f") {
            if (needStop()) showFrame(selected_);
        } else {
            print("info breakpoints, watchpoints, locals, args, registers or frame\n");
        }
    } else if (word == "bt" || word == "backtrace" || word == "where") {
        if (needStop()) backtrace(rest);
    } else if (word == "up" || word == "down" || word == "frame" || word == "f") {
        if (needStop()) selectFrame(word, rest);
    } else if (word == "list" || word == "l") {
        list(rest);
    } else if (word == "p" || word == "print" || word == "inspect") {
        printExpression(format, rest);
    } else if (word == "set") {
        std::string assignment = rest;
        for (const char* lead : {"var ", "variable "})
            if (rest.rfind(lead, 0) == 0) assignment = rest.substr(std::string(lead).size());
        setVariable(assignment);
    } else if (word == "x") {
        examine(format, rest);
    } else if (word == "echo") {
        std::string text;
        for (size_t i = 0; i < rest.size(); ++i)
            text += rest[i] == '\\' && i + 1 < rest.size() && rest[i + 1] == 'n' ? (++i, '\n')
                                                                                 : rest[i];
        print(text);
    } else {
        print("Undefined command: \"" + word + "\".  Try \"help\".\n");
    }
    return true;
}

}  // namespace corvane
