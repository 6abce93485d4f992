#pragma once
// Where the settings of vorn.ini are kept. The host alone decides which sections and keys it
// reads and writes, their defaults and when; a store only keeps the values, with the semantics
// of a profile file: section and key names match without regard to ASCII case, values are
// trimmed of blanks and of one pair of enclosing double quotes, a missing file, section or key
// gives the caller's fallback. Texts are UTF-8 in and out.
//
// Each system has its own store: the text file of ProfileFile (host/config.h) on Linux, the
// system's own profile functions on Windows. openConfigStore gives the one of this build.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace corvane {

class ConfigStore {
  public:
    virtual ~ConfigStore() = default;

    virtual const std::filesystem::path& path() const = 0;

    // Creates the file empty when it does not exist. True only when it was created here.
    virtual bool createIfMissing() const = 0;

    // The value of `key` in `section`, or `fallback` when the file, the section or the key is
    // missing.
    virtual std::string getString(const std::string& section, const std::string& key,
                                  const std::string& fallback) const = 0;

    // Sets `key` in `section`. False when the file cannot be written (read-only, no room, held
    // by another program); the old file then stays as it was.
    virtual bool setString(const std::string& section, const std::string& key,
                           const std::string& value) const = 0;

    // The value as an unsigned decimal number: its leading digits, saturated at 2^32 - 1. A
    // missing key gives `fallback`; a value that is negative or does not start with a digit
    // gives 0. The same on every system, so it is parsed here rather than by the system.
    uint32_t getUnsigned(const std::string& section, const std::string& key,
                         uint32_t fallback) const;
};

// The store of this build for the configuration file `file`.
std::unique_ptr<ConfigStore> openConfigStore(const std::filesystem::path& file);

// The parse of a profile value as an unsigned number (see getUnsigned).
uint32_t profileUnsigned(const std::string& value);

}  // namespace corvane
