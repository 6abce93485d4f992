#pragma once
// How the tools write the file they make (an image, a listing, debug information).

#include <string>
#include <string_view>

namespace corvane {

// Writes `bytes` to `path` (UTF-8). A regular file, or a new one, is written beside its place
// and renamed over it, so a failed write (a full disk) leaves neither a half-written file nor
// a lost earlier one; through a symbolic link it is the file linked to that is replaced.
// Anything else, a device such as /dev/stdout or /dev/full or a pipe, is written in place and
// never removed. False when the bytes did not all reach the file.
bool writeOutputFile(const std::string& path, std::string_view bytes);

}  // namespace corvane
