#include "tools/mkref/call_tables.h"

#include <cstdio>
#include <sstream>

#include "vm/opcodes.h"

namespace corvane::ref {
namespace {

constexpr const char* kBegin = "<!-- calls:";
constexpr const char* kEnd = "<!-- end calls -->";

std::string hex(int op) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%02X", op);
    return buf;
}

}  // namespace

std::string callTable(const std::vector<std::string>& names, std::vector<std::string>& problems) {
    std::string out = "| op | call | arguments, in push order | result |\n|---|---|---|---|\n";
    for (const std::string& name : names) {
        const auto op = opcodeByName(name);
        if (!op || *op < kFirstSystemCall) {
            problems.push_back("'" + name + "' is not a system call");
            continue;
        }
        const CallSignature& s = callSignature(*op);
        out += "| " + hex(*op) + " | `" + name + "` | " +
               (*s.arguments ? std::string(s.arguments) : "none") + " | " +
               (*s.result ? std::string(s.result) : "none") + " |\n";
    }
    return out;
}

std::string regenerateCallTables(const std::string& manual, std::vector<std::string>& problems) {
    std::string out;
    int listed[256] = {};
    size_t at = 0;
    while (true) {
        const size_t begin = manual.find(kBegin, at);
        if (begin == std::string::npos) break;
        const size_t lineEnd = manual.find("-->", begin);
        const size_t end = manual.find(kEnd, begin);
        if (lineEnd == std::string::npos || end == std::string::npos) {
            problems.push_back("a calls block is not closed with '" + std::string(kEnd) + "'");
            return manual;
        }
        std::vector<std::string> names;
        std::istringstream words(manual.substr(begin + 11, lineEnd - begin - 11));
        for (std::string w; words >> w;) {
            names.push_back(w);
            if (const auto op = opcodeByName(w)) ++listed[*op];
        }
        out += manual.substr(at, lineEnd + 3 - at);
        out += "\n\n" + callTable(names, problems) + "\n";
        out += kEnd;
        at = end + std::string(kEnd).size();
    }
    out += manual.substr(at);
    for (int op = kFirstSystemCall; op <= kLastSystemCall; ++op) {
        if (opInfo(uint8_t(op)).name == nullptr) continue;  // a number the list leaves free
        if (listed[op] == 0)
            problems.push_back(std::string(opInfo(uint8_t(op)).name) + " is in no table");
        if (listed[op] > 1)
            problems.push_back(std::string(opInfo(uint8_t(op)).name) +
                               " is in more than one table");
    }
    return out;
}

}  // namespace corvane::ref
