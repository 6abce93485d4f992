#include "file_guard.h"

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <limits.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

namespace corvane::fuzz {
namespace {

bool armed = false;
bool changed = false;
std::string allowedDir;
std::vector<std::string> escaped;

// Where `path` really leads: the canonical path when it exists, else that of its folder with the
// last name appended (a file about to be created).
std::string whereItLeads(const char* path) {
    char buf[PATH_MAX];
    if (::realpath(path, buf) != nullptr) return buf;
    std::string p(path);
    const size_t slash = p.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : p.substr(0, slash == 0 ? 1 : slash);
    const std::string name = slash == std::string::npos ? p : p.substr(slash + 1);
    if (::realpath(dir.c_str(), buf) == nullptr) return p;  // nothing there to reach
    return std::string(buf) + "/" + name;
}

void watch(const char* call, const char* path, bool changes) {
    if (!armed || path == nullptr) return;
    armed = false;  // realpath below must not watch itself
    if (changes) changed = true;
    const std::string real = whereItLeads(path);
    const bool inside =
        real == allowedDir ||
        (real.size() > allowedDir.size() && real.compare(0, allowedDir.size(), allowedDir) == 0 &&
         real[allowedDir.size()] == '/');
    if (!inside) escaped.push_back(std::string(call) + " " + path + " -> " + real);
    armed = true;
}

bool writesMode(const char* mode) {
    return mode != nullptr && (strchr(mode, 'w') || strchr(mode, 'a') || strchr(mode, '+'));
}

template <typename F>
F next(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

}  // namespace

void FileGuard::arm(const std::string& allowed) {
    allowedDir = allowed;
    escaped.clear();
    changed = false;
    armed = true;
}
void FileGuard::disarm() {
    armed = false;
}
const std::vector<std::string>& FileGuard::escapes() {
    return escaped;
}
bool FileGuard::changedFiles() {
    return changed;
}

}  // namespace corvane::fuzz

using corvane::fuzz::next;
using corvane::fuzz::watch;
using corvane::fuzz::writesMode;

// The C library's functions, each passing on to the next definition after recording the call.
extern "C" {

FILE* fopen(const char* path, const char* mode) {
    static auto real = next<FILE* (*)(const char*, const char*)>("fopen");
    watch("fopen", path, writesMode(mode));
    return real(path, mode);
}

FILE* fopen64(const char* path, const char* mode) {
    static auto real = next<FILE* (*)(const char*, const char*)>("fopen64");
    watch("fopen64", path, writesMode(mode));
    return real(path, mode);
}

FILE* freopen(const char* path, const char* mode, FILE* stream) {
    static auto real = next<FILE* (*)(const char*, const char*, FILE*)>("freopen");
    watch("freopen", path, writesMode(mode));
    return real(path, mode, stream);
}

int open(const char* path, int flags, ...) {
    static auto real = next<int (*)(const char*, int, ...)>("open");
    mode_t mode = 0;
    if (flags & (O_CREAT | O_TMPFILE)) {
        va_list args;
        va_start(args, flags);
        mode = va_arg(args, mode_t);
        va_end(args);
    }
    watch("open", path, (flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC)) != 0);
    return real(path, flags, mode);
}

int open64(const char* path, int flags, ...) {
    static auto real = next<int (*)(const char*, int, ...)>("open64");
    mode_t mode = 0;
    if (flags & (O_CREAT | O_TMPFILE)) {
        va_list args;
        va_start(args, flags);
        mode = va_arg(args, mode_t);
        va_end(args);
    }
    watch("open64", path, (flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC)) != 0);
    return real(path, flags, mode);
}

DIR* opendir(const char* path) {
    static auto real = next<DIR* (*)(const char*)>("opendir");
    watch("opendir", path, false);
    return real(path);
}

int mkdir(const char* path, mode_t mode) {
    static auto real = next<int (*)(const char*, mode_t)>("mkdir");
    watch("mkdir", path, true);
    return real(path, mode);
}

int remove(const char* path) {
    static auto real = next<int (*)(const char*)>("remove");
    watch("remove", path, true);
    return real(path);
}

int unlink(const char* path) {
    static auto real = next<int (*)(const char*)>("unlink");
    watch("unlink", path, true);
    return real(path);
}

int rmdir(const char* path) {
    static auto real = next<int (*)(const char*)>("rmdir");
    watch("rmdir", path, true);
    return real(path);
}

int rename(const char* from, const char* to) {
    static auto real = next<int (*)(const char*, const char*)>("rename");
    watch("rename", from, true);
    watch("rename", to, true);
    return real(from, to);
}

}  // extern "C"
