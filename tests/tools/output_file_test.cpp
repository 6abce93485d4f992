// How the tools write what they make: a file replaced whole or not at all, devices written in
// place and never removed, names in any language.

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include "library/path.h"
#include "shared/process.h"
#include "support/temp_dir.h"
#include "tools/common/output_file.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void put(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

// The names in the folder, as UTF-8: nothing but the output may be left beside it.
std::vector<std::string> namesIn(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        names.push_back(hostPathText(entry.path().filename()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(OutputFile, NewAndExistingFilesGetExactlyTheBytesWithNothingLeftBeside) {
    const TempDir dir("corvane-output");
    struct Case {
        const char* name;
        const char* before;  // nullptr: the file is new
        std::string bytes;
    } cases[] = {
        {"new.vrn", nullptr, std::string("VRN\x12\0\x01", 6)},
        {"old.vrn", "a much longer earlier image", "short"},
        {"empty.lst", "text", ""},
        {"图形 程序.vrn", nullptr, "named in Chinese"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path file = dir.path() / hostFsPath(c.name);
        if (c.before) put(file, c.before);
        ASSERT_TRUE(writeOutputFile(hostPathText(file), c.bytes));
        EXPECT_EQ(contents(file), c.bytes);
    }
    EXPECT_EQ(namesIn(dir.path()),
              (std::vector<std::string>{"empty.lst", "new.vrn", "old.vrn", "图形 程序.vrn"}));
}

TEST(OutputFile, AFileThatCannotBeMadeIsReportedAndNothingIsLeft) {
    const TempDir dir("corvane-output");
    EXPECT_FALSE(writeOutputFile(hostPathText(dir / "missing" / "out.vrn"), "bytes"));
    EXPECT_FALSE(fs::exists(dir / "missing"));
    // A folder where the file should go is not replaced by it.
    fs::create_directory(dir / "taken.vrn");
    EXPECT_FALSE(writeOutputFile(hostPathText(dir / "taken.vrn"), "bytes"));
    EXPECT_TRUE(fs::is_directory(dir / "taken.vrn"));
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"taken.vrn"});
}

#ifndef _WIN32
TEST(OutputFile, ThroughALinkTheFileLinkedToIsReplacedAndTheLinkStays) {
    const TempDir dir("corvane-output");
    fs::create_directory(dir / "real");
    put(dir / "real" / "image.vrn", "old");
    fs::permissions(dir / "real" / "image.vrn", fs::perms(0640));
    fs::create_symlink("real/image.vrn", dir / "link.vrn");
    ASSERT_TRUE(writeOutputFile(hostPathText(dir / "link.vrn"), "new"));
    EXPECT_TRUE(fs::is_symlink(dir / "link.vrn"));
    EXPECT_EQ(contents(dir / "real" / "image.vrn"), "new");
    EXPECT_EQ(fs::status(dir / "real" / "image.vrn").permissions(), fs::perms(0640));
    EXPECT_EQ(namesIn(dir / "real"), std::vector<std::string>{"image.vrn"});
}

// A write the file system cuts short (here by a file size limit, as a full disk would) leaves
// the earlier file whole and nothing beside it.
TEST(OutputFile, AWriteCutShortLeavesTheEarlierFileWhole) {
    const TempDir dir("corvane-output");
    put(dir / "image.vrn", "the earlier image");
    const auto previousSignal = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit small = previous;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = writeOutputFile(hostPathText(dir / "image.vrn"), std::string(100000, 'x'));
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousSignal);
    EXPECT_FALSE(written);
    EXPECT_EQ(contents(dir / "image.vrn"), "the earlier image");
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"image.vrn"});
}

// Devices are written in place: a full one fails the write, and neither is ever removed (as
// root, removing /dev/full would succeed).
TEST(OutputFile, DevicesAreWrittenInPlaceAndNeverRemoved) {
    EXPECT_TRUE(writeOutputFile("/dev/null", "bytes"));
    EXPECT_FALSE(writeOutputFile("/dev/full", "bytes"));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
}
#endif

TEST(Utf8Arguments, KeepTheProgramsNameAndEveryArgumentAndEndWithNull) {
    std::string words[] = {"vrnasm", "程序.s", "-o", "", "out put.vrn"};
    char* argv[] = {words[0].data(), words[1].data(), words[2].data(),
                    words[3].data(), words[4].data(), nullptr};
    // On Windows the arguments come from the process's own command line, not from argv.
#ifndef _WIN32
    Utf8Arguments utf8(5, argv);
    ASSERT_EQ(utf8.count(), 5);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(utf8.values()[i], words[i]);
    EXPECT_EQ(utf8.values()[5], nullptr);
    EXPECT_EQ(programArguments(5, argv),
              (std::vector<std::string>{"程序.s", "-o", "", "out put.vrn"}));
#else
    Utf8Arguments utf8(5, argv);
    EXPECT_EQ(utf8.values()[utf8.count()], nullptr);
    EXPECT_EQ(std::string(utf8.values()[0]), "vrnasm");
#endif
}

}  // namespace
}  // namespace corvane::test
