#include "library/path.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "library/gb2312.h"

namespace corvane {

namespace fs = std::filesystem;

namespace {

using Components = std::vector<std::string>;

// Appends the components of `path` to `out`, resolving "." and ".." as the host's full-path
// service does: ".." at the top of the file system stays there, empty components vanish.
void appendComponents(std::string_view path, Components& out) {
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string_view::npos) end = path.size();
        const std::string_view part = path.substr(start, end - start);
        if (part == "..") {
            if (!out.empty()) out.pop_back();
        } else if (!part.empty() && part != ".") {
            out.emplace_back(part);
        }
        start = end + 1;
    }
}

std::string joinComponents(const Components& parts) {
    if (parts.empty()) return "/";
    std::string out;
    for (const std::string& part : parts) {
        out += '/';
        out += part;
    }
    return out;
}

bool sameIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = char(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// The entry of `dir` whose name equals `name` up to ASCII letter case; the first in byte order
// when several do, so the choice does not depend on the order the directory lists them in.
std::optional<std::string> caseAlternative(const fs::path& dir, const std::string& name) {
    std::error_code ec;
    std::optional<std::string> best;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::string entry = it->path().filename().string();
        if (sameIgnoringAsciiCase(entry, name) && (!best || entry < *best)) best = std::move(entry);
    }
    return best;
}

// True when `inner` is `outer` or lies below it, comparing whole components.
bool liesInside(const fs::path& inner, const fs::path& outer) {
    auto i = inner.begin();
    for (auto o = outer.begin(); o != outer.end(); ++o, ++i) {
        if (o->empty()) continue;  // trailing separator of `outer`
        if (i == inner.end() || *i != *o) return false;
    }
    return true;
}

}  // namespace

std::optional<std::string> resolveProgramPath(const std::string& rootDir,
                                              const std::string& currentDir,
                                              std::string_view programName) {
    if (rootDir.empty() || rootDir.front() != '/' || programName.size() > kMaxPathBytes) {
        return std::nullopt;
    }
    std::string name;
    if (!gb2312ToUtf8(programName, name)) return std::nullopt;
    std::replace(name.begin(), name.end(), '\\', '/');

    // A leading separator names a path from the root; anything else is relative to the
    // current directory.
    std::string joined;
    if (!name.empty() && name.front() == '/') {
        joined = rootDir + name.substr(1);
    } else {
        joined = (currentDir.empty() ? rootDir : currentDir) + name;
    }
    if (joined.size() > kMaxPathBytes) return std::nullopt;

    Components root;
    appendComponents(rootDir, root);
    Components parts;
    appendComponents(joined, parts);
    if (parts.size() < root.size() || !std::equal(root.begin(), root.end(), parts.begin())) {
        return std::nullopt;
    }

    std::error_code ec;
    const fs::path realRoot = fs::canonical(joinComponents(root), ec);
    if (ec) return std::nullopt;

    // Below the root, fall back to an entry that differs only in letter case wherever the exact
    // name is missing, so "w" rewrites DATA.DAT's data.dat instead of creating a twin beside it.
    // Only folders that really lie inside the root are listed: once a link has led the path
    // outside, nothing there is looked at, and the check below refuses the path.
    fs::path actual(joinComponents(root));
    bool parentIsSearchable = true;
    for (size_t i = root.size(); i < parts.size(); ++i) {
        if (parentIsSearchable && !fs::exists(fs::symlink_status(actual / parts[i], ec))) {
            if (auto alternative = caseAlternative(actual, parts[i])) parts[i] = *alternative;
        }
        actual /= parts[i];
        parentIsSearchable = false;
        if (fs::is_directory(actual, ec)) {
            const fs::path realParent = fs::canonical(actual, ec);
            parentIsSearchable = !ec && liesInside(realParent, realRoot);
        }
    }

    // Symbolic links inside the root may lead anywhere: judge where the path really ends up.
    // A link to nothing is refused because creating the file through it would escape.
    const fs::file_status linkStatus = fs::symlink_status(actual, ec);
    if (fs::is_symlink(linkStatus) && !fs::exists(fs::status(actual, ec))) return std::nullopt;
    const fs::path realPath = fs::weakly_canonical(actual, ec);
    if (ec || !liesInside(realPath, realRoot)) return std::nullopt;

    std::string result = joinComponents(parts);
    if (result.size() > kMaxPathBytes) return std::nullopt;
    return result;
}

}  // namespace corvane
