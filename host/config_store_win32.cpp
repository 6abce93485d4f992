#include "host/config_store_win32.h"

#include <windows.h>

#include <memory>
#include <system_error>

#include "shared/wide_text.h"

namespace corvane {
namespace fs = std::filesystem;

namespace {

struct HandleCloser {
    void operator()(HANDLE h) const { CloseHandle(h); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

Handle openFile(const fs::path& file, DWORD access, DWORD share, DWORD disposition) {
    HANDLE h = CreateFileW(file.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    return Handle(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

// The whole file. False when it cannot be read (missing, held by another program).
bool readBytes(const fs::path& file, std::string& out) {
    Handle h = openFile(file, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    if (!h) return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(h.get(), &size) || size.QuadPart > 64 * 1024 * 1024) return false;
    out.assign(size_t(size.QuadPart), '\0');
    DWORD got = 0;
    return out.empty() ||
           (ReadFile(h.get(), out.data(), DWORD(out.size()), &got, nullptr) && got == out.size());
}

// Replaces the file's bytes in place: the same file (through a link, with its attributes and
// access rights) holds `data` afterwards. Made when missing.
bool writeBytes(const fs::path& file, const std::string& data) {
    Handle h = openFile(file, GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS);
    if (!h) return false;
    DWORD put = 0;
    const bool written =
        data.empty() ||
        (WriteFile(h.get(), data.data(), DWORD(data.size()), &put, nullptr) && put == data.size());
    return written && SetEndOfFile(h.get()) && FlushFileBuffers(h.get());
}

std::wstring fromAnsi(const std::string& bytes) {
    if (bytes.empty()) return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), int(bytes.size()), nullptr, 0);
    std::wstring out(size_t(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, bytes.data(), int(bytes.size()), out.data(), n);
    return out;
}

// Whether the system's ANSI code page holds `text` unchanged, there and back.
bool ansiHolds(const std::wstring& text) {
    if (text.empty()) return true;
    const int n =
        WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return false;
    std::string ansi(size_t(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), ansi.data(), n, nullptr, nullptr);
    return fromAnsi(ansi) == text;
}

bool isUtf16(const std::string& bytes) {
    return bytes.size() >= 2 && uint8_t(bytes[0]) == 0xFF && uint8_t(bytes[1]) == 0xFE;
}

// The file's text as UTF-16 with its byte order mark, decoded from the ANSI code page exactly as
// the profile functions read it, so no value changes its meaning.
std::string asUtf16File(const std::string& ansiBytes) {
    const std::wstring text = fromAnsi(ansiBytes);
    std::string out("\xFF\xFE", 2);
    out.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    return out;
}

}  // namespace

fs::path profileBackupOf(const fs::path& file) {
    fs::path backup = file;
    backup += ".corvane-backup";
    return backup;
}

namespace {

// The copy while it is being written; it takes the backup's name only once it is whole, so a
// backup found under that name can always be trusted.
fs::path partialBackupOf(const fs::path& file) {
    fs::path partial = profileBackupOf(file);
    partial += ".part";
    return partial;
}

bool saveBackup(const fs::path& file, const std::string& bytes) {
    const fs::path partial = partialBackupOf(file);
    if (writeBytes(partial, bytes) &&
        MoveFileExW(partial.c_str(), profileBackupOf(file).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    DeleteFileW(partial.c_str());
    return false;
}

}  // namespace

void recoverInterruptedProfileWrite(const fs::path& file) {
    // A copy cut short: the file itself had not been touched yet.
    DeleteFileW(partialBackupOf(file).c_str());
    // A whole copy still there: the write it guarded was cut short (the program or the system
    // ended in the middle of it), and the file may be half written. The copy is the last whole
    // file; at most the one value being written is lost.
    const fs::path backup = profileBackupOf(file);
    std::string saved;
    if (!readBytes(backup, saved)) return;
    if (saved.empty() || writeBytes(file, saved)) DeleteFileW(backup.c_str());
}

std::unique_ptr<ConfigStore> openConfigStore(const fs::path& file) {
    recoverInterruptedProfileWrite(file);
    return std::make_unique<Win32ProfileStore>(file);
}

bool Win32ProfileStore::createIfMissing() const {
    // Create-new: an existing file is never truncated, even by a race.
    HANDLE h = CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_ARCHIVE, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

std::string Win32ProfileStore::getString(const std::string& section, const std::string& key,
                                         const std::string& fallback) const {
    const std::wstring s = widen(section), k = widen(key), d = widen(fallback);
    std::wstring buffer(260, L'\0');
    for (;;) {
        const DWORD n = GetPrivateProfileStringW(s.c_str(), k.c_str(), d.c_str(), buffer.data(),
                                                 DWORD(buffer.size()), path_.c_str());
        // A value that filled the buffer may have been cut: read it again into a larger one.
        if (size_t(n) + 1 < buffer.size() || buffer.size() >= 1u << 20) {
            buffer.resize(n);
            return narrow(buffer);
        }
        buffer.resize(buffer.size() * 4);
    }
}

bool Win32ProfileStore::setString(const std::string& section, const std::string& key,
                                  const std::string& value) const {
    const std::wstring s = widen(section), k = widen(key), v = widen(value);
    const DWORD attributes = GetFileAttributesW(path_.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    // Made read-only on purpose: left as it is (the profile functions would refuse it too).
    if (exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) return false;
    std::string before;
    if (exists && !readBytes(path_, before)) return false;

    // The whole old file beside it until the new one is known good.
    const fs::path backup = profileBackupOf(path_);
    const bool backedUp = !before.empty();
    if (backedUp && !saveBackup(path_, before)) return false;

    bool ok = true;
    if (!isUtf16(before) && !(ansiHolds(s) && ansiHolds(k) && ansiHolds(v)))
        ok = writeBytes(path_, asUtf16File(before));
    ok = ok && WritePrivateProfileStringW(s.c_str(), k.c_str(), v.c_str(), path_.c_str()) != 0;

    if (!ok && backedUp) {
        std::string now;
        const bool intact = readBytes(path_, now) && now == before;
        // The copy stays when the file could not be put back: it is the only whole one.
        if (!intact && !writeBytes(path_, before)) return false;
    }
    if (backedUp) DeleteFileW(backup.c_str());
    return ok;
}

}  // namespace corvane
