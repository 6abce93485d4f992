#pragma once
// Where the host finds its files: the root directory (the programs' file system and vorn.ini),
// the font data file, and the executable itself.
//
// Root directory: $CORVANE_HOME when set; else the executable's directory when duzezi.dat lies
// there (build tree, portable copy); else, for an installed copy, $XDG_DATA_HOME/corvane (or
// ~/.local/share/corvane). The font data file is taken from the root directory when it is there,
// else from beside the executable, else from <prefix>/share/corvane, the prefix being the parent
// of the executable's directory.

#include <filesystem>
#include <optional>
#include <string>

#include "shared/process.h"

namespace corvane {

inline constexpr const char* kFontFileName = "duzezi.dat";
inline constexpr const char* kConfigFileName = "vorn.ini";

struct HostPaths {
    std::filesystem::path root;        // absolute, the programs' root directory
    std::filesystem::path configFile;  // root / vorn.ini
    std::filesystem::path fontFile;
};

// What the rules look at, gathered so the rules can be tested without touching the environment.
struct PathInputs {
    std::filesystem::path executableDir;
    std::optional<std::string> corvaneHome;  // $CORVANE_HOME
    std::optional<std::string> xdgDataHome;  // $XDG_DATA_HOME
    std::optional<std::string> home;         // $HOME
};

// The inputs of the running process.
PathInputs currentPathInputs();

// The desktop program's layout by the rules above. Does not create anything.
HostPaths desktopPaths(const PathInputs& in);

// A directory as the machine holds it: absolute, normalised, ending with '/'.
std::string directoryText(const std::filesystem::path& dir);

// An environment variable, or nothing when unset or empty.
std::optional<std::string> environment(const char* name);

}  // namespace corvane
