#pragma once
// Shared helpers of the assembler and disassembler tests.

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "tools/vrnasm/assembler.h"

namespace corvane::test {

using Bytes = std::vector<uint8_t>;

// The code bytes (after the 16-byte header) of a source that must assemble.
inline Bytes codeOf(std::string_view source, const AsmOptions& options = {}) {
    Bytes image = assembleOrThrow(source, options);
    return Bytes(image.begin() + 16, image.end());
}

// Options that read include files from a map instead of the disk. The map names files with '/';
// the assembler joins paths with the host's separator, a backslash on Windows.
inline AsmOptions filesFrom(const std::map<std::string, std::string>& files) {
    AsmOptions options;
    options.readFile = [files](std::string path) -> std::optional<std::string> {
        std::replace(path.begin(), path.end(), '\\', '/');
        auto it = files.find(path);
        if (it == files.end()) return std::nullopt;
        return it->second;
    };
    return options;
}

}  // namespace corvane::test
