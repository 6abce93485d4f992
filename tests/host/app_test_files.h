#pragma once
// Files for host tests: a temporary folder removed at the end, and small program images.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "support/temp_dir.h"
#include "tools/vrnasm/assembler.h"

namespace corvane::test {

inline void writeBytes(const std::filesystem::path& file, const std::vector<uint8_t>& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline void writeText(const std::filesystem::path& file, const std::string& text) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
}

inline std::string readText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Writes the image of an assembly program to `file`.
inline std::filesystem::path writeProgram(const std::filesystem::path& file,
                                          std::string_view source) {
    writeBytes(file, assembleOrThrow(source));
    return file;
}

}  // namespace corvane::test
