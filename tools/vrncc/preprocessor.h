#pragma once
// The preprocessor: includes, macros and conditionals over the tokens of the lexer.

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tools/vrncc/lexer.h"

namespace corvane::cc {

struct PreprocessOptions {
    std::vector<std::string> includeDirs;  // -I, searched for "..." after the file's own folder
    std::vector<std::string> systemDirs;   // searched for <...> and last for "..."
    std::vector<std::pair<std::string, std::string>> defines;                // -D NAME=VALUE
    std::function<std::optional<std::string>(const std::string&)> readFile;  // unset: from disk
};

// The fully expanded tokens of the file at `path`, ending with one token of kind End.
std::vector<Token> preprocess(const std::string& path, const PreprocessOptions& options,
                              Diagnostics& diag);

}  // namespace corvane::cc
