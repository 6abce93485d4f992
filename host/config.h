#pragma once
// The configuration file vorn.ini: a profile file of bracketed sections with one "key=value" a
// line, read and written by full path with the semantics the host relies on. Section and key
// names match without regard to ASCII case; values are trimmed of blanks and of one pair of
// enclosing double quotes. Every read opens the file afresh; every write rewrites it atomically
// (a temporary beside it, then a rename), keeping all other sections, keys, comments and lines,
// and the file's permission bits. A symbolic link is followed: the file it points to is
// rewritten and the link stays. A read-only file or folder (no write permission at all) is never
// rewritten.

#include <cstdint>
#include <filesystem>
#include <string>

namespace corvane {

class ProfileFile {
  public:
    explicit ProfileFile(std::filesystem::path path) : path_(std::move(path)) {}

    const std::filesystem::path& path() const { return path_; }

    // Creates the file empty when it does not exist. True only when it was created here.
    bool createIfMissing() const;

    // The value of `key` in `section`, or `fallback` when the file, the section or the key is
    // missing.
    std::string getString(const std::string& section, const std::string& key,
                          const std::string& fallback) const;

    // The value as an unsigned decimal number: its leading digits, saturated at 2^32 - 1. A
    // missing key gives `fallback`; a value that is negative or does not start with a digit
    // gives 0.
    uint32_t getUnsigned(const std::string& section, const std::string& key,
                         uint32_t fallback) const;

    // Sets `key` in `section` (adding the section at the end, or the key at the end of its
    // section, when missing). False when the file cannot be written (read-only, no room); the
    // old file then stays as it was.
    bool setString(const std::string& section, const std::string& key,
                   const std::string& value) const;

  private:
    std::filesystem::path path_;
};

// The file a path names after following symbolic links (the path itself when it is none).
std::filesystem::path linkTarget(const std::filesystem::path& path);

// The parse of a profile value as an unsigned number (see getUnsigned).
uint32_t profileUnsigned(const std::string& value);

}  // namespace corvane
