#pragma once
// A fresh folder of a test's own under the temporary directory, removed with everything in it
// when the owner goes away (also after a failed assertion, which unwinds through the test).

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace corvane::test {

class TempDir {
  public:
    explicit TempDir(const std::string& prefix = "corvane-test") {
        // mkdtemp makes a name nobody else holds, even across processes running at once.
        std::string pattern =
            (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot make a temporary folder from " + pattern);
        }
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    // The folder as the machine and the loader hold it: ending with '/'.
    std::string text() const { return path_.string() + "/"; }

  private:
    std::filesystem::path path_;
};

}  // namespace corvane::test
