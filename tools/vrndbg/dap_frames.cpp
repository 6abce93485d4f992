// What vrndbg shows of a stop over the debug server: the frames (bt, up, down, frame), their
// arguments and locals, and the program's source (the line at a stop, list).

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "shared/host_path.h"
#include "tools/vrndbg/dap_debugger.h"

namespace corvane {

using json = nlohmann::json;
namespace fs = std::filesystem;

namespace {

std::string hex6(uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%06X", v);
    return buf;
}

constexpr int kListLines = 10;

}  // namespace

bool DapDebugger::loadFrames() {
    frames_.clear();
    const DapResponse r = client_.request("stackTrace", {{"threadId", 1}});
    if (!r.success) return false;
    for (const json& f : r.body.value("stackFrames", json::array())) {
        Frame frame;
        frame.id = f.value("id", 0);
        frame.name = f.value("name", "");
        frame.line = f.value("line", 0);
        frame.pc = uint32_t(
            std::strtoul(f.value("instructionPointerReference", "0").c_str(), nullptr, 16));
        if (f.contains("source") && f["source"].is_object()) {
            frame.path = f["source"].value("path", "");
            frame.file = f["source"].value("name", "");
        }
        frames_.push_back(frame);
    }
    return !frames_.empty();
}

bool DapDebugger::atLineStart(uint32_t pc) const {
    if (!info_) return true;
    return std::any_of(info_->lines.begin(), info_->lines.end(),
                       [pc](const DebugLine& l) { return l.address == pc; });
}

std::vector<std::pair<std::string, std::string>> DapDebugger::frameVariables(size_t index) {
    auto known = variables_.find(index);
    if (known != variables_.end()) return known->second;
    std::vector<std::pair<std::string, std::string>> vars;
    const DapResponse scopes = client_.request("scopes", {{"frameId", frames_[index].id}});
    for (const json& s : scopes.body.value("scopes", json::array())) {
        if (s.value("name", "") != "Locals") continue;
        const DapResponse v = client_.request(
            "variables", {{"variablesReference", s.value("variablesReference", 0)}});
        for (const json& item : v.body.value("variables", json::array()))
            vars.emplace_back(item.value("name", ""), item.value("value", ""));
    }
    variables_[index] = vars;
    return vars;
}

std::string DapDebugger::locals(size_t index, bool args) {
    const DebugFunction* f = info_ ? info_->functionByName(frames_[index].name) : nullptr;
    // The scope lists the parameters first, then the locals of the blocks holding the line.
    const size_t params = f ? f->params.size() : 0;
    const auto vars = frameVariables(index);
    std::string out;
    for (size_t i = args ? 0 : params; i < (args ? std::min(params, vars.size()) : vars.size());
         ++i)
        out += vars[i].first + " = " + vars[i].second + "\n";
    if (out.empty()) out = args ? "No arguments.\n" : "No locals.\n";
    return out;
}

std::string DapDebugger::frameLine(size_t index, bool withPc) {
    const Frame& f = frames_[index];
    if (f.path.empty()) return hex6(f.pc) + " in ?? ()";
    std::string s;
    // In a caller the return address is always inside a line; frame 0 shows it when it is.
    if (withPc && index == 0 && !atLineStart(f.pc)) s = hex6(f.pc) + " in ";
    s += f.name + " (";
    if (const DebugFunction* fn = info_ ? info_->functionByName(f.name) : nullptr) {
        const auto vars = frameVariables(index);
        for (size_t i = 0; i < fn->params.size() && i < vars.size(); ++i)
            s += (i ? ", " : "") + vars[i].first + "=" + vars[i].second;
    }
    return s + ") at " + f.file + ":" + std::to_string(f.line);
}

const std::vector<std::string>* DapDebugger::sourceLines(const std::string& path) {
    auto it = sources_.find(path);
    if (it != sources_.end()) return it->second.empty() ? nullptr : &it->second;
    std::vector<std::string> lines;
    std::ifstream in(hostFsPath(path), std::ios::binary);
    std::string line;
    while (in && std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    auto& kept = sources_[path] = std::move(lines);
    return kept.empty() ? nullptr : &kept;
}

std::string DapDebugger::sourcePath(int file) const {
    const fs::path recorded = hostFsPath(info_->fileName(file));
    std::error_code ec;
    if (recorded.is_absolute()) return hostPathText(recorded);
    const fs::path beside = hostFsPath(info_->dir) / recorded;
    if (fs::exists(beside, ec)) return hostPathText(beside);
    return hostPathText(hostFsPath(sourceDir_) / recorded);
}

int DapDebugger::fileOf(const std::string& path) const {
    if (!info_ || path.empty()) return 0;
    // A frame's source comes as the whole path, the user's as they type it.
    for (size_t i = 0; i < info_->files.size(); ++i)
        if (hostFsPath(sourcePath(int(i + 1))).lexically_normal() ==
            hostFsPath(path).lexically_normal())
            return int(i + 1);
    if (const int n = info_->fileNumber(path)) return n;
    return info_->fileNumber(hostPathText(hostFsPath(path).filename()));
}

std::string DapDebugger::sourceLine(const Frame& f, bool pcInside) {
    if (f.path.empty()) {
        // Code without source: its instruction, as the disassembler writes it.
        const DapResponse r = client_.request(
            "disassemble", {{"memoryReference", hex6(f.pc)}, {"instructionCount", 1}});
        const json ins = r.body.value("instructions", json::array());
        if (ins.empty()) return hex6(f.pc) + " in ?? ()\n";
        return hex6(f.pc) + ":\t" + ins[0].value("instruction", std::string("??")) + "\n";
    }
    const std::string at = pcInside && !atLineStart(f.pc) ? hex6(f.pc) + "\t" : "";
    const std::vector<std::string>* src = sourceLines(f.path);
    if (!src || f.line < 1 || size_t(f.line) > src->size())
        return at + std::to_string(f.line) + "\tin " + f.file + "\n";
    return at + std::to_string(f.line) + "\t" + (*src)[size_t(f.line - 1)] + "\n";
}

void DapDebugger::showFrame(size_t index) {
    selected_ = index;
    print("#" + std::to_string(index) + "  " + frameLine(index, true) + "\n" +
          sourceLine(frames_[index]));
    listPath_ = frames_[index].path;
    listNext_ = 0;
}

void DapDebugger::backtrace(const std::string& arg) {
    size_t limit = frames_.size();
    if (!arg.empty())
        limit = std::min(limit, size_t(std::max(0L, std::strtol(arg.c_str(), nullptr, 10))));
    std::string out;
    for (size_t i = 0; i < limit; ++i)
        out += "#" + std::to_string(i) + "  " + frameLine(i, true) + "\n";
    if (limit < frames_.size()) out += "(More stack frames follow...)\n";
    print(out);
}

void DapDebugger::selectFrame(const std::string& word, const std::string& arg) {
    long n = arg.empty() ? (word == "frame" || word == "f" ? long(selected_) : 1)
                         : std::strtol(arg.c_str(), nullptr, 10);
    if (word == "frame" || word == "f") {
        if (n < 0 || size_t(n) >= frames_.size()) {
            print("No frame at level " + arg + ".\n");
            return;
        }
        return showFrame(size_t(n));
    }
    if (word == "up") {
        if (selected_ + 1 >= frames_.size()) {
            print("Initial frame selected; you cannot go up.\n");
            return;
        }
        return showFrame(std::min(frames_.size() - 1, selected_ + size_t(std::max(0L, n))));
    }
    if (selected_ == 0) {
        print("Bottom (innermost) frame selected; you cannot go down.\n");
        return;
    }
    showFrame(selected_ - std::min(selected_, size_t(std::max(0L, n))));
}

void DapDebugger::list(const std::string& arg) {
    // Where to list: a line of the current file, FILE:LINE, a function, or on from the last.
    std::string path = listPath_;
    // Before the program has stopped anywhere: the file of main.
    const DebugFunction* mainFunction = info_ ? info_->functionByName("main") : nullptr;
    if (path.empty() && mainFunction) path = sourcePath(mainFunction->file);
    int center = 0, first = 0, last = 0;
    if (arg == "-") {
        last = listFirst_ - 1;
        first = std::max(1, last - kListLines + 1);
    } else if (!arg.empty()) {
        std::string place = arg, endText;
        const size_t comma = arg.find(',');
        if (comma != std::string::npos) {
            place = arg.substr(0, comma);
            endText = arg.substr(comma + 1);
        }
        const size_t colon = place.rfind(':');
        const std::string number = colon == std::string::npos ? place : place.substr(colon + 1);
        const bool numeric =
            !number.empty() && number.find_first_not_of("0123456789") == std::string::npos;
        if (colon != std::string::npos && numeric) {
            const int file = fileOf(place.substr(0, colon));
            if (!file) {
                print("No source file named " + place.substr(0, colon) + ".\n");
                return;
            }
            path = sourcePath(file);
        } else if (!numeric) {
            const DebugFunction* f = info_ ? info_->functionByName(place) : nullptr;
            if (!f) {
                print("Function \"" + place + "\" not defined.\n");
                return;
            }
            // Around its first line of code: the declaration may be in another file.
            path = sourcePath(f->file);
            center = f->line;
            for (const DebugLine& l : info_->lines)
                if (l.address >= f->start && l.address < f->end) {
                    path = sourcePath(lineFile(l.value));
                    center = lineNumber(l.value);
                    break;
                }
        }
        if (numeric) center = std::atoi(number.c_str());
        if (!endText.empty()) {
            first = center;
            last = std::atoi(endText.c_str());
            center = 0;
        }
    } else if (listNext_ > 0) {
        first = listNext_;
    } else if (!frames_.empty()) {
        path = frames_[selected_].path;
        center = frames_[selected_].line;
    } else if (mainFunction) {
        center = mainFunction->line;
    }
    if (center > 0) first = std::max(1, center - kListLines / 2);
    if (last == 0) last = first + kListLines - 1;
    const std::vector<std::string>* src = path.empty() ? nullptr : sourceLines(path);
    if (!src) {
        print(path.empty() ? "No source to list.\n" : "Cannot read " + path + ".\n");
        return;
    }
    if (first < 1 || size_t(first) > src->size()) {
        print("Line number " + std::to_string(first) + " out of range; \"" + path + "\" has " +
              std::to_string(src->size()) + " lines.\n");
        return;
    }
    std::string out;
    for (int n = first; n <= last && size_t(n) <= src->size(); ++n)
        out += std::to_string(n) + "\t" + (*src)[size_t(n - 1)] + "\n";
    print(out);
    listPath_ = path;
    listFirst_ = first;
    listNext_ = std::min(last, int(src->size())) + 1;
}

}  // namespace corvane
