#include "tools/vrndbg/dap_breakpoints.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "tools/vrndbg/dap_client.h"

namespace corvane {

using json = nlohmann::json;

namespace {

std::string hex6(uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%06X", v);
    return buf;
}

const char* kindName(UserBreakpoint::Kind k) {
    return k == UserBreakpoint::Kind::Watch ? "watchpoint" : "breakpoint";
}

}  // namespace

std::string DapBreakpoints::where(const UserBreakpoint& bp) const {
    switch (bp.kind) {
        case UserBreakpoint::Kind::Line:
            return bp.file + ":" + std::to_string(bp.line);
        case UserBreakpoint::Kind::Function: {
            const DebugFunction* f = info_ ? info_->functionByName(bp.function) : nullptr;
            if (!f) return bp.function;
            // The file of its code (its first line marker), not of a declaration before it.
            int file = f->file;
            for (const DebugLine& l : info_->lines)
                if (l.address >= f->start && l.address < f->end) {
                    file = lineFile(l.value);
                    break;
                }
            return info_->fileName(file) + ":" + std::to_string(bp.line);
        }
        case UserBreakpoint::Kind::Address:
            return hex6(bp.address);
        case UserBreakpoint::Kind::Watch:
            return bp.expression;
    }
    return "";
}

std::string DapBreakpoints::what(const UserBreakpoint& bp) const {
    // A place in the source also names its function, as the line table tells it.
    if (!info_ ||
        (bp.kind != UserBreakpoint::Kind::Line && bp.kind != UserBreakpoint::Kind::Function))
        return where(bp);
    const std::string place = where(bp);
    const size_t colon = place.rfind(':');
    const int file = info_->fileNumber(place.substr(0, colon));
    const uint32_t value = lineValue(file, bp.line);
    for (const DebugLine& l : info_->lines)
        if (l.value == value)
            if (const DebugFunction* f = info_->functionAt(l.address))
                return "in " + f->name + " at " + place;
    return place;
}

bool DapBreakpoints::sync(UserBreakpoint::Kind kind, const std::string& file, std::string& error) {
    std::vector<UserBreakpoint*> set;
    for (UserBreakpoint& bp : list_)
        if (bp.kind == kind && bp.enabled &&
            (kind != UserBreakpoint::Kind::Line || bp.file == file))
            set.push_back(&bp);
    json items = json::array();
    for (const UserBreakpoint* bp : set) {
        json b;
        switch (kind) {
            case UserBreakpoint::Kind::Line:
                b = {{"line", bp->line}};
                break;
            case UserBreakpoint::Kind::Function:
                b = {{"name", bp->function}};
                break;
            case UserBreakpoint::Kind::Address:
                b = {{"instructionReference", hex6(bp->address)}};
                break;
            case UserBreakpoint::Kind::Watch:
                b = {{"dataId", bp->dataId}, {"accessType", "write"}};
                break;
        }
        if (!bp->condition.empty()) b["condition"] = bp->condition;
        items.push_back(b);
    }
    DapResponse r;
    switch (kind) {
        case UserBreakpoint::Kind::Line:
            r = client_.request("setBreakpoints",
                                {{"source", {{"path", file}}}, {"breakpoints", items}});
            break;
        case UserBreakpoint::Kind::Function:
            r = client_.request("setFunctionBreakpoints", {{"breakpoints", items}});
            break;
        case UserBreakpoint::Kind::Address:
            r = client_.request("setInstructionBreakpoints", {{"breakpoints", items}});
            break;
        case UserBreakpoint::Kind::Watch:
            r = client_.request("setDataBreakpoints", {{"breakpoints", items}});
            break;
    }
    if (!r.success) {
        error = r.message;
        return false;
    }
    const json answers = r.body.value("breakpoints", json::array());
    for (size_t i = 0; i < set.size(); ++i) {
        UserBreakpoint& bp = *set[i];
        const json a = i < answers.size() && answers[i].is_object() ? answers[i] : json::object();
        bp.serverId = a.contains("id") && a["id"].is_number_integer() ? a["id"].get<int>() : -1;
        if (!a.value("verified", false)) {
            // Only the breakpoint just made can be refused: the others were placed before.
            error = a.value("message", std::string("the server did not place it"));
            if (bp.number == next_ - 1) return false;
        } else if (a.contains("line") && a["line"].is_number_integer() &&
                   kind != UserBreakpoint::Kind::Address) {
            bp.line = a["line"].get<int>();
        }
    }
    error.clear();
    return true;
}

std::string DapBreakpoints::add(UserBreakpoint bp) {
    bp.number = next_++;
    const UserBreakpoint::Kind kind = bp.kind;
    const std::string file = bp.file;
    list_.push_back(std::move(bp));
    std::string error;
    if (!sync(kind, file, error)) {
        list_.pop_back();
        --next_;
        std::string ignored;
        sync(kind, file, ignored);
        return "No breakpoint: " + error + "\n";
    }
    const UserBreakpoint& made = list_.back();
    if (kind == UserBreakpoint::Kind::Watch)
        return "Watchpoint " + std::to_string(made.number) + ": " + made.expression + "\n";
    return std::string(made.temporary ? "Temporary breakpoint " : "Breakpoint ") +
           std::to_string(made.number) + " at " + where(made) + "\n";
}

std::string DapBreakpoints::addLine(const std::string& file, int line, const std::string& condition,
                                    bool temporary) {
    UserBreakpoint bp;
    bp.kind = UserBreakpoint::Kind::Line;
    bp.file = file;
    bp.line = line;
    bp.condition = condition;
    bp.temporary = temporary;
    return add(std::move(bp));
}

std::string DapBreakpoints::addFunction(const std::string& name, const std::string& condition,
                                        bool temporary) {
    UserBreakpoint bp;
    bp.kind = UserBreakpoint::Kind::Function;
    bp.function = name;
    bp.condition = condition;
    bp.temporary = temporary;
    return add(std::move(bp));
}

std::string DapBreakpoints::addAddress(uint32_t address, bool temporary) {
    UserBreakpoint bp;
    bp.kind = UserBreakpoint::Kind::Address;
    bp.address = address;
    bp.temporary = temporary;
    return add(std::move(bp));
}

std::string DapBreakpoints::addWatch(const std::string& expression, const std::string& dataId,
                                     const std::string& valueOf, const std::string& value) {
    UserBreakpoint bp;
    bp.kind = UserBreakpoint::Kind::Watch;
    bp.expression = expression;
    bp.dataId = dataId;
    bp.valueOf = valueOf;
    bp.lastValue = value;
    return add(std::move(bp));
}

std::string DapBreakpoints::remove(const std::vector<int>& numbers) {
    std::string out;
    std::vector<UserBreakpoint> gone;
    if (numbers.empty()) {
        gone.swap(list_);
    } else {
        for (int n : numbers) {
            auto it = std::find_if(list_.begin(), list_.end(),
                                   [n](const UserBreakpoint& b) { return b.number == n; });
            if (it == list_.end()) {
                out += "No breakpoint number " + std::to_string(n) + ".\n";
                continue;
            }
            gone.push_back(std::move(*it));
            list_.erase(it);
        }
    }
    // Each set that lost a member is sent again.
    std::map<std::pair<int, std::string>, bool> sets;
    for (const UserBreakpoint& bp : gone) sets[{int(bp.kind), bp.file}] = true;
    for (const auto& entry : sets) {
        std::string error;
        if (!sync(UserBreakpoint::Kind(entry.first.first), entry.first.second, error))
            out += error + "\n";
    }
    return out;
}

std::string DapBreakpoints::enable(const std::vector<int>& numbers, bool on) {
    std::string out;
    std::map<std::pair<int, std::string>, bool> sets;
    for (UserBreakpoint& bp : list_) {
        const bool named = numbers.empty() ||
                           std::find(numbers.begin(), numbers.end(), bp.number) != numbers.end();
        if (!named || bp.enabled == on) continue;
        bp.enabled = on;
        sets[{int(bp.kind), bp.file}] = true;
    }
    for (int n : numbers)
        if (std::none_of(list_.begin(), list_.end(),
                         [n](const UserBreakpoint& b) { return b.number == n; }))
            out += "No breakpoint number " + std::to_string(n) + ".\n";
    for (const auto& entry : sets) {
        std::string error;
        if (!sync(UserBreakpoint::Kind(entry.first.first), entry.first.second, error))
            out += error + "\n";
    }
    return out;
}

std::string DapBreakpoints::setCondition(int number, const std::string& condition) {
    for (UserBreakpoint& bp : list_) {
        if (bp.number != number) continue;
        if (bp.kind == UserBreakpoint::Kind::Watch || bp.kind == UserBreakpoint::Kind::Address)
            return "Breakpoint " + std::to_string(number) + " takes no condition.\n";
        bp.condition = condition;
        std::string error;
        if (!sync(bp.kind, bp.file, error)) return error + "\n";
        return condition.empty() ? "Breakpoint " + std::to_string(number) + " now unconditional.\n"
                                 : "";
    }
    return "No breakpoint number " + std::to_string(number) + ".\n";
}

std::string DapBreakpoints::table(bool watchesOnly) const {
    std::string out;
    char row[256];
    for (const UserBreakpoint& bp : list_) {
        if (watchesOnly && bp.kind != UserBreakpoint::Kind::Watch) continue;
        if (out.empty()) out = "Num     Type           Disp Enb What\n";
        std::snprintf(row, sizeof row, "%-7d %-14s %-4s %-3s %s\n", bp.number, kindName(bp.kind),
                      bp.temporary ? "del" : "keep", bp.enabled ? "y" : "n", what(bp).c_str());
        out += row;
        if (!bp.condition.empty()) out += "\tstop only if " + bp.condition + "\n";
        if (bp.hits > 0)
            out += std::string("\t") + kindName(bp.kind) + " already hit " +
                   std::to_string(bp.hits) + (bp.hits == 1 ? " time\n" : " times\n");
    }
    if (out.empty()) return watchesOnly ? "No watchpoints.\n" : "No breakpoints or watchpoints.\n";
    return out;
}

std::vector<UserBreakpoint*> DapBreakpoints::hit(const json& stopBody, uint32_t pc) {
    std::vector<UserBreakpoint*> out;
    const std::string reason = stopBody.value("reason", "");
    if (reason == "instruction breakpoint") {
        for (UserBreakpoint& bp : list_)
            if (bp.kind == UserBreakpoint::Kind::Address && bp.enabled && bp.address == pc)
                out.push_back(&bp);
    } else if (stopBody.contains("hitBreakpointIds") && stopBody["hitBreakpointIds"].is_array()) {
        for (const json& id : stopBody["hitBreakpointIds"]) {
            if (!id.is_number_integer()) continue;
            for (UserBreakpoint& bp : list_)
                if (bp.serverId == id.get<int>() && bp.enabled) out.push_back(&bp);
        }
    }
    for (UserBreakpoint* bp : out) ++bp->hits;
    return out;
}

}  // namespace corvane
