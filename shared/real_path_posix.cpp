// Real paths on a POSIX file system: the standard library follows every symbolic link.

#include <filesystem>
#include <system_error>

#include "shared/real_path.h"

namespace corvane {

namespace fs = std::filesystem;

std::optional<std::string> realHostPath(const std::string& path) {
    std::error_code ec;
    // Opening for writing would create the file that a link to nothing names, wherever it is.
    const fs::file_status linkStatus = fs::symlink_status(path, ec);
    if (fs::is_symlink(linkStatus) && !fs::exists(fs::status(path, ec))) return std::nullopt;
    const fs::path real = fs::weakly_canonical(path, ec);
    if (ec) return std::nullopt;
    return real.string();
}

// The real-path check has refused a link to nothing already; the ordinary open creates the file.
bool createNewHostFile(const std::string&) {
    return true;
}

std::FILE* openHostFile(const std::string& path, const char* mode) {
    return std::fopen(path.c_str(), mode);
}

}  // namespace corvane
