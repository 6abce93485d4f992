// Real paths on Windows: the path of the opened file or folder as the file system reports it,
// after junctions, symbolic links and short names. The standard library's canonical form does
// none of that here (it only tidies the text), and under Wine a Unix symbolic link inside the
// drive looks like an ordinary folder; the opened handle's path shows where it really leads.

#include <windows.h>

#include <string>

#include "shared/real_path.h"

namespace corvane {
namespace {

std::wstring toWide(const std::string& text) {
    if (text.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), int(text.size()),
                                      nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), int(text.size()), wide.data(),
                        n);
    return wide;
}

std::string toUtf8(const std::wstring& wide) {
    if (wide.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), int(wide.size()),
                                      nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string text(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), int(wide.size()), text.data(),
                        n, nullptr, nullptr);
    return text;
}

// Opens without reading or writing, so nothing is locked or changed; folders open only with
// backup semantics. With `link` set, a link itself opens instead of what it points to.
HANDLE openForName(const std::wstring& path, bool link) {
    const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (link ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
    return CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, flags, nullptr);
}

// The final path of what `path` opens, without the "\\?\" the system puts in front; a network
// path comes back as "\\server\share\...".
bool finalPathOf(const std::wstring& path, std::wstring& out) {
    const HANDLE h = openForName(path, false);
    if (h == INVALID_HANDLE_VALUE) return false;
    std::wstring buffer(MAX_PATH, L'\0');
    DWORD n = GetFinalPathNameByHandleW(h, buffer.data(), DWORD(buffer.size()), VOLUME_NAME_DOS);
    if (n >= buffer.size()) {
        buffer.resize(n + 1);
        n = GetFinalPathNameByHandleW(h, buffer.data(), DWORD(buffer.size()), VOLUME_NAME_DOS);
    }
    CloseHandle(h);
    if (n == 0 || n >= buffer.size()) return false;
    buffer.resize(n);
    if (buffer.rfind(L"\\\\?\\UNC\\", 0) == 0) {
        out = L"\\\\" + buffer.substr(8);
    } else if (buffer.rfind(L"\\\\?\\", 0) == 0) {
        out = buffer.substr(4);
    } else {
        out = buffer;
    }
    return true;
}

// Whether something named `name` lies in `dir` although it did not open: a link to nothing.
// Windows opens a dangling link itself with FILE_FLAG_OPEN_REPARSE_POINT; Wine shows a Unix
// link to nothing only in the folder's listing.
bool isThereUnopened(const std::wstring& path, const std::wstring& dir, const std::wstring& name) {
    const HANDLE h = openForName(path, true);
    if (h != INVALID_HANDLE_VALUE) {
        CloseHandle(h);
        return true;
    }
    WIN32_FIND_DATAW entry;
    const HANDLE find = FindFirstFileW((dir + L"\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return false;
    bool found = false;
    do {
        found = CompareStringOrdinal(entry.cFileName, -1, name.c_str(), int(name.size()), TRUE) ==
                CSTR_EQUAL;
    } while (!found && FindNextFileW(find, &entry));
    FindClose(find);
    return found;
}

}  // namespace

std::optional<std::string> realHostPath(const std::string& path) {
    std::wstring rest;
    std::wstring here = toWide(path);
    if (here.empty()) return std::nullopt;
    for (wchar_t& c : here) {
        if (c == L'/') c = L'\\';
    }
    while (here.size() > 3 && here.back() == L'\\') here.pop_back();
    for (;;) {
        std::wstring real;
        if (finalPathOf(here, real)) {
            if (!real.empty() && real.back() == L'\\' && !rest.empty()) real.pop_back();
            return toUtf8(real + rest);
        }
        const size_t cut = here.find_last_of(L'\\');
        if (cut == std::wstring::npos || cut + 1 >= here.size()) return std::nullopt;
        const std::wstring name = here.substr(cut + 1);
        // "C:\" keeps its separator: "C:" alone is the drive's current directory.
        const std::wstring dir = here.substr(0, cut == 2 && here[1] == L':' ? 3 : cut);
        if (dir == here) return std::nullopt;
        if (isThereUnopened(here, here.substr(0, cut), name)) return std::nullopt;
        rest = L"\\" + name + rest;
        here = dir;
    }
}

bool createNewHostFile(const std::string& path) {
    const std::wstring wide = toWide(path);
    if (wide.empty()) return false;
    const HANDLE h = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

std::FILE* openHostFile(const std::string& path, const char* mode) {
    const std::wstring wide = toWide(path);
    const std::wstring wideMode = toWide(mode);
    if (wide.empty() || wideMode.empty()) return nullptr;
    return _wfopen(wide.c_str(), wideMode.c_str());
}

}  // namespace corvane
