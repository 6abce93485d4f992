#pragma once
// vorn.ini on Windows, through the system's profile functions (GetPrivateProfileStringW,
// WritePrivateProfileStringW), so the file is read and written exactly as every other Windows
// program that shares it would.
//
// Texts go through the wide functions: the host's UTF-8 becomes UTF-16, so a folder or file name
// in any script reaches the file whatever the system's code page. The profile functions write a
// file in the system's ANSI code page unless it starts with the UTF-16 byte order mark; a file is
// therefore turned into UTF-16 (its text decoded as the profile functions would decode it) when,
// and only when, a value is to be written that the ANSI code page cannot hold. An ASCII-only
// vorn.ini stays a plain ANSI text file.
//
// The profile functions rewrite the file in place: a symbolic link stays and its target is
// rewritten, and the file keeps its attributes and access rights. A read-only file is never
// written. What they do not give is safety against a write that fails half-way (no room): so
// the file is copied beside itself first ("vorn.ini.corvane-backup", a name of ours alone), put
// back when the write failed, and the copy removed once the file is known good. A copy found
// when the file is opened means a write was cut short by a crash: the copy is put back.

#include <filesystem>
#include <string>

#include "host/config_store.h"

namespace corvane {

class Win32ProfileStore final : public ConfigStore {
  public:
    explicit Win32ProfileStore(std::filesystem::path path) : path_(std::move(path)) {}

    const std::filesystem::path& path() const override { return path_; }
    bool createIfMissing() const override;
    std::string getString(const std::string& section, const std::string& key,
                          const std::string& fallback) const override;
    bool setString(const std::string& section, const std::string& key,
                   const std::string& value) const override;

  private:
    std::filesystem::path path_;
};

// The copy setString keeps beside `file` while it writes.
std::filesystem::path profileBackupOf(const std::filesystem::path& file);

// Puts back the copy a write cut short left beside `file`, and removes what is left of a copy
// that was being made. openConfigStore does this before it hands out the store.
void recoverInterruptedProfileWrite(const std::filesystem::path& file);

}  // namespace corvane
