#include "tools/vrndbg/source_debugger.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "library/path.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

// Stop values of the debugger link.
constexpr int32_t kEveryLine = -2;
constexpr int32_t kSameFunction = 0;
constexpr int32_t kRunFree = -1;

const char* kSourceHelp =
    "break FILE:LINE | LINE | FUNCTION   stop there (b); delete [N]; info breakpoints\n"
    "continue         run to the next breakpoint (c; c STOP gives a raw stop value)\n"
    "step, next       the next source line, into calls (s) or over them (n)\n"
    "finish           run until the current function has returned\n"
    "print EXPR       a variable, member, element or what a pointer points at (p)\n"
    "bt               the frames of the stop; frame N selects one for print and info\n"
    "info locals      the selected frame's variables; info args its parameters\n";

bool allDigits(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

}  // namespace

SourceDebugger::SourceDebugger(DebugInfo info, std::string baseDir)
    : info_(std::move(info)), baseDir_(std::move(baseDir)) {}

const char* SourceDebugger::help() {
    return kSourceHelp;
}

const std::vector<std::string>* SourceDebugger::sourceOf(int file) {
    auto it = sources_.find(file);
    if (it != sources_.end()) return &it->second;
    if (missing_.count(file)) return nullptr;
    const fs::path recorded = hostFsPath(info_.fileName(file));
    std::vector<fs::path> tries;
    if (recorded.is_absolute()) {
        tries.push_back(recorded);
    } else {
        tries.push_back(hostFsPath(info_.dir) / recorded);
        tries.push_back(hostFsPath(baseDir_) / recorded);
    }
    tries.push_back(hostFsPath(baseDir_) / recorded.filename());
    for (const fs::path& p : tries) {
        std::ifstream in(p, std::ios::binary);
        if (!in) continue;
        std::vector<std::string> lines;
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(line);
        }
        return &(sources_[file] = std::move(lines));
    }
    missing_[file] = hostPathText(recorded);
    return nullptr;
}

std::string SourceDebugger::sourceLine(uint32_t value) {
    const int n = lineNumber(value);
    const std::vector<std::string>* src = sourceOf(lineFile(value));
    if (!src || n < 1 || size_t(n) > src->size())
        return std::to_string(n) + "\tin " + info_.fileName(lineFile(value)) + "\n";
    return std::to_string(n) + "\t" + (*src)[size_t(n - 1)] + "\n";
}

std::string SourceDebugger::where(const Frame& f, bool withArgs) {
    const std::string place =
        info_.fileName(lineFile(f.line)) + ":" + std::to_string(lineNumber(f.line));
    if (!f.function) return "?? () at " + place;
    std::string s = f.function->name + " (";
    if (withArgs) {
        ValuePrinter vp(info_, stop_, f);
        for (size_t i = 0; i < f.function->params.size(); ++i) {
            const DebugVar& p = f.function->params[i];
            s += (i ? ", " : "") + p.name + "=" + vp.variable(p, false);
        }
    }
    return s + ") at " + place;
}

bool SourceDebugger::isBreakpoint(uint32_t value) const {
    for (const auto& [n, v] : breakpoints_)
        if (v == value) return true;
    return false;
}

bool SourceDebugger::leavesFunction(uint32_t value, const DebugFunction* f) const {
    for (const DebugLine& l : info_.lines)
        if (l.value == value && l.kind != LineKind::Statement &&
            (!f || (l.address >= f->start && l.address < f->end)))
            return true;
    return false;
}

int32_t SourceDebugger::continueValue() const {
    if (breakpoints_.empty()) return kRunFree;
    // One line value can be the stop value itself; several need every line, sorted out here.
    const uint32_t first = breakpoints_.begin()->second;
    for (const auto& [n, v] : breakpoints_)
        if (v != first) return kEveryLine;
    return int32_t(first);
}

