// The desktop front end's pieces that need no display: PC keys to handheld keys, the command
// lines and answers of the desktop's own file choosers, the dialog child process and the local
// clock.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host/loader.h"
#include "host/platform/sdl/external_dialog.h"
#include "host/platform/sdl/keymap.h"
#include "host/platform/sdl/local_clock.h"
#include "library/keycodes.h"
#include "tests/host/app_test_files.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

// From the key's position on the PC keyboard to what a waiting program receives.
TEST(DesktopKeys, PcKeysReachTheHandheldCodes) {
    struct Case {
        SDL_Scancode key;
        uint8_t vk;
        uint8_t device;  // 0: no handheld key
    };
    const Case cases[] = {
        {SDL_SCANCODE_A, 0x41, 'a'},
        {SDL_SCANCODE_Z, 0x5A, 'z'},
        {SDL_SCANCODE_1, 0x31, 'b'},
        {SDL_SCANCODE_7, 0x37, 't'},
        {SDL_SCANCODE_9, 0x39, 'u'},
        {SDL_SCANCODE_0, 0x30, 0x30},
        {SDL_SCANCODE_SPACE, 0x20, 0x20},
        {SDL_SCANCODE_RETURN, 0x0D, 0x0D},
        {SDL_SCANCODE_ESCAPE, 0x1B, 0x1B},
        {SDL_SCANCODE_DELETE, 0x2E, 0x2E},
        {SDL_SCANCODE_PAGEUP, 0x21, 0x13},
        {SDL_SCANCODE_PAGEDOWN, 0x22, 0x0E},
        {SDL_SCANCODE_UP, 0x26, 0x14},
        {SDL_SCANCODE_DOWN, 0x28, 0x15},
        {SDL_SCANCODE_RIGHT, 0x27, 0x16},
        {SDL_SCANCODE_LEFT, 0x25, 0x17},
        {SDL_SCANCODE_LSHIFT, 0x10, 0x1A},
        {SDL_SCANCODE_RSHIFT, 0x10, 0x1A},
        {SDL_SCANCODE_F1, 0x70, 0x1C},
        {SDL_SCANCODE_F4, 0x73, 0x1F},
        {SDL_SCANCODE_F5, 0x74, 0x19},
        {SDL_SCANCODE_F6, 0x75, 0x12},
        // Keys the front end uses itself, and keys that give nothing on the handheld.
        {SDL_SCANCODE_F8, 0x77, 0},
        {SDL_SCANCODE_F12, 0x7B, 0},
        {SDL_SCANCODE_PERIOD, 0xBE, 0},
        {SDL_SCANCODE_BACKSPACE, 0x08, 0},
        {SDL_SCANCODE_COMMA, 0xBC, 0},
        // The keypad's keys exist for the key map; on the handheld they give nothing.
        {SDL_SCANCODE_KP_7, 0x67, 0},
        {SDL_SCANCODE_KP_0, 0x60, 0},
        {SDL_SCANCODE_KP_ENTER, 0, 0},
        {SDL_SCANCODE_CAPSLOCK, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.key));
        EXPECT_EQ(virtualKeyOf(c.key), c.vk);
        EXPECT_EQ(scanKeyToCode(virtualKeyOf(c.key)), c.device);
    }
}

TEST(DesktopDialogs, CommandLinesOfTheDesktopChoosers) {
    // The last choice, without its extension, is where the dialog starts; else the folder.
    const auto zenity =
        dialogCommand(DialogTool::Zenity, programOpenRequest("/games/", "/games/snake"));
    const std::vector<std::string> expectZenity = {"zenity",
                                                   "--file-selection",
                                                   "--title=打开Quillbox文件",
                                                   "--filename=/games/snake",
                                                   "--file-filter=Quillbox文件 (*.vrn) | *.vrn",
                                                   "--file-filter=所有文件 (*.*) | *"};
    EXPECT_EQ(zenity, expectZenity);

    const auto kdialog = dialogCommand(DialogTool::Kdialog, programOpenRequest("/games", ""));
    const std::vector<std::string> expectKdialog = {
        "kdialog",           "--title", "打开Quillbox文件",
        "--getopenfilename", "/games/", "*.vrn|Quillbox文件 (*.vrn)\n*|所有文件 (*.*)"};
    EXPECT_EQ(kdialog, expectKdialog);
}

TEST(DesktopDialogs, AnswersBecomeFullPathsWithTheDefaultExtension) {
    TempDir dir;
    writeText(dir / "plain", "");
    writeText(dir / "game.vrn", "");
    const OpenFileRequest request = programOpenRequest(dir.path().string(), "");
    struct Case {
        std::string output;
        std::optional<std::string> path;
    };
    const std::string d = dir.path().string();
    const Case cases[] = {
        {d + "/game.vrn\n", d + "/game.vrn"},
        {d + "/game\n", d + "/game.vrn"},        // typed without its extension
        {d + "/plain\n", d + "/plain"},          // an existing file keeps its name
        {d + "/notes.txt\n", d + "/notes.txt"},  // a name with an extension gets none added
        {"game.vrn\n", d + "/game.vrn"},         // relative to the folder shown
        {"\n", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(chosenPath(c.output, request), c.path) << c.output;
}

TEST(DesktopDialogs, ChildOutputAndStatusAreCollected) {
    struct Case {
        std::vector<std::string> argv;
        bool starts;
        int status;
        std::string output;
    };
    const Case cases[] = {
        {{"sh", "-c", "echo /tmp/chosen.vrn"}, true, 0, "/tmp/chosen.vrn\n"},
        {{"sh", "-c", "exit 1"}, true, 1, ""},  // cancelled
        {{"no-such-dialog-program-here"}, false, -1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.argv[0]);
        ChildDialog child;
        ASSERT_EQ(child.start(c.argv), c.starts);
        if (!c.starts) continue;
        while (!child.collect()) {
        }
        EXPECT_EQ(child.status(), c.status);
        EXPECT_EQ(child.output(), c.output);
    }
}

TEST(DesktopClock, RefusesADateTheHostClockWouldRefuse) {
    // An impossible date never reaches clock_settime; the host's clock reads on unchanged.
    LocalClock clock;
    LocalTime impossible;
    impossible.year = 2010, impossible.month = 13, impossible.day = 40;
    clock.setLocalTime(impossible);
    EXPECT_NE(clock.localTime().year, 2010);
}

}  // namespace
}  // namespace corvane::test
