#pragma once
// The configuration file vorn.ini as a text file read and written by our own code, the store of
// the Linux build: bracketed sections with one "key=value" a line, by full path. Section and key
// names match without regard to ASCII case; values are trimmed of blanks and of one pair of
// enclosing double quotes. Every read opens the file afresh; every write rewrites it atomically
// (a temporary beside it, then a rename), keeping all other sections, keys, comments and lines,
// and the file's permission bits. A symbolic link is followed: the file it points to is
// rewritten and the link stays. A read-only file or folder (no write permission at all) is never
// rewritten.

#include <filesystem>
#include <string>

#include "host/config_store.h"

namespace corvane {

class ProfileFile final : public ConfigStore {
  public:
    explicit ProfileFile(std::filesystem::path path) : path_(std::move(path)) {}

    const std::filesystem::path& path() const override { return path_; }

    bool createIfMissing() const override;

    std::string getString(const std::string& section, const std::string& key,
                          const std::string& fallback) const override;

    // Adds the section at the end, or the key at the end of its section, when missing.
    bool setString(const std::string& section, const std::string& key,
                   const std::string& value) const override;

  private:
    std::filesystem::path path_;
};

// The file a path names after following symbolic links (the path itself when it is none).
std::filesystem::path linkTarget(const std::filesystem::path& path);

}  // namespace corvane