std::optional<int32_t> SourceDebugger::stop(uint32_t line, uint32_t dataWord,
                                            const std::vector<uint8_t>& snapshot,
                                            std::string& out) {
    const uint16_t fp = uint16_t(dataWord & 0xFFFF);
    const uint32_t function = dataWord >> 16;
    const bool atBreakpoint = isBreakpoint(line);
    bool show = true;
    switch (mode_) {
        case Mode::None:
        case Mode::Step:
            break;
        case Mode::Continue:
            show = atBreakpoint || breakpoints_.empty();
            break;
        case Mode::Next:
            // Frames grow upwards: a lower fp is a caller, the same fp and function this call.
            show = atBreakpoint || fp < fromFp_ || (fp == fromFp_ && function == fromFunction_);
            break;
        case Mode::Finish:
            show = atBreakpoint || fp < fromFp_;
            break;
    }
    if (!show) return resumeValue_;

    const Mode mode = mode_;
    mode_ = Mode::None;
    snapshot_ = snapshot;
    stop_ = {&snapshot_, fp, function, line};
    frames_ = walkFrames(info_, stop_);
    selected_ = 0;
    haveStop_ = true;
    const Frame& f = frames_[0];
    if (atBreakpoint && mode != Mode::Step && mode != Mode::None) {
        for (const auto& [n, v] : breakpoints_)
            if (v == line) {
                out += "Breakpoint " + std::to_string(n) + ", " + where(f, true) + "\n";
                break;
            }
    } else if (function != shownFunction_ || fp != shownFp_ || mode == Mode::Finish) {
        out += where(f, true) + "\n";
    }
    shownFunction_ = function;
    shownFp_ = fp;
    out += sourceLine(line);
    return std::nullopt;
}

std::optional<uint32_t> SourceDebugger::resolve(const std::string& place, std::string& error) {
    int file = 0, wanted = 0;
    const size_t colon = place.rfind(':');
    if (colon != std::string::npos && allDigits(place.substr(colon + 1))) {
        const std::string name = place.substr(0, colon);
        file = info_.fileNumber(name);
        if (!file) {
            error = "no source file named " + name + "\n";
            return std::nullopt;
        }
        wanted = std::stoi(place.substr(colon + 1));
    } else if (allDigits(place)) {
        if (!haveStop_) {
            error = "no current file: name it as FILE:LINE\n";
            return std::nullopt;
        }
        file = lineFile(frames_[selected_].line);
        wanted = std::stoi(place);
    } else {
        const DebugFunction* f = info_.functionByName(place);
        if (!f) {
            error = "function \"" + place + "\" is not defined\n";
            return std::nullopt;
        }
        for (const DebugLine& l : info_.lines)
            if (l.address >= f->start && l.address < f->end) return l.value;
        error = "function \"" + place + "\" has no line markers\n";
        return std::nullopt;
    }
    // A line without code stops at the next line of the file that has a marker.
    uint32_t best = 0;
    for (const DebugLine& l : info_.lines)
        if (lineFile(l.value) == file && lineNumber(l.value) >= wanted &&
            (!best || lineNumber(l.value) < lineNumber(best)))
            best = l.value;
    if (!best) {
        error = "no code at or after line " + std::to_string(wanted) + " of " +
                info_.fileName(file) + "\n";
        return std::nullopt;
    }
    return best;
}

