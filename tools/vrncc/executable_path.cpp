#include "tools/vrncc/executable_path.h"

#include <system_error>

#ifdef _WIN32
#include <windows.h>

#include <string>
#endif

namespace corvane::cc {

#ifdef _WIN32
std::filesystem::path ccExecutablePath() {
    // Wide characters, so a folder named in any language survives.
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) {
            buffer.resize(n);
            return std::filesystem::path(buffer);
        }
        buffer.resize(buffer.size() * 2);
    }
}
#else
std::filesystem::path ccExecutablePath() {
    std::error_code ec;
    std::filesystem::path p = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return {};
    return p;
}
#endif

}  // namespace corvane::cc
