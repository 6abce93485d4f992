#pragma once
// Where the host finds its files: the root directory (the programs' file system and vorn.ini),
// the font data file, and the executable itself.
//
// Root directory: $CORVANE_HOME when set; else the executable's directory when duzezi.dat lies
// there (build tree, portable copy); else, for an installed copy, $XDG_DATA_HOME/corvane (or
// ~/.local/share/corvane). The font data file is taken from the root directory when it is there,
// else from beside the executable, else from <prefix>/share/corvane, the prefix being the parent
// of the executable's directory. A Windows copy is always portable: its root is the executable's
// directory, whatever lies there yet.
//
// The runner never writes vorn.ini and keeps no root of its own: its root is --root, else
// $CORVANE_HOME, else a temporary directory made for the run; its font data file is --fonts,
// else the one beside the executable, else the installed one.

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
    bool portable = false;                   // the root is the executable's directory
};

// The inputs of the running process.
PathInputs currentPathInputs();

// The desktop program's layout by the rules above. Does not create anything.
HostPaths desktopPaths(const PathInputs& in);

// The runner's root directory: `rootOption` when given, else $CORVANE_HOME; nothing when the
// run needs a temporary one.
std::optional<std::filesystem::path> runnerRoot(const PathInputs& in,
                                                const std::string& rootOption);
// The runner's layout around `root`, with the font data file `fontsOption` when given.
HostPaths runnerPaths(const PathInputs& in, const std::filesystem::path& root,
                      const std::string& fontsOption);

// A directory as the machine holds it: absolute, normalised, ending with '/'.
std::string directoryText(const std::filesystem::path& dir);

// An environment variable, or nothing when unset or empty.
std::optional<std::string> environment(const char* name);
// A switch in the environment: set to anything but "0".
bool environmentFlag(const char* name);

}  // namespace corvane
