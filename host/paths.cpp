#include "host/paths.h"

#include <cstdlib>
#include <cstring>
#include <system_error>

#include "library/path.h"

namespace corvane {
namespace fs = std::filesystem;

namespace {

bool isFile(const fs::path& p) {
    std::error_code ec;
    return fs::is_regular_file(p, ec);
}

}  // namespace

std::optional<std::string> environment(const char* name) {
#ifdef _WIN32
    // The wide environment, so a folder named in any language arrives as UTF-8 rather than in
    // the system's code page (names are ASCII; the path carries the UTF-16 to UTF-8 step).
    const std::wstring wideName(name, name + std::strlen(name));
    const wchar_t* value = _wgetenv(wideName.c_str());
    if (!value || !*value) return std::nullopt;
    return hostPathText(fs::path(value));
#else
    const char* value = std::getenv(name);
    if (!value || !*value) return std::nullopt;
    return std::string(value);
#endif
}

bool environmentFlag(const char* name) {
    const auto value = environment(name);
    return value && *value != "0";
}

PathInputs currentPathInputs() {
    PathInputs in;
    in.executableDir = executablePath().parent_path();
    in.corvaneHome = environment("CORVANE_HOME");
    in.xdgDataHome = environment("XDG_DATA_HOME");
    in.home = environment("HOME");
#ifdef _WIN32
    in.portable = true;
#endif
    return in;
}

HostPaths desktopPaths(const PathInputs& in) {
    HostPaths paths;
    const fs::path besideExe = in.executableDir / kFontFileName;
    if (in.corvaneHome) {
        paths.root = hostFsPath(*in.corvaneHome);
    } else if (in.portable || isFile(besideExe)) {
        paths.root = in.executableDir;
    } else if (in.xdgDataHome) {
        paths.root = hostFsPath(*in.xdgDataHome) / "corvane";
    } else if (in.home) {
        paths.root = hostFsPath(*in.home) / ".local" / "share" / "corvane";
    } else {
        paths.root = in.executableDir;
    }
    std::error_code ec;
    fs::path absolute = fs::absolute(paths.root, ec);
    if (!ec) paths.root = absolute.lexically_normal();
    paths.configFile = paths.root / kConfigFileName;

    if (isFile(paths.root / kFontFileName)) {
        paths.fontFile = paths.root / kFontFileName;
    } else if (isFile(besideExe)) {
        paths.fontFile = besideExe;
    } else {
        paths.fontFile = in.executableDir.parent_path() / "share" / "corvane" / kFontFileName;
    }
    return paths;
}

std::optional<fs::path> runnerRoot(const PathInputs& in, const std::string& rootOption) {
    if (!rootOption.empty()) return hostFsPath(rootOption);
    if (in.corvaneHome) return hostFsPath(*in.corvaneHome);
    return std::nullopt;
}

HostPaths runnerPaths(const PathInputs& in, const fs::path& root, const std::string& fontsOption) {
    HostPaths paths;
    std::error_code ec;
    paths.root = fs::absolute(root, ec);
    paths.configFile = paths.root / kConfigFileName;
    if (!fontsOption.empty()) {
        paths.fontFile = hostFsPath(fontsOption);
        return paths;
    }
    // Beside the executable (build tree, portable copy), else where an installation keeps it.
    paths.fontFile = in.executableDir / kFontFileName;
    const fs::path installed = in.executableDir.parent_path() / "share" / "corvane" / kFontFileName;
    if (!fs::exists(paths.fontFile, ec) && fs::exists(installed, ec)) paths.fontFile = installed;
    return paths;
}

std::string directoryText(const fs::path& dir) {
    std::error_code ec;
    fs::path p = fs::weakly_canonical(fs::absolute(dir, ec), ec);
    if (ec) p = fs::absolute(dir, ec).lexically_normal();
    // Written the host's own way, with a drive and backslashes on Windows.
    const char separator = char(fs::path::preferred_separator);
    std::string text = hostPathText(p.make_preferred());
    if (text.empty() || text.back() != separator) text += separator;
    return text;
}

}  // namespace corvane
