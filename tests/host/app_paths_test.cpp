// Where the host finds its root directory, configuration file and font data file.

#include <gtest/gtest.h>

#include "host/paths.h"
#include "tests/host/app_test_files.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

struct PathsFixture : ::testing::Test {
    TempDir dir;
    fs::path prefix = dir / "usr";
    fs::path bin = prefix / "bin";
    fs::path share = prefix / "share" / "corvane";

    PathsFixture() {
        fs::create_directories(bin);
        fs::create_directories(share);
    }
    PathInputs inputs() {
        PathInputs in;
        in.executableDir = bin;
        in.home = (dir / "home").string();
        return in;
    }
};

TEST_F(PathsFixture, CorvaneHomeWinsAndItsFontFileFirst) {
    fs::create_directories(dir / "mine");
    writeText(bin / kFontFileName, "");
    PathInputs in = inputs();
    in.corvaneHome = (dir / "mine").string();
    HostPaths p = desktopPaths(in);
    EXPECT_EQ(p.root, dir / "mine");
    EXPECT_EQ(p.configFile, dir / "mine" / kConfigFileName);
    EXPECT_EQ(p.fontFile, bin / kFontFileName);  // not in the root: beside the executable
    writeText(dir / "mine" / kFontFileName, "");
    EXPECT_EQ(desktopPaths(in).fontFile, dir / "mine" / kFontFileName);
}

TEST_F(PathsFixture, PortableCopyUsesTheExecutablesDirectory) {
    writeText(bin / kFontFileName, "");
    PathInputs in = inputs();
    in.xdgDataHome = (dir / "xdg").string();
    HostPaths p = desktopPaths(in);
    EXPECT_EQ(p.root, bin);
    EXPECT_EQ(p.configFile, bin / kConfigFileName);
    EXPECT_EQ(p.fontFile, bin / kFontFileName);
}

TEST_F(PathsFixture, InstalledCopyKeepsUserFilesInTheDataHome) {
    PathInputs in = inputs();
    in.xdgDataHome = (dir / "xdg").string();
    HostPaths p = desktopPaths(in);
    EXPECT_EQ(p.root, dir / "xdg" / "corvane");
    EXPECT_EQ(p.configFile, dir / "xdg" / "corvane" / kConfigFileName);
    EXPECT_EQ(p.fontFile, share / kFontFileName);

    in.xdgDataHome.reset();  // the default data home
    EXPECT_EQ(desktopPaths(in).root, dir / "home" / ".local" / "share" / "corvane");
}

TEST(DirectoryText, AbsoluteNormalisedWithOneTrailingSlash) {
    TempDir dir;
    fs::create_directories(dir / "a" / "b");
    const std::string a = dir.text() + "a" + char(fs::path::preferred_separator);
    EXPECT_EQ(directoryText(dir / "a" / "b" / ".."), a);
    EXPECT_EQ(directoryText(dir.text() + "a/"), a);
#ifdef _WIN32
    EXPECT_EQ(directoryText("C:\\"), "C:\\");
#else
    EXPECT_EQ(directoryText("/"), "/");
#endif
}

}  // namespace
}  // namespace corvane::test
