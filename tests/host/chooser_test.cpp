// The file chooser drawn in the window: which entries it lists, and how keys and the mouse walk
// folders and choose a file. Its picture is among the window's golden pictures.

#include "host/chooser.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host/loader.h"
#include "host/virtual_keys.h"
#include "tests/host/app_test_files.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

TEST(ChooserPatterns, MatchByExtensionWhateverTheCase) {
    struct Case {
        const char* name;
        const char* pattern;
        bool match;
    };
    const Case cases[] = {
        {"game.vrn", "*.vrn", true}, {"GAME.VRN", "*.vrn", true}, {"game.vrnx", "*.vrn", false},
        {".vrn", "*.vrn", false},    {"vrn", "*.vrn", false},     {"notes.txt", "*.*", true},
        {"Makefile", "*.*", true},   {"Makefile", "*", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(matchesPattern(c.name, c.pattern), c.match) << c.name << " " << c.pattern;
}

struct ChooserFolder : ::testing::Test {
    TempDir dir;
    ChooserFolder() {
        fs::create_directories(dir / "sub");
        fs::create_directories(dir / ".hidden");
        for (const char* name : {"b.VRN", "a.vrn", "c.txt", "sub/inner.vrn"})
            writeText(dir / name, "");
    }
    static std::vector<std::string> names(const Chooser& c) {
        std::vector<std::string> out;
        for (const Chooser::Entry& e : c.entries()) out.push_back(e.name + (e.folder ? "/" : ""));
        return out;
    }
};

TEST_F(ChooserFolder, ListsFoldersThenFilteredFilesAndSelectsTheLastChoice) {
    Chooser c(programOpenRequest(dir.path().string(), (dir / "b").string()));
    EXPECT_EQ(names(c), (std::vector<std::string>{"../", "sub/", "a.vrn", "b.VRN"}));
    EXPECT_EQ(c.selected(), 3);  // "b" is b.VRN without its extension
    c.keyDown(vk::kTab);         // every file
    EXPECT_EQ(names(c), (std::vector<std::string>{"../", "sub/", "a.vrn", "b.VRN", "c.txt"}));
}

TEST_F(ChooserFolder, KeysWalkFoldersAndChoose) {
    Chooser c(programOpenRequest(dir.path().string(), ""));
    EXPECT_EQ(c.selected(), 0);
    c.keyDown(vk::kDown);  // to "sub"
    EXPECT_EQ(c.keyDown(vk::kEnter), Chooser::Outcome::Open);
    EXPECT_EQ(c.folder(), dir.path() / "sub");
    EXPECT_EQ(names(c), (std::vector<std::string>{"../", "inner.vrn"}));
    c.keyDown(vk::kBackspace);  // back up, with the folder left selected
    EXPECT_EQ(c.folder(), dir.path());
    EXPECT_EQ(c.selected(), 1);
    c.keyDown(vk::kEnd);
    c.keyDown(vk::kDown);  // past the end stays there
    EXPECT_EQ(c.keyDown(vk::kEnter), Chooser::Outcome::Chosen);
    EXPECT_EQ(c.chosen(), (dir / "b.VRN").string());
    EXPECT_EQ(c.keyDown(vk::kEscape), Chooser::Outcome::Cancelled);
}

TEST_F(ChooserFolder, MouseSelectsOpensAndDismisses) {
    Chooser c(programOpenRequest(dir.path().string(), ""));
    RgbImage before(435, 585);
    RgbImage drawn = before;
    c.draw(drawn, nullptr);
    EXPECT_NE(drawn, before);
    // Find the list rows by clicking down the panel until the third entry is selected.
    int rowY = -1;
    for (int y = 0; y < 585 && rowY < 0; ++y) {
        Chooser probe(programOpenRequest(dir.path().string(), ""));
        if (probe.click(200, y, false) == Chooser::Outcome::Open && probe.selected() == 2) rowY = y;
    }
    ASSERT_GE(rowY, 0);
    EXPECT_EQ(c.click(200, rowY, false), Chooser::Outcome::Open);
    EXPECT_EQ(c.selected(), 2);
    EXPECT_EQ(c.click(200, rowY, true), Chooser::Outcome::Chosen);
    EXPECT_EQ(c.chosen(), (dir / "a.vrn").string());
    EXPECT_EQ(c.click(2, 580, false), Chooser::Outcome::Cancelled);  // beside the panel
}

}  // namespace
}  // namespace corvane::test
