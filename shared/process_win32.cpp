#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include "shared/host_path.h"
#include "shared/process.h"

namespace corvane {

std::filesystem::path executablePath() {
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

std::vector<std::string> programArguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    // The shell's split agrees with the C runtime's on every ordinary line; should they ever
    // count differently, the runtime's own split stands.
    if (wide != nullptr && count != argc) {
        LocalFree(wide);
        wide = nullptr;
    }
    if (wide == nullptr) return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
    std::vector<std::string> args;
    // The path carries the UTF-16 to UTF-8 step for any text.
    for (int i = 1; i < count; ++i) args.push_back(hostPathText(std::filesystem::path(wide[i])));
    LocalFree(wide);
    return args;
}

}  // namespace corvane