bool SourceDebugger::command(const std::string& line, bool stopped, std::string& out,
                             std::optional<int32_t>& resume) {
    std::istringstream in(line);
    std::string word, arg;
    in >> word;
    std::getline(in, arg);
    while (!arg.empty() && std::isspace(static_cast<unsigned char>(arg.front()))) arg.erase(0, 1);
    while (!arg.empty() && std::isspace(static_cast<unsigned char>(arg.back()))) arg.pop_back();

    if (word == "break" || word == "b") {
        if (arg.empty()) {
            out = "usage: break FILE:LINE | LINE | FUNCTION\n";
            return true;
        }
        std::string error;
        auto value = resolve(arg, error);
        if (!value) {
            out = error;
            return true;
        }
        const int n = nextBreakpoint_++;
        breakpoints_[n] = *value;
        out = "Breakpoint " + std::to_string(n) + " at " + info_.fileName(lineFile(*value)) + ":" +
              std::to_string(lineNumber(*value)) + "\n";
        return true;
    }
    if (word == "delete" || word == "d") {
        if (arg.empty()) {
            breakpoints_.clear();
        } else if (!allDigits(arg) || !breakpoints_.erase(std::stoi(arg))) {
            out = "no breakpoint number " + arg + "\n";
        }
        return true;
    }
    if (word == "info" && (arg == "breakpoints" || arg == "b")) {
        if (breakpoints_.empty()) out = "no breakpoints\n";
        for (const auto& [n, v] : breakpoints_)
            out += std::to_string(n) + "\t" + info_.fileName(lineFile(v)) + ":" +
                   std::to_string(lineNumber(v)) + "\n";
        return true;
    }

    const bool moves = word == "continue" || ((word == "c") && arg.empty()) || word == "step" ||
                       word == "s" || word == "next" || word == "n" || word == "finish";
    const bool looks = word == "print" || word == "p" || word == "bt" || word == "backtrace" ||
                       word == "where" || word == "frame" || word == "f" ||
                       (word == "info" && (arg == "locals" || arg == "args"));
    if (!moves && !looks) {
        // The session's own commands (raw resumes among them): their stops are shown as they
        // come.
        mode_ = Mode::None;
        return false;
    }
    if (!stopped || !haveStop_) {
        out = "the program is running\n";
        return true;
    }
    const Frame& top = frames_[0];
    if (word == "continue" || word == "c") {
        mode_ = Mode::Continue;
        resumeValue_ = continueValue();
    } else if (word == "step" || word == "s") {
        mode_ = Mode::Step;
        resumeValue_ = kEveryLine;
    } else if (word == "next" || word == "n") {
        mode_ = Mode::Next;
        fromFp_ = top.fp;
        fromFunction_ = stop_.functionId;
        // Stop value 0 stops only in this function; from a line that may return, or with
        // breakpoints that calls might meet, every line is looked at instead.
        resumeValue_ = breakpoints_.empty() && !leavesFunction(stop_.line, top.function)
                           ? kSameFunction
                           : kEveryLine;
    } else if (word == "finish") {
        if (frames_.size() < 2) {
            out = "\"finish\" is not meaningful in the outermost frame\n";
            return true;
        }
        mode_ = Mode::Finish;
        fromFp_ = top.fp;
        fromFunction_ = stop_.functionId;
        resumeValue_ = kEveryLine;
        out = "Run till exit from #0 " + where(top, true) + "\n";
    }
    if (moves) {
        haveStop_ = false;
        resume = resumeValue_;
        return true;
    }

    if (word == "bt" || word == "backtrace" || word == "where") {
        for (size_t i = 0; i < frames_.size(); ++i)
            out += "#" + std::to_string(i) + "  " + where(frames_[i], true) + "\n";
        return true;
    }
    if (word == "frame" || word == "f") {
        if (!arg.empty()) {
            if (!allDigits(arg) || std::stoul(arg) >= frames_.size()) {
                out = "no frame " + arg + "\n";
                return true;
            }
            selected_ = std::stoul(arg);
        }
        out = "#" + std::to_string(selected_) + "  " + where(frames_[selected_], true) + "\n" +
              sourceLine(frames_[selected_].line);
        return true;
    }
    ValuePrinter vp(info_, stop_, frames_[selected_]);
    if (word == "info") {
        const bool args = arg == "args";
        const DebugFunction* f = frames_[selected_].function;
        const size_t params = f ? f->params.size() : 0;
        const std::vector<const DebugVar*> vars = vp.localsInScope();
        for (size_t i = args ? 0 : params; i < (args ? params : vars.size()); ++i)
            out += vars[i]->name + " = " + vp.variable(*vars[i], false) + "\n";
        if (out.empty()) out = args ? "no arguments\n" : "no locals\n";
        return true;
    }
    // print
    if (arg.empty()) {
        out = "usage: print EXPR\n";
        return true;
    }
    vp.print(arg, out);
    return true;
}

}  // namespace corvane
