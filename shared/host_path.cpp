// Host paths as UTF-8 text.

#include "shared/host_path.h"

#include <exception>

namespace corvane {

namespace fs = std::filesystem;

// On Windows the conversions between UTF-8 and the wide names throw on a sequence that is not
// UTF-8 (or UTF-16): such a name names no file, and comes out empty instead.
std::string hostPathText(const fs::path& path) {
#ifdef _WIN32
    try {
        const std::u8string text = path.u8string();
        return std::string(text.begin(), text.end());
    } catch (const std::exception&) {
        return {};
    }
#else
    return path.string();
#endif
}

fs::path hostFsPath(const std::string& text) {
#ifdef _WIN32
    try {
        return fs::path(std::u8string(text.begin(), text.end()));
    } catch (const std::exception&) {
        return {};
    }
#else
    return fs::path(text);
#endif
}

}  // namespace corvane
