#pragma once
// The compiler as a library: C sources in, a program image out.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace corvane {

struct CcOptions {
    std::vector<std::string> includeDirs;                      // -I
    std::vector<std::pair<std::string, std::string>> defines;  // -D
    // The folder of the shipped headers and runtime library; empty: the built-in location.
    std::string libraryDir;
    bool runtime = true;  // compile the runtime library with the program
    bool debug = false;   // line and function markers, and the debug information
    // The checked mode (-fcheck): stack overflow, null pointers, calls through pointers that are
    // no functions, and a heap with guard bytes end the program with a trap naming the check.
    bool check = false;
    // -Wall (on by default), -Wextra, -Werror, -w: as their namesakes in other C compilers.
    bool warnAll = true, warnExtra = false, warningsAsErrors = false, noWarnings = false;
    std::function<std::optional<std::string>(const std::string&)> readFile;  // unset: disk
};

struct CcResult {
    std::vector<uint8_t> image;  // empty when there were errors
    std::string diagnostics;     // errors and warnings, each with its line and a caret
    std::string debugInfo;       // with CcOptions::debug: the debug-information file's text
    bool ok() const { return !image.empty(); }
};

// The folder holding include/ and runtime/ of an installation or the build tree.
std::string defaultCcLibraryDir();

CcResult compileC(const std::vector<std::string>& sources, const CcOptions& options = {});

}  // namespace corvane
