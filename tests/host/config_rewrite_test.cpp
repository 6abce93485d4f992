// Rewriting vorn.ini never damages it: permission bits kept, links followed and kept, read-only
// files and folders left alone; and the simulator says once that it could not write it.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "host/app.h"
#include "host/config.h"
#include "tests/host/app_fake_platform.h"
#include "tests/host/app_test_files.h"
#include "tests/host/app_test_settings.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;
using fs::perms;

constexpr perms kPermBits = perms::owner_all | perms::group_all | perms::others_all;

perms modeOf(const fs::path& p) {
    return fs::status(p).permissions() & kPermBits;
}

// Every entry of a folder (to see that no temporary is left behind).
std::vector<std::string> entries(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Puts write permission back on the way out, so the temporary folder can be removed.
struct RestoreWrite {
    fs::path path;
    ~RestoreWrite() {
        std::error_code ec;
        fs::permissions(path, perms::owner_all, fs::perm_options::add, ec);
    }
};

TEST(ProfileRewrite, KeepsThePermissionBits) {
    TempDir dir;
    const perms modes[] = {
        perms::owner_read | perms::owner_write,
        perms::owner_read | perms::owner_write | perms::group_read | perms::others_read,
        perms::owner_all | perms::group_write};
    for (perms mode : modes) {
        writeText(dir / "vorn.ini", "[CPU]\nFrequency=1000\n");
        fs::permissions(dir / "vorn.ini", mode);
        ASSERT_TRUE(ProfileFile(dir / "vorn.ini").setString("ROM", "Directory", "/x"));
        EXPECT_EQ(modeOf(dir / "vorn.ini"), mode);
        EXPECT_EQ(readText(dir / "vorn.ini"), "[CPU]\nFrequency=1000\n[ROM]\nDirectory=/x\n");
    }
    EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"vorn.ini"});
}

TEST(ProfileRewrite, ALinkRewritesItsTargetAndStays) {
    TempDir dir;
    fs::create_directories(dir / "real");
    writeText(dir / "real" / "settings.ini", "[CPU]\nFrequency=1000\n");
    struct Case {
        const char* name;
        fs::path link;
    };
    const Case cases[] = {{"relative", fs::path("real") / "settings.ini"},
                          {"absolute", dir / "real" / "settings.ini"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(dir / "vorn.ini");
        fs::create_symlink(c.link, dir / "vorn.ini");
        ASSERT_TRUE(ProfileFile(dir / "vorn.ini").setString("ROM", "Directory", c.name));
        EXPECT_TRUE(fs::is_symlink(dir / "vorn.ini"));
        EXPECT_EQ(fs::read_symlink(dir / "vorn.ini"), c.link);
        EXPECT_EQ(ProfileFile(dir / "real" / "settings.ini").getString("ROM", "Directory", ""),
                  c.name);
    }
    // A chain of links ends at the same file.
    fs::remove(dir / "vorn.ini");
    fs::create_symlink("middle.ini", dir / "vorn.ini");
    fs::create_symlink(fs::path("real") / "settings.ini", dir / "middle.ini");
    ASSERT_TRUE(ProfileFile(dir / "vorn.ini").setString("ROM", "Directory", "chain"));
    EXPECT_TRUE(fs::is_symlink(dir / "middle.ini"));
    EXPECT_EQ(ProfileFile(dir / "real" / "settings.ini").getString("ROM", "Directory", ""),
              "chain");
    EXPECT_EQ(entries(dir / "real"), std::vector<std::string>{"settings.ini"});
}

TEST(ProfileRewrite, ReadOnlyFileOrFolderIsLeftAsItIs) {
    TempDir dir;
    const std::string before = "[CPU]\nFrequency=1000\n";

    writeText(dir / "vorn.ini", before);
    fs::permissions(dir / "vorn.ini", perms::owner_read | perms::group_read);
    EXPECT_FALSE(ProfileFile(dir / "vorn.ini").setString("ROM", "Directory", "/x"));
    EXPECT_EQ(readText(dir / "vorn.ini"), before);
    EXPECT_EQ(modeOf(dir / "vorn.ini"), perms::owner_read | perms::group_read);

    fs::create_directories(dir / "locked");
    writeText(dir / "locked" / "vorn.ini", before);
    RestoreWrite restore{dir / "locked"};
    fs::permissions(dir / "locked", perms::owner_read | perms::owner_exec);
    EXPECT_FALSE(ProfileFile(dir / "locked" / "vorn.ini").setString("ROM", "Directory", "/x"));
    EXPECT_EQ(readText(dir / "locked" / "vorn.ini"), before);
    EXPECT_EQ(entries(dir / "locked"), std::vector<std::string>{"vorn.ini"});
}

TEST(ProfileRewrite, TheAppSaysOnceThatItCannotWriteAndCarriesOn) {
    TempDir dir;
    FakePlatform platform;
    const AppSettings settings = settingsIn(dir);
    // "Frequency" reads 0, so both start-up and shutdown want to write.
    writeText(dir / "vorn.ini", "[CPU]\nFrequency=0\n");
    fs::permissions(dir / "vorn.ini", perms::owner_read);

    std::FILE* captured = std::tmpfile();
    ASSERT_NE(captured, nullptr);
    std::fflush(stderr);
    const int saved = dup(fileno(stderr));
    dup2(fileno(captured), fileno(stderr));
    int status = -1;
    {
        App app(platform, settings);
        status = app.startUp({});
        if (status == 0) app.shutDown();
    }
    std::fflush(stderr);
    dup2(saved, fileno(stderr));
    close(saved);
    std::rewind(captured);
    std::string said;
    for (int c; (c = std::fgetc(captured)) != EOF;) said += char(c);
    std::fclose(captured);

    EXPECT_EQ(status, 0);  // carried on
    EXPECT_EQ(readText(dir / "vorn.ini"), "[CPU]\nFrequency=0\n");
    EXPECT_EQ(said, "corvane: " + (dir / "vorn.ini").string() +
                        " cannot be written; it is left as it is\n");
}

}  // namespace
}  // namespace corvane::test
