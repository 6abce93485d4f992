// What vrndbg reads and writes of a stopped program over the debug server: print with gdb's
// formats, set var, x/FMT over the whole 64 KiB, and the registers.

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tools/vrndbg/dap_debugger.h"

namespace corvane {

using json = nlohmann::json;

namespace {

// The '=' of an assignment at the outermost level of `text` (not ==, !=, <=, >=), or npos.
size_t assignmentAt(const std::string& text) {
    int depth = 0;
    char quote = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quote) {
            if (c == '\\')
                ++i;
            else if (c == quote)
                quote = 0;
            continue;
        }
        if (c == '\'' || c == '"') quote = c;
        if (c == '(' || c == '[') ++depth;
        if (c == ')' || c == ']') --depth;
        if (c != '=' || depth != 0) continue;
        const char before = i ? text[i - 1] : ' ';
        const char after = i + 1 < text.size() ? text[i + 1] : ' ';
        if (after == '=' || before == '=' || before == '!' || before == '<' || before == '>')
            continue;
        return i;
    }
    return std::string::npos;
}

std::string trimmed(const std::string& s) {
    const size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos) return "";
    return s.substr(a, s.find_last_not_of(" \t") - a + 1);
}

std::string hexAddress(uint32_t v, int digits) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%0*X", digits, v);
    return buf;
}

}  // namespace

std::optional<std::string> DapDebugger::evaluate(const std::string& expr, std::string& error,
                                                 json* body) {
    const int frame = frames_.empty() ? 1 : frames_[selected_].id;
    const DapResponse r = client_.request(
        "evaluate", {{"expression", expr}, {"frameId", frame}, {"context", "repl"}});
    if (!r.success) {
        error = r.message;
        return std::nullopt;
    }
    if (body) *body = r.body;
    return r.body.value("result", std::string());
}

void DapDebugger::printExpression(const std::string& format, const std::string& text) {
    if (!needStop()) return;
    const std::string expr = trimmed(text);
    if (expr.empty()) {
        print("usage: print[/FMT] EXPR (FMT: x d u c s)\n");
        return;
    }
    // print x = 5 assigns, as in C, and shows what x then holds.
    const size_t eq = assignmentAt(expr);
    std::string target = expr;
    if (eq != std::string::npos) {
        target = trimmed(expr.substr(0, eq));
        const DapResponse r =
            client_.request("setExpression", {{"expression", target},
                                              {"value", trimmed(expr.substr(eq + 1))},
                                              {"frameId", frames_[selected_].id}});
        if (!r.success) {
            print(r.message + "\n");
            return;
        }
        variables_.clear();
    }
    std::string error;
    const std::string asked = format.empty() ? target : "/" + format + " " + target;
    const std::optional<std::string> value = evaluate(asked, error);
    print(value ? target + " = " + *value + "\n" : error + "\n");
}

void DapDebugger::setVariable(const std::string& assignment) {
    if (!needStop()) return;
    const size_t eq = assignmentAt(assignment);
    if (eq == std::string::npos) {
        print("usage: set var EXPR = VALUE\n");
        return;
    }
    const DapResponse r =
        client_.request("setExpression", {{"expression", trimmed(assignment.substr(0, eq))},
                                          {"value", trimmed(assignment.substr(eq + 1))},
                                          {"frameId", frames_[selected_].id}});
    if (!r.success) print(r.message + "\n");
    variables_.clear();
}

void DapDebugger::examine(const std::string& formatText, const std::string& text) {
    if (!needStop()) return;
    std::string error;
    if (!parseExamineFormat(formatText, examineFormat_, error)) {
        print(error + "\n");
        return;
    }
    const std::string expr = trimmed(text);
    uint32_t address = examineNext_;
    if (!expr.empty()) {
        // The value of the expression is the address, as gdb takes it; an array or a struct
        // stands for where it lies.
        json body;
        const std::optional<std::string> v = evaluate("/x " + expr, error, &body);
        if (!v) {
            print(error + "\n");
            return;
        }
        char* end = nullptr;
        const unsigned long n = std::strtoul(v->c_str(), &end, 16);
        if (v->rfind("0x", 0) == 0 && end && *end == '\0') {
            address = uint32_t(n);
        } else if (body.contains("memoryReference")) {
            address = uint32_t(
                std::strtoul(body["memoryReference"].get<std::string>().c_str(), nullptr, 16));
        } else {
            print("\"" + expr + "\" is not an address\n");
            return;
        }
    }
    if (examineFormat_.format == 'i') {
        const DapResponse r =
            client_.request("disassemble", {{"memoryReference", hexAddress(address, 6)},
                                            {"instructionCount", examineFormat_.count}});
        if (!r.success) {
            print(r.message + "\n");
            return;
        }
        const uint32_t pc = frames_.empty() ? 0 : frames_[selected_].pc;
        std::string out;
        uint32_t last = address;
        for (const json& ins : r.body.value("instructions", json::array())) {
            const std::string at = ins.value("address", std::string("0x0"));
            last = uint32_t(std::strtoul(at.c_str(), nullptr, 16));
            out += (last == pc ? "=> " : "   ") + at + ":\t" +
                   ins.value("instruction", std::string("??")) + "\n";
        }
        print(out);
        examineNext_ = last + 1;
        return;
    }
    if (address > 0xFFFF) {
        print("Cannot access memory at address " + hexAddress(address, 4) + "\n");
        return;
    }
    const DapResponse r = client_.request(
        "readMemory",
        {{"memoryReference", hexAddress(address, 4)}, {"count", examineBytes(examineFormat_)}});
    if (!r.success) {
        print(r.message + "\n");
        return;
    }
    // The server sends the bytes in base64.
    const std::string data = r.body.value("data", std::string());
    std::vector<uint8_t> bytes;
    uint32_t bits = 0;
    int have = 0;
    for (const char c : data) {
        const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        const char* at = c ? std::strchr(digits, c) : nullptr;
        if (!at) continue;
        bits = bits << 6 | uint32_t(at - digits);
        have += 6;
        if (have >= 8) {
            have -= 8;
            bytes.push_back(uint8_t(bits >> have));
        }
    }
    const std::string lines = examineLines(address, bytes, examineFormat_, examineNext_);
    print(lines.empty() ? "Cannot access memory at address " + hexAddress(address, 4) + "\n"
                        : lines);
}

void DapDebugger::registers(const std::string& which) {
    if (!needStop()) return;
    const DapResponse scopes = client_.request("scopes", {{"frameId", frames_[selected_].id}});
    std::string out;
    for (const json& s : scopes.body.value("scopes", json::array())) {
        if (s.value("name", "") != "Registers") continue;
        const DapResponse v = client_.request(
            "variables", {{"variablesReference", s.value("variablesReference", 0)}});
        for (const json& item : v.body.value("variables", json::array())) {
            const std::string name = item.value("name", "");
            if (!which.empty() && name != which && "$" + name != which) continue;
            char row[128];
            std::snprintf(row, sizeof row, "%-15s%s\n", name.c_str(),
                          item.value("value", std::string()).c_str());
            out += row;
        }
    }
    print(out.empty() ? "Invalid register `" + which + "'\n" : out);
}

}  // namespace corvane
