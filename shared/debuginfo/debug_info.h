#pragma once
// The debug information that `vrncc -g` writes beside a program image and that vrndbg reads: the
// source files, the line table (code address of each line marker and its line value), the
// functions with their identifiers, code ranges, parameters and locals, the globals, and the
// types all of them use. Stored as a versioned text file, one record a line.
//
// A line value (the operand of a line marker, what a stop carries) is file * 65536 + line, with
// files numbered from 1, so it is never 0 and fits the marker's 24 bits.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvane {

constexpr int kDebugInfoVersion = 1;

inline uint32_t lineValue(int file, int line) {
    return uint32_t(file) << 16 | uint32_t(line);
}
inline int lineFile(uint32_t value) {
    return int(value >> 16);
}
inline int lineNumber(uint32_t value) {
    return int(value & 0xFFFF);
}

struct DebugMember {
    std::string name;
    int offset = 0;
    int type = 0;
    bool operator==(const DebugMember&) const = default;
};

struct DebugType {
    enum Kind { Void, Scalar, Pointer, Array, Struct, Union, Function };
    Kind kind = Void;
    int size = 0;           // bytes; 0 for void and functions
    bool isSigned = false;  // scalars
    std::string name;       // scalars: the C name ("unsigned int"); records: the tag or ""
    int target = -1;        // pointed-to, element or return type
    int64_t count = 0;      // array elements
    std::vector<DebugMember> members;
    bool operator==(const DebugType&) const = default;
};

struct DebugVar {
    std::string name;
    int32_t location = 0;  // globals: address; parameters and locals: offset from fp
    int type = 0;
    int fromLine = 0, toLine = 0;  // locals: the lines of the block that declares them
    bool operator==(const DebugVar&) const = default;
};

// What a line marker stands for: a statement, a statement line with a return on it, or the
// closing brace of its function. The last two are where a function may be left.
enum class LineKind : char { Statement = 's', Return = 'r', End = 'e' };

struct DebugLine {
    uint32_t address = 0;  // code address of the marker
    uint32_t value = 0;    // its line value
    LineKind kind = LineKind::Statement;
    bool operator==(const DebugLine&) const = default;
};

// Code of a line that has no marker of its own, from its address to the next marker or place:
// a loop's condition and a `for` loop's step, which run after the body's last statement. Only
// for naming where something happened (a fault); stepping knows the markers alone.
struct DebugPlace {
    uint32_t address = 0;
    uint32_t value = 0;  // the line value
    bool operator==(const DebugPlace&) const = default;
};

// A line marker of an assembly program (`vrnasm -g`): where it is, its value, and the source file
// whose `.line` or `LINE` wrote it. The value is whatever the source gave (`.line` alone: the line
// it stands on), so only the file tells a line of one file from the same line of a file it
// includes.
struct DebugMark {
    uint32_t address = 0;
    uint32_t value = 0;
    int file = 0;
    bool operator==(const DebugMark&) const = default;
};

struct DebugFunction {
    uint32_t id = 0;  // the function marker's operand
    std::string name;
    uint32_t start = 0, end = 0;  // code range [start, end)
    int file = 0, line = 0;       // where it is defined
    int returnType = 0;
    std::vector<DebugVar> params;
    std::vector<DebugVar> locals;
    bool operator==(const DebugFunction&) const = default;
};

struct DebugTypedef {
    std::string name;
    int type = 0;
    bool operator==(const DebugTypedef&) const = default;
};

struct DebugInfo {
    std::string dir;                 // the folder relative source paths are relative to
    std::vector<std::string> files;  // file n is files[n - 1]
    std::vector<DebugLine> lines;    // in address order
    std::vector<DebugPlace> places;  // in address order
    std::vector<DebugType> types;
    std::vector<DebugTypedef> typedefs;
    std::vector<DebugFunction> functions;
    std::vector<DebugVar> globals;
    std::vector<DebugMark> marks;  // an assembly program's markers, in address order
    bool operator==(const DebugInfo&) const = default;

    // Whether the information describes a C program (functions, lines, variables), rather than
    // only where an assembly program's markers come from.
    bool describesC() const { return !functions.empty() || !lines.empty(); }

    const DebugFunction* functionById(uint32_t id) const;
    const DebugFunction* functionAt(uint32_t address) const;
    const DebugFunction* functionByName(const std::string& name) const;
    // The file number of a path as the user names it: the recorded path, or its last part(s).
    int fileNumber(const std::string& path) const;
    const std::string& fileName(int file) const;
};

std::string writeDebugInfo(const DebugInfo& info);
// The information, or nothing with `error` saying which line is wrong.
std::optional<DebugInfo> readDebugInfo(const std::string& text, std::string* error = nullptr);

// The debug-information file that belongs to an image: the image's path with ".dbg" for its
// extension.
std::string debugInfoPath(const std::string& imagePath);

}  // namespace corvane
