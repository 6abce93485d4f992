#include "host/config.h"

#include <cctype>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <system_error>
#include <vector>

namespace corvane {
namespace {

std::string trim(const std::string& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
    return text.substr(begin, end - begin);
}

bool sameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

// "[name]" gives name; anything else is no section header.
bool sectionHeader(const std::string& line, std::string& name) {
    std::string t = trim(line);
    if (t.size() < 2 || t.front() != '[') return false;
    size_t close = t.find(']');
    if (close == std::string::npos) return false;
    name = trim(t.substr(1, close - 1));
    return true;
}

// "key=value" gives key and value; comments and lines without '=' give nothing.
bool keyLine(const std::string& line, std::string& key, std::string& value) {
    std::string t = trim(line);
    if (t.empty() || t.front() == ';' || t.front() == '#') return false;
    size_t eq = t.find('=');
    if (eq == std::string::npos) return false;
    key = trim(t.substr(0, eq));
    value = trim(t.substr(eq + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    return true;
}

bool readLines(const std::filesystem::path& path, std::vector<std::string>& lines) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return true;
}

bool usesCrLf(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string line;
    return in && std::getline(in, line) && !line.empty() && line.back() == '\r';
}

bool writable(std::filesystem::perms p) {
    using std::filesystem::perms;
    return (p & (perms::owner_write | perms::group_write | perms::others_write)) != perms::none;
}

}  // namespace

std::filesystem::path linkTarget(const std::filesystem::path& path) {
    std::filesystem::path target = path;
    std::error_code ec;
    // A bounded walk: a loop of links ends as the system's own lookup would give up.
    for (int hop = 0; hop < 40 && std::filesystem::is_symlink(target, ec); ++hop) {
        const std::filesystem::path link = std::filesystem::read_symlink(target, ec);
        if (ec) break;
        target = link.is_absolute() ? link : target.parent_path() / link;
    }
    return target;
}

bool ProfileFile::createIfMissing() const {
#if defined(_WIN32)
    // The Windows C runtime knows no "x" mode: look first, then create (the name in wide
    // characters, so any folder name works).
    std::error_code ec;
    if (std::filesystem::exists(path_, ec) || ec) return false;
    std::FILE* f = _wfopen(path_.c_str(), L"wb");
#else
    // "x": create-new, so an existing file is never truncated, even by a race.
    std::FILE* f = std::fopen(path_.c_str(), "wbx");
#endif
    if (!f) return false;
    std::fclose(f);
    return true;
}

std::string ProfileFile::getString(const std::string& section, const std::string& key,
                                   const std::string& fallback) const {
    std::vector<std::string> lines;
    if (!readLines(path_, lines)) return fallback;
    bool inSection = false;
    for (const std::string& line : lines) {
        std::string name, k, v;
        if (sectionHeader(line, name)) {
            inSection = sameName(name, section);
        } else if (inSection && keyLine(line, k, v) && sameName(k, key)) {
            return v;
        }
    }
    return fallback;
}

bool ProfileFile::setString(const std::string& section, const std::string& key,
                            const std::string& value) const {
    std::vector<std::string> lines;
    readLines(path_, lines);  // a missing file starts empty
    const std::string entry = key + "=" + value;

    // Find the section, the key inside it, and the last non-blank line of the section.
    size_t sectionAt = lines.size();
    size_t keyAt = lines.size();
    size_t lastInSection = lines.size();
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string name, k, v;
        if (sectionHeader(lines[i], name)) {
            if (sectionAt != lines.size()) break;  // the next section ends ours
            if (sameName(name, section)) {
                sectionAt = i;
                lastInSection = i;
            }
        } else if (sectionAt != lines.size()) {
            if (!trim(lines[i]).empty()) lastInSection = i;
            if (keyLine(lines[i], k, v) && sameName(k, key)) {
                keyAt = i;
                break;
            }
        }
    }
    if (keyAt != lines.size()) {
        lines[keyAt] = entry;
    } else if (sectionAt != lines.size()) {
        lines.insert(lines.begin() + std::ptrdiff_t(lastInSection + 1), entry);
    } else {
        lines.push_back("[" + section + "]");
        lines.push_back(entry);
    }

    const char* eol = usesCrLf(path_) ? "\r\n" : "\n";
    std::ostringstream text;
    for (const std::string& line : lines) text << line << eol;

    // The file a symbolic link points to is the one rewritten; the link stays.
    const std::filesystem::path target = linkTarget(path_);
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(target, ec);
    const bool exists = std::filesystem::exists(status);
    // A file or folder without any write permission was made read-only on purpose: it is left
    // as it is, even for a user (root) the system would let write it.
    if (exists && !writable(status.permissions())) return false;
    const std::filesystem::path folder =
        target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    if (!writable(std::filesystem::status(folder, ec).permissions())) return false;

    // Write a temporary beside the file and rename it over: a crash or a full disk never
    // leaves a half-written configuration behind.
    std::random_device rd;
    std::filesystem::path temp = target;
    temp += ".tmp" + std::to_string(rd());
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        const std::string data = text.str();
        out.write(data.data(), std::streamsize(data.size()));
        out.flush();
        if (!out) {
            out.close();
            std::filesystem::remove(temp, ec);
            return false;
        }
    }
    // The rewritten file keeps the permission bits the old one had.
    if (exists) {
        std::filesystem::permissions(temp, status.permissions(), ec);
        if (ec) {
            std::filesystem::remove(temp, ec);
            return false;
        }
    }
    std::filesystem::rename(temp, target, ec);
    if (ec) {
        std::filesystem::remove(temp, ec);
        return false;
    }
    return true;
}

}  // namespace corvane
