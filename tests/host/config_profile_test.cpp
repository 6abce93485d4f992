// The configuration file: reading with defaults, the unsigned-number rule, and rewriting that
// keeps everything else.

#include <gtest/gtest.h>

#include "host/config.h"
#include "tests/host/app_test_files.h"

namespace corvane::test {
namespace {

TEST(ProfileNumber, LeadingDigitsOnlyAndNeverNegative) {
    struct Case {
        const char* text;
        uint32_t value;
    };
    const Case cases[] = {
        {"1000", 1000},
        {"  42  ", 42},
        {"12abc", 12},
        {"-5", 0},
        {"abc", 0},
        {"", 0},
        {"+7", 0},
        {"0x10", 0},
        {"4294967295", 4294967295u},
        {"99999999999", 4294967295u},
    };
    for (const Case& c : cases) EXPECT_EQ(profileUnsigned(c.text), c.value) << c.text;
}

TEST(ProfileFile, MissingFileGivesDefaults) {
    TempDir dir;
    ProfileFile ini(dir / "vorn.ini");
    EXPECT_EQ(ini.getString("ROM", "Directory", "/root/"), "/root/");
    EXPECT_EQ(ini.getUnsigned("CPU", "Frequency", 0), 0u);
    EXPECT_EQ(ini.getUnsigned("CPU", "Frequency", 77), 77u);
}

TEST(ProfileFile, CreatesOnlyWhenMissingAndNeverTruncates) {
    TempDir dir;
    ProfileFile ini(dir / "vorn.ini");
    EXPECT_TRUE(ini.createIfMissing());
    EXPECT_TRUE(std::filesystem::exists(dir / "vorn.ini"));
    EXPECT_EQ(std::filesystem::file_size(dir / "vorn.ini"), 0u);
    writeText(dir / "vorn.ini", "[CPU]\nFrequency=5\n");
    EXPECT_FALSE(ini.createIfMissing());
    EXPECT_EQ(ini.getUnsigned("CPU", "Frequency", 0), 5u);
    // A folder that does not exist: nothing is created, reads give defaults.
    ProfileFile nowhere(dir / "missing" / "vorn.ini");
    EXPECT_FALSE(nowhere.createIfMissing());
    EXPECT_EQ(nowhere.getString("ROM", "Directory", "d"), "d");
}

TEST(ProfileFile, NamesMatchWithoutCaseAndValuesAreTrimmed) {
    TempDir dir;
    writeText(dir / "vorn.ini",
              "; comment\n"
              "Stray=before any section\n"
              "[rom]\r\n"
              "  directory =  \"/games/a b\"  \r\n"
              "[CPU]\n"
              "Frequency = 2000\n"
              "Other\n");
    ProfileFile ini(dir / "vorn.ini");
    EXPECT_EQ(ini.getString("ROM", "Directory", "x"), "/games/a b");
    EXPECT_EQ(ini.getUnsigned("cpu", "FREQUENCY", 0), 2000u);
    EXPECT_EQ(ini.getString("ROM", "Stray", "none"), "none");
    EXPECT_EQ(ini.getString("CPU", "Other", "none"), "none");
    EXPECT_EQ(ini.getString("CPU", "Directory", "none"), "none");  // keys belong to one section
}

TEST(ProfileFile, NegativeOrNonNumericFrequencyReadsAsZero) {
    TempDir dir;
    ProfileFile ini(dir / "vorn.ini");
    for (const char* value : {"-1000", "fast", "=3"}) {
        writeText(dir / "vorn.ini", std::string("[CPU]\nFrequency=") + value + "\n");
        EXPECT_EQ(ini.getUnsigned("CPU", "Frequency", 1), 0u) << value;
    }
}

TEST(ProfileFile, WritingKeepsOtherSectionsKeysAndComments) {
    TempDir dir;
    writeText(dir / "vorn.ini",
              "; settings\n"
              "[ROM]\n"
              "Directory=/old\n"
              "Extra=1\n"
              "\n"
              "[Mine]\n"
              "Colour=green\n");
    ProfileFile ini(dir / "vorn.ini");
    ASSERT_TRUE(ini.setString("ROM", "Directory", "/new"));
    ASSERT_TRUE(ini.setString("CPU", "Frequency", "1000"));
    ASSERT_TRUE(ini.setString("rom", "Added", "yes"));
    EXPECT_EQ(readText(dir / "vorn.ini"),
              "; settings\n"
              "[ROM]\n"
              "Directory=/new\n"
              "Extra=1\n"
              "Added=yes\n"
              "\n"
              "[Mine]\n"
              "Colour=green\n"
              "[CPU]\n"
              "Frequency=1000\n");
    EXPECT_EQ(ini.getString("ROM", "Added", ""), "yes");
}

TEST(ProfileFile, WritingCreatesTheFileAndKeepsWindowsLineEnds) {
    TempDir dir;
    ProfileFile fresh(dir / "fresh.ini");
    ASSERT_TRUE(fresh.setString("CPU", "Frequency", "1000"));
    EXPECT_EQ(readText(dir / "fresh.ini"), "[CPU]\nFrequency=1000\n");

    writeText(dir / "crlf.ini", "[ROM]\r\nDirectory=C:\\\r\n");
    ProfileFile crlf(dir / "crlf.ini");
    ASSERT_TRUE(crlf.setString("ROM", "Directory", "/x"));
    EXPECT_EQ(readText(dir / "crlf.ini"), "[ROM]\r\nDirectory=/x\r\n");
}

TEST(ProfileFile, FailedWriteLeavesNoTemporaryBehind) {
    TempDir dir;
    ProfileFile nowhere(dir / "missing" / "vorn.ini");
    EXPECT_FALSE(nowhere.setString("CPU", "Frequency", "1000"));
    // A folder in place of the file: the rename fails, the folder stays, no temporary is left.
    std::filesystem::create_directories(dir / "taken.ini" / "inside");
    ProfileFile taken(dir / "taken.ini");
    EXPECT_FALSE(taken.setString("CPU", "Frequency", "1000"));
    int entries = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.path())) {
        (void)e;
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}

}  // namespace
}  // namespace corvane::test
