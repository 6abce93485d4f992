// Where the host finds its root directory, configuration file and font data file.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

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

// A Windows copy keeps its root beside the executable even with nothing there yet.
TEST_F(PathsFixture, PortableCopyKeepsItsRootBesideTheExecutable) {
    PathInputs in = inputs();
    in.xdgDataHome = (dir / "xdg").string();
    in.portable = true;
    HostPaths p = desktopPaths(in);
    EXPECT_EQ(p.root, bin);
    EXPECT_EQ(p.configFile, bin / kConfigFileName);
    EXPECT_EQ(p.fontFile, share / kFontFileName);
    in.corvaneHome = (dir / "mine").string();
    EXPECT_EQ(desktopPaths(in).root, dir / "mine");
}

// The runner: --root, else $CORVANE_HOME, else a temporary root; --fonts, else the font data
// file beside the executable, else the installed one (never the root's).
TEST_F(PathsFixture, RunnerRootAndFontFile) {
    struct Case {
        const char* name;
        std::string rootOption;
        bool home;
        std::optional<fs::path> root;
    };
    const fs::path mine = dir / "mine";
    const std::vector<Case> roots = {
        {"option wins over the home", (dir / "opt").string(), true, dir / "opt"},
        {"the home", "", true, mine},
        {"a temporary one", "", false, std::nullopt},
    };
    for (const Case& c : roots) {
        SCOPED_TRACE(c.name);
        PathInputs in = inputs();
        if (c.home) in.corvaneHome = mine.string();
        EXPECT_EQ(runnerRoot(in, c.rootOption), c.root);
    }

    fs::create_directories(mine);
    writeText(mine / kFontFileName, "");
    EXPECT_EQ(runnerPaths(inputs(), mine, "").root, mine);
    EXPECT_EQ(runnerPaths(inputs(), mine, "").configFile, mine / kConfigFileName);
    EXPECT_EQ(runnerPaths(inputs(), mine, "").fontFile, bin / kFontFileName);  // none there yet
    writeText(share / kFontFileName, "");
    EXPECT_EQ(runnerPaths(inputs(), mine, "").fontFile, share / kFontFileName);
    writeText(bin / kFontFileName, "");
    EXPECT_EQ(runnerPaths(inputs(), mine, "").fontFile, bin / kFontFileName);
    EXPECT_EQ(runnerPaths(inputs(), mine, (dir / "f.dat").string()).fontFile, dir / "f.dat");
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
