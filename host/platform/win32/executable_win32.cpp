#include <windows.h>

#include <string>

#include "host/paths.h"

namespace corvane {

std::filesystem::path executablePath() {
    // Wide characters, so a folder name in any language survives.
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

}  // namespace corvane
