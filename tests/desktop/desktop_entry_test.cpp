// The desktop entry and the program-image type, as the install step puts them: installed under
// share/, the entry opening a double-clicked .vrn with corvane, and the type database built from
// our definition knowing *.vrn files by name and by their first bytes.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/build_paths.h"
#include "tests/host/app_test_files.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

bool have(const char* tool) {
    return std::system(("command -v " + std::string(tool) + " >/dev/null 2>&1").c_str()) == 0;
}

int shell(const std::string& cmd) {
    const int raw = std::system(cmd.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

TEST(DesktopEntry, InstalledWithTheProgramImageType) {
    TempDir dir;
    const fs::path build = fs::path(corvane::test::binDir()).parent_path();
    ASSERT_EQ(shell("cmake --install '" + build.string() + "' --prefix '" + dir.path().string() +
                    "' >'" + (dir / "install.log").string() + "' 2>&1"),
              0)
        << readText(dir / "install.log");
    const fs::path entry = dir / "share" / "applications" / "corvane.desktop";
    const fs::path type = dir / "share" / "mime" / "packages" / "corvane-vrn.xml";
    ASSERT_TRUE(fs::exists(entry));
    ASSERT_TRUE(fs::exists(type));
    EXPECT_TRUE(fs::exists(dir / "bin" / "corvane"));

    // A double-click hands the file's path to corvane, which loads and starts it.
    const std::string text = readText(entry);
    for (const char* line : {"[Desktop Entry]\n", "Type=Application\n", "Exec=corvane %f\n",
                             "MimeType=application/x-corvane-vrn;\n", "Terminal=false\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
    EXPECT_NE(readText(type).find("type=\"application/x-corvane-vrn\""), std::string::npos);
    if (have("desktop-file-validate")) {
        EXPECT_EQ(shell("desktop-file-validate '" + entry.string() + "'"), 0);
    }

    if (!have("update-mime-database")) GTEST_SKIP() << "update-mime-database missing";
    const fs::path mime = dir / "share" / "mime";
    ASSERT_EQ(shell("update-mime-database '" + mime.string() + "' >/dev/null 2>&1"), 0);
    EXPECT_NE(readText(mime / "globs2").find("application/x-corvane-vrn:*.vrn"), std::string::npos);
    // The magic: "VRN" and the version byte 0x12 at the start, whatever the name.
    const std::string magic = readText(mime / "magic");
    EXPECT_NE(magic.find("application/x-corvane-vrn"), std::string::npos);
    EXPECT_NE(magic.find(std::string("VRN\x12")), std::string::npos);
}

}  // namespace
}  // namespace corvane::test
