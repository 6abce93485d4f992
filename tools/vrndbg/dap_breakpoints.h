#pragma once
// vrndbg's breakpoints over the debug server, numbered as gdb numbers them: on lines, functions
// and code addresses, with a condition, temporary ones (tbreak) and watchpoints. The protocol
// replaces a whole set at a time (a file's line breakpoints, all function breakpoints, ...) and
// gives each request's breakpoints new ids, so every change sends its set again and notes the
// ids that stops will name.

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "shared/debuginfo/debug_info.h"

namespace corvane {

class DapClient;

struct UserBreakpoint {
    enum class Kind { Line, Function, Address, Watch };
    int number = 0;
    Kind kind = Kind::Line;
    std::string file;  // Line: the source file as the server is told it
    int line = 0;      // Line: as asked; all: where it went
    std::string function;
    uint32_t address = 0;    // Address: the code address
    std::string expression;  // Watch: what is watched
    std::string dataId;      // Watch: the server's name of the bytes
    std::string valueOf;     // Watch: the expression that reads it in any frame
    std::string lastValue;   // Watch: the value the last stop showed
    std::string condition;
    bool temporary = false;
    bool enabled = true;
    int hits = 0;
    int serverId = -1;
};

class DapBreakpoints {
  public:
    DapBreakpoints(DapClient& client, const DebugInfo* info) : client_(client), info_(info) {}

    // Each returns what the command prints: the new breakpoint, or why there is none.
    std::string addLine(const std::string& file, int line, const std::string& condition,
                        bool temporary);
    std::string addFunction(const std::string& name, const std::string& condition, bool temporary);
    std::string addAddress(uint32_t address, bool temporary);
    // `dataId` from the server's dataBreakpointInfo; `valueOf` reads the watched bytes
    // wherever the program stops, `value` is what they hold now.
    std::string addWatch(const std::string& expression, const std::string& dataId,
                         const std::string& valueOf, const std::string& value);

    // `numbers` empty: all of them. What the command prints (nothing when all went well).
    std::string remove(const std::vector<int>& numbers);
    std::string enable(const std::vector<int>& numbers, bool on);
    std::string setCondition(int number, const std::string& condition);
    // The table of `info breakpoints` (`watchesOnly`: of `info watchpoints`).
    std::string table(bool watchesOnly) const;

    // The breakpoints a stop hit, counted: by the stop's hitBreakpointIds, or for an
    // instruction breakpoint by the code address `pc`.
    std::vector<UserBreakpoint*> hit(const nlohmann::json& stopBody, uint32_t pc);
    std::vector<UserBreakpoint>& all() { return list_; }

  private:
    std::string add(UserBreakpoint bp);
    // Sends the set `bp` belongs to again; false with `error` set when the server refused it.
    bool sync(UserBreakpoint::Kind kind, const std::string& file, std::string& error);
    // Where it is (FILE:LINE, an address, the watched expression); what(): with its function.
    std::string where(const UserBreakpoint& bp) const;
    std::string what(const UserBreakpoint& bp) const;

    DapClient& client_;
    const DebugInfo* info_;
    std::vector<UserBreakpoint> list_;
    int next_ = 1;
};

}  // namespace corvane
