#pragma once
// Host paths as UTF-8 text, the same way on every system: the form in which paths travel
// between the simulator's parts, and the standard library's path for its file functions.

#include <filesystem>
#include <string>

namespace corvane {

// A host path (UTF-8 text) for the standard library's file functions. On Windows a plain
// string would be read in the system's code page, so the text goes in as UTF-8 explicitly;
// there, text that is not UTF-8 gives the empty path, which names no file.
std::filesystem::path hostFsPath(const std::string& text);

// The UTF-8 text of a host path, the counterpart of hostFsPath: path::string() would write it in
// the system's code page on Windows, and fail on a name that code page cannot spell.
std::string hostPathText(const std::filesystem::path& path);

}  // namespace corvane
