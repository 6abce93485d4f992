#pragma once
// A fresh folder of a test's own under the temporary directory, removed with everything in it
// when the owner goes away (also after a failed assertion, which unwinds through the test).

#include <chrono>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>

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
        namespace fs = std::filesystem;
        std::error_code ec;
        fs::remove_all(path_, ec);
        // What stays: on Windows a file a test made read-only, or one still held for a moment
        // by a child process that has just ended. Links are left alone: their targets may lie
        // anywhere.
        for (int attempt = 0; attempt < 50 && fs::exists(path_, ec); ++attempt) {
            for (auto it = fs::recursive_directory_iterator(path_, ec);
                 !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
                std::error_code linkEc;
                if (!it->is_symlink(linkEc))
                    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add,
                                    linkEc);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            fs::remove_all(path_, ec);
        }
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
