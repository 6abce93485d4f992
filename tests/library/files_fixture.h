#pragma once
// A machine whose file root is a fresh temporary directory, removed after the test.

#include <gtest/gtest.h>
#include <unistd.h>  // getpid

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "lib_helpers.h"
#include "library/path.h"
#include "support/temp_dir.h"
#include "vm/syscalls.h"

namespace corvane::test {

namespace fs = std::filesystem;

constexpr uint32_t kNameAddr = 0x3000;
constexpr uint32_t kModeAddr = 0x3400;
constexpr uint32_t kBufAddr = 0x4000;
constexpr uint32_t kTrue = 0xFFFFFFFF;

class FilesTest : public ::testing::Test, public LibMachine {
  protected:
    TempDir temp{"corvane-files"};
    fs::path base;  // holds the root and, beside it, a folder outside the root
    fs::path root;
    fs::path outside;

    void SetUp() override {
        base = temp.path();
        root = base / "root";
        outside = base / "outside";
        fs::create_directories(root);
        fs::create_directories(outside);
        m.rootDir = root.string() + kHostSeparator;
        m.currentDir = m.rootDir;
    }
    void TearDown() override {
        for (FileSlot& slot : m.files) {
            if (slot.stream != nullptr) std::fclose(slot.stream);
            slot = {};
        }
    }

    static void writeFile(const fs::path& p, const std::string& bytes) {
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << bytes;
    }
    static std::string readFile(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    uint32_t open(const std::string& name, const std::string& mode) {
        putString(kNameAddr, name);
        putString(kModeAddr, mode);
        return result(sys_fopen, {kNameAddr, kModeAddr});
    }
    uint32_t chdir(const std::string& name) {
        putString(kNameAddr, name);
        return result(sys_ChDir, {kNameAddr});
    }
    uint32_t write(uint32_t handle, const std::string& bytes) {
        putString(kBufAddr, bytes);
        return result(sys_fwrite, {kBufAddr, 0, uint32_t(bytes.size()), handle});
    }
};

}  // namespace corvane::test
