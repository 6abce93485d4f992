#pragma once
// A fresh folder of a test's own under the temporary directory, removed with everything in it
// when the owner goes away (also after a failed assertion, which unwinds through the test).

#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>

namespace corvane::test {

class TempDir {
  public:
    explicit TempDir(const std::string& prefix = "corvane-test") {
        // Creating a folder fails when the name exists, so a random name that we create is
        // ours alone, even across processes running at once (on every system alike).
        const std::filesystem::path base = std::filesystem::temp_directory_path();
        std::random_device seed;
        std::mt19937_64 random(seed());
        static constexpr char kDigits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::string name = prefix + "-";
            for (int i = 0; i < 8; ++i) name += kDigits[random() % (sizeof kDigits - 1)];
            std::error_code ec;
            if (std::filesystem::create_directory(base / name, ec)) {
                path_ = base / name;
                return;
            }
            if (ec) break;
        }
        throw std::runtime_error("cannot make a temporary folder in " + base.string());
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    // The folder as the machine and the loader hold it: ending with the host's separator.
    std::string text() const {
        return path_.string() + char(std::filesystem::path::preferred_separator);
    }

  private:
    std::filesystem::path path_;
};

}  // namespace corvane::test
