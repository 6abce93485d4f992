#pragma once
// Watches the host file calls the process makes (opening files and folders, creating, removing
// and renaming) while it is armed, and remembers every one that reached a path outside the
// allowed folder. The watch sits in front of the C library's own functions, so it sees the calls
// the system library makes through std::fopen and std::filesystem alike.

#include <string>
#include <vector>

namespace corvane::fuzz {

struct FileGuard {
    // Starts watching: `allowed` is a canonical folder path without a trailing separator.
    static void arm(const std::string& allowed);
    static void disarm();
    // What reached outside since `arm`, one "call path" each.
    static const std::vector<std::string>& escapes();
    // Whether any watched call may have changed the allowed folder since `arm`.
    static bool changedFiles();
};

}  // namespace corvane::fuzz
