#pragma once
// The assembler: turns assembly source into a program image (.vrn). The language is described
// in docs/assembly.md; the command-line front end is vrnasm.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

struct AsmDiagnostic {
    std::string file;
    int line = 0;
    int column = 0;
    std::string message;
    std::string toString() const;  // "file:line:column: message"
};

struct AsmOptions {
    std::vector<std::string> includeDirs;    // searched after the including file's folder
    std::map<std::string, int64_t> defines;  // constants known before the first line
    // Source lines, macro expansions included, after which the assembly gives up: macros that
    // use each other several times over can otherwise expand without practical end.
    long maxLines = 1'000'000;
    // Reads a source file by path; when unset, files are read from disk.
    std::function<std::optional<std::string>(const std::string& path)> readFile;
};

// A line marker (`.line` or `LINE`) in the image: its code address and the source file whose
// statement wrote it (a number into AsmResult::files, from 1).
struct AsmLineMark {
    uint32_t address = 0;
    int file = 0;
};

struct AsmResult {
    std::vector<uint8_t> image;  // header and code; empty when there are errors
    std::vector<AsmDiagnostic> errors;
    std::map<std::string, uint32_t> labels;  // code labels by qualified name ("main.loop")
    std::vector<std::string> files;          // the sources read, in the order first read
    std::vector<AsmLineMark> lineMarks;      // in address order
    bool ok() const { return errors.empty(); }
    std::string errorText() const;  // one diagnostic per line
};

// Assembles source text; `fileName` names it in diagnostics and anchors relative includes.
AsmResult assemble(std::string_view source, const std::string& fileName = "<source>",
                   const AsmOptions& options = {});

// Assembles the file at `path`.
AsmResult assembleFile(const std::string& path, const AsmOptions& options = {});

// The image for `source`, or std::runtime_error carrying the diagnostics. For tests and tools
// that build programs from text they know to be correct.
std::vector<uint8_t> assembleOrThrow(std::string_view source, const AsmOptions& options = {});

}  // namespace corvane
