#include "library/path.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "library/gb2312.h"
#include "shared/host_path.h"
#include "shared/real_path.h"

namespace corvane {

namespace fs = std::filesystem;

namespace {

using Components = std::vector<std::string>;

// How this host writes a path: POSIX paths start with '/'; Windows paths with a drive ("C:")
// and take '\' or '/' between components, where a name differing only in letter case is the
// same name.
#ifdef _WIN32
constexpr bool kDrivePaths = true;
#else
constexpr bool kDrivePaths = false;
#endif
constexpr char kSeparator = kHostSeparator;

bool isSeparator(char c) {
    return c == '/' || (kDrivePaths && c == '\\');
}

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool sameIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    }
    return true;
}

// Whether two components name the same entry on this host. Only ASCII letters fold: a name
// that differs elsewhere in case is taken as another, which at worst refuses a path.
bool sameComponent(std::string_view a, std::string_view b) {
    return kDrivePaths ? sameIgnoringAsciiCase(a, b) : a == b;
}

// The part of an absolute host path above its components: "" on POSIX, the drive ("C:") or a
// network share ("\\server\share") on Windows. Its length, or nothing when `path` is no
// absolute host path (on Windows "\x" and "C:x" depend on the current drive or directory).
std::optional<size_t> prefixLength(std::string_view path) {
    if (!kDrivePaths) {
        if (path.empty() || path.front() != '/') return std::nullopt;
        return 0;
    }
    const auto isLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    if (path.size() >= 3 && isLetter(path[0]) && path[1] == ':' && isSeparator(path[2])) return 2;
    if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
        const size_t server = path.find_first_of("\\/", 2);
        if (server == std::string_view::npos || server == 2) return std::nullopt;
        const size_t share = path.find_first_of("\\/", server + 1);
        if (share == server + 1) return std::nullopt;
        return share == std::string_view::npos ? path.size() : share;
    }
    return std::nullopt;
}

// Appends the components of `path` to `out`, resolving "." and ".." as the host's full-path
// service does: ".." at the top of the file system stays there, empty components vanish.
void appendComponents(std::string_view path, Components& out) {
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = start;
        while (end < path.size() && !isSeparator(path[end])) ++end;
        const std::string_view part = path.substr(start, end - start);
        if (part == "..") {
            if (!out.empty()) out.pop_back();
        } else if (!part.empty() && part != ".") {
            out.emplace_back(part);
        }
        start = end + 1;
    }
}

// An absolute host path taken apart: its prefix and its components.
struct HostPath {
    std::string prefix;
    Components parts;
};

std::optional<HostPath> splitHostPath(std::string_view path) {
    const std::optional<size_t> prefix = prefixLength(path);
    if (!prefix) return std::nullopt;
    HostPath out{std::string(path.substr(0, *prefix)), {}};
    appendComponents(path.substr(*prefix), out.parts);
    return out;
}

std::string joinComponents(const std::string& prefix, const Components& parts) {
    std::string out = prefix;
    if (parts.empty()) return out + kSeparator;
    for (const std::string& part : parts) {
        out += kSeparator;
        out += part;
    }
    return out;
}

// The entry of `dir` whose name equals `name` up to ASCII letter case; the first in byte order
// when several do, so the choice does not depend on the order the directory lists them in.
std::optional<std::string> caseAlternative(const fs::path& dir, const std::string& name) {
    std::error_code ec;
    std::optional<std::string> best;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::string entry = hostPathText(it->path().filename());
        if (sameIgnoringAsciiCase(entry, name) && (!best || entry < *best)) best = std::move(entry);
    }
    return best;
}

// True when `inner` is `outer` or lies below it, comparing whole components.
bool liesInside(const HostPath& inner, const HostPath& outer) {
    if (!sameIgnoringAsciiCase(inner.prefix, outer.prefix) ||
        inner.parts.size() < outer.parts.size()) {
        return false;
    }
    return std::equal(outer.parts.begin(), outer.parts.end(), inner.parts.begin(), sameComponent);
}

// Whether the file system places `path` inside the real root; nothing when it cannot tell.
bool reallyInside(const std::string& path, const HostPath& realRoot) {
    const std::optional<std::string> real = realHostPath(path);
    if (!real) return false;
    const std::optional<HostPath> split = splitHostPath(*real);
    return split && liesInside(*split, realRoot);
}

}  // namespace

std::optional<std::string> resolveProgramPath(const std::string& rootDir,
                                              const std::string& currentDir,
                                              std::string_view programName, PathRules rules) {
    if (!prefixLength(rootDir) || programName.size() > kMaxPathBytes) return std::nullopt;
    std::string name;
    if (!gb2312ToUtf8(programName, name)) return std::nullopt;
    std::replace(name.begin(), name.end(), '\\', '/');
    if (rules == PathRules::Windows && !fitsWindowsNames(name)) return std::nullopt;

    // A leading separator names a path from the root; anything else is relative to the
    // current directory.
    std::string joined;
    if (!name.empty() && name.front() == '/') {
        joined = rootDir + name.substr(1);
    } else {
        joined = (currentDir.empty() ? rootDir : currentDir) + name;
    }
    if (joined.size() > kMaxPathBytes) return std::nullopt;

    const std::optional<HostPath> root = splitHostPath(rootDir);
    std::optional<HostPath> path = splitHostPath(joined);
    if (!root || !path || !liesInside(*path, *root)) return std::nullopt;
    // The root keeps its own spelling, so every path starts with the root's text.
    path->prefix = root->prefix;
    std::copy(root->parts.begin(), root->parts.end(), path->parts.begin());
    Components& parts = path->parts;

    std::error_code ec;
    const std::string rootText = joinComponents(root->prefix, root->parts);
    if (!fs::exists(hostFsPath(rootText), ec)) return std::nullopt;
    const std::optional<std::string> realRootText = realHostPath(rootText);
    const std::optional<HostPath> realRoot =
        realRootText ? splitHostPath(*realRootText) : std::nullopt;
    if (!realRoot) return std::nullopt;

    // Below the root, fall back to an entry that differs only in letter case wherever the exact
    // name is missing, so "w" rewrites DATA.DAT's data.dat instead of creating a twin beside it.
    // Only folders that really lie inside the root are listed: once a link has led the path
    // outside, nothing there is looked at, and the check below refuses the path.
    fs::path actual = hostFsPath(rootText);
    bool parentIsSearchable = true;
    for (size_t i = root->parts.size(); i < parts.size(); ++i) {
        if (parentIsSearchable &&
            !fs::exists(fs::symlink_status(actual / hostFsPath(parts[i]), ec))) {
            if (auto alternative = caseAlternative(actual, parts[i])) parts[i] = *alternative;
        }
        actual /= hostFsPath(parts[i]);
        parentIsSearchable =
            fs::is_directory(actual, ec) && reallyInside(hostPathText(actual), *realRoot);
    }

    // Links inside the root may lead anywhere: judge where the path really ends up.
    if (!reallyInside(hostPathText(actual), *realRoot)) return std::nullopt;

    std::string result = joinComponents(path->prefix, parts);
    if (result.size() > kMaxPathBytes) return std::nullopt;
    return result;
}

}  // namespace corvane
