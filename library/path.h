#pragma once
// The program's view of the host file system: a program names files in GB2312 with '\' or '/'
// between components, relative to its current directory or (with a leading separator) to the
// root directory. These functions turn such a name into a host path and decide whether the
// program may use it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// What callers do with a resolved path: open it through the host path helpers.
#include "shared/host_path.h"

namespace corvane {

// Longest program name, and longest host path, that the file calls accept: both live in
// buffers of 260 bytes with their terminator. Anything longer is refused, never truncated.
constexpr size_t kMaxPathBytes = 259;

// The host path (UTF-8, absolute, without "." or ".." and without a trailing separator unless it
// is the file system's root) that `programName` designates, or nothing when the program may not
// use it:
// - the name does not convert from GB2312, or the name or the path is too long;
// - the normalised path does not lie inside `rootDir`, compared component by component;
// - after following symbolic links the path leads outside the root, or ends in a link to
//   nothing (which opening for writing would create outside the root).
// `rootDir` and `currentDir` are absolute host paths ending with kHostSeparator: "/..." on POSIX,
// C:\Games\Corvane\ and the like on Windows, where components compare without regard to ASCII
// letter case (and the path keeps the root's own spelling) and real paths come from the file system
// itself, past junctions and short names. Each component below the root that does not exist exactly
// is replaced by an existing entry whose name differs only in ASCII letter case (the first in byte
// order), so programs written for a case-insensitive file system find their files. On a Windows
// host the name must also pass fitsWindowsNames.
enum class PathRules : uint8_t { Posix, Windows };
#ifdef _WIN32
constexpr PathRules kHostPathRules = PathRules::Windows;
constexpr char kHostSeparator = '\\';
#else
constexpr PathRules kHostPathRules = PathRules::Posix;
constexpr char kHostSeparator = '/';
#endif

std::optional<std::string> resolveProgramPath(const std::string& rootDir,
                                              const std::string& currentDir,
                                              std::string_view programName,
                                              PathRules rules = kHostPathRules);

// Whether a program's name (UTF-8, '/' between components) stays out of what a Windows file
// system reads into a name beyond its folders: no drive ("C:x", "C:/x"), no network or device
// path ("//server/share", "//?/", "//./"), no reserved device name in any component, with or
// without an extension and in any letter case ("CON", "nul", "con.txt", "COM1", "LPT9"), no
// alternate data stream ("name:stream"), no component ending in a dot or a space, and none of
// the characters no Windows name holds (wildcards, '<', '>', '|', '"', control characters).
bool fitsWindowsNames(std::string_view name);

}  // namespace corvane
