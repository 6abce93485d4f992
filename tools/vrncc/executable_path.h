#pragma once
// Where the running compiler lies, so that it finds the headers and runtime library shipped
// beside it.

#include <filesystem>

namespace corvane::cc {

// The running executable's full path, or an empty path when the system does not tell.
std::filesystem::path ccExecutablePath();

}  // namespace corvane::cc
