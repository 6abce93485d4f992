#pragma once
// C values of a stopped program, read from the whole 64 KiB of its memory with the types of its
// debug information: the frames of a stop, variables, and the expressions of the debug server's
// evaluate (the C operators, casts, sizeof, character constants) with gdb's formats x d u c s.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "shared/debuginfo/debug_info.h"
#include "shared/debuginfo/type_table.h"

namespace corvane {

struct Machine;

// One frame of a stop: the function running in it (null: code without debug information), its
// frame base, and the code address it is at (the next instruction in frame 0, the return address
// in the others).
struct StackFrame {
    const DebugFunction* function = nullptr;
    uint16_t fp = 0;
    uint32_t pc = 0;
};

// Frame 0 holds `pc`; each next one is its caller, through the return address and the saved
// frame base at the start of a frame, until the start-up code.
std::vector<StackFrame> walkStack(const DebugInfo* info, const Machine& m);

// A typed value: a type of the program's (or one the evaluator made), and where it is.
struct Value {
    int type = 0;
    bool lvalue = false;  // in memory at `address`
    uint32_t address = 0;
    uint32_t bits = 0;  // a scalar or pointer not in memory
};

class ValueReader {
  public:
    // `info` may be null: registers, numbers and memory casts still work.
    ValueReader(const DebugInfo* info, const Machine& m, const StackFrame& frame);

    // Parses and evaluates `text`. An expression may end in ",F" or start with "/F " (F one of
    // x d u c s) to choose a format. False with `error` set when it does not parse or cannot be
    // read.
    bool evaluate(const std::string& text, Value& value, char& format, std::string& error);

    // How a value shows: scalars in decimal (or `format`), pointers in hexadecimal (char pointers
    // with their string), arrays and structs whole.
    std::string show(const Value& v, char format = 0, int depth = 0);
    std::string typeName(int type) const;
    // Whether a value has parts to expand (struct, union, array, non-null pointer to data).
    bool expandable(const Value& v);
    // Its parts: members, elements (at most `limit` from `start`), or what a pointer points at.
    std::vector<std::pair<std::string, Value>> children(const Value& v, size_t start = 0,
                                                        size_t limit = 1000);
    // Variables in scope in the frame: parameters, then locals of the blocks holding its line.
    std::vector<std::pair<std::string, Value>> locals();
    std::vector<std::pair<std::string, Value>> globals();
    int sizeOf(int type) const;
    // The bytes (in memory order) that C's assignment of `source` to `target`, a scalar or
    // pointer in memory, stores. False with `error` set when it cannot be assigned.
    bool assignment(const Value& target, const Value& source, std::vector<uint8_t>& bytes,
                    std::string& error) const;

  private:
    struct Parser;
    const DebugType* typeAt(int type) const;
    int scalarType(const char* name, int size, bool isSigned);
    int pointerTo(int type);
    uint32_t load(uint32_t address, int size) const;
    uint32_t scalarBits(const Value& v) const;
    int64_t asNumber(const Value& v) const;
    std::string showScalar(int type, uint32_t bits, char format);
    std::string showChars(uint32_t address, size_t count, bool stopAtZero);

    const DebugInfo* info_;
    const Machine& m_;
    StackFrame frame_;
    TypeTable types_;
    uint32_t line_ = 0;  // the frame's statement line
};

}  // namespace corvane
