// Loading, closing and restarting programs: the lifecycle table, the splash states, the menu's
// Close and Reset items, the loading messages and the working directory.

#include <gtest/gtest.h>

#include <cstdio>

#include "host/loader.h"
#include "host/texts.h"
#include "tests/host/app_fake_platform.h"
#include "tests/host/app_test_files.h"
#include "vm/image.h"
#include "vm/interpreter.h"
#include "vm/machine.h"

namespace corvane::test {
namespace {

struct LoaderFixture : ::testing::Test {
    TempDir dir;
    FakePlatform platform;
    std::unique_ptr<Machine> machine = std::make_unique<Machine>();
    Machine& m = *machine;
    Loader loader{m, platform};

    LoaderFixture() {
        m.rootDir = dir.text();
        m.currentDir = dir.text();
        loader.setWorkingDir(dir.path().string());
        std::filesystem::create_directories(dir / "games");
        writeProgram(dir / "games" / "demo.vrn", "PUSH_B 1\nEXIT\n");
        writeProgram(dir / "other.vrn", "PUSH_B 2\nEXIT\n");
        writeBytes(dir / "bad.vrn",
                   {'V', 'R', 'N', 0x13, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x40});
        writeBytes(dir / "short.vrn", {'V', 'R', 'N', 0x12, 0, 0});
    }

    LoadResult openAnswer(const std::filesystem::path& file) {
        platform.dialogAnswers.push_back(file.string());
        return loader.open();
    }

    struct State {
        bool loaded;
        bool paused;
        SplashState splash;
        bool items;
    };
    void expectState(const State& s, const char* where) {
        EXPECT_EQ(m.programLoaded, s.loaded) << where;
        EXPECT_EQ(m.paused, s.paused) << where;
        EXPECT_EQ(loader.splashState(), s.splash) << where;
        EXPECT_EQ(loader.closeResetEnabled(), s.items) << where;
    }
};

TEST_F(LoaderFixture, LifecycleTable) {
    expectState({false, true, SplashState::Idle, false}, "start-up");

    ASSERT_EQ(openAnswer(dir / "games" / "demo.vrn"), LoadResult::Loaded);
    expectState({true, false, SplashState::Opened, true}, "opened by dialog");
    EXPECT_EQ(m.pc, 16u);

    loader.closeCommand();
    expectState({false, true, SplashState::Idle, false}, "closed by the user");
    EXPECT_TRUE(loader.takeRepaint());
    EXPECT_FALSE(loader.takeRepaint());

    loader.reset();  // F8 after a Close restarts the closed program
    expectState({true, false, SplashState::Idle, false}, "restarted after close");

    run(m, 100);
    ASSERT_FALSE(m.programLoaded);
    loader.endByItself();
    expectState({false, true, SplashState::Ended, false}, "ended by itself");
    EXPECT_EQ(loader.lastEnd(), ProgramEnd::ByItself);

    loader.reset();
    expectState({true, false, SplashState::Ended, false}, "restarted after an end");

    ASSERT_EQ(openAnswer(dir / "other.vrn"), LoadResult::Loaded);
    expectState({true, false, SplashState::Opened, true}, "opened from any state");
}

TEST_F(LoaderFixture, StartUpLoadKeepsTheSplashState) {
    ASSERT_EQ(loader.loadAtStartup((dir / "other.vrn").string()), LoadResult::Loaded);
    expectState({true, false, SplashState::Idle, true}, "named on the command line");
    run(m, 100);
    loader.endByItself();
    expectState({false, true, SplashState::Ended, false}, "ended by itself");
}

TEST_F(LoaderFixture, ResetBeforeAnyLoadDoesNothing) {
    loader.reset();
    expectState({false, true, SplashState::Idle, false}, "reset with nothing loaded");
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(LoaderFixture, RefusedFilesShowTheirMessageAndChangeNothing) {
    ASSERT_EQ(openAnswer(dir / "other.vrn"), LoadResult::Loaded);
    run(m, 1);  // the program is under way
    const uint32_t pc = m.pc;
    struct Case {
        std::filesystem::path file;
        LoadResult result;
        std::string message;
    };
    std::vector<uint8_t> huge(kImageBufferSize + 1, 0);
    huge[0] = 'V', huge[1] = 'R', huge[2] = 'N', huge[3] = 0x12;
    writeBytes(dir / "huge.vrn", huge);
    const Case cases[] = {
        {dir / "missing.vrn", LoadResult::CannotOpen, hostText(TextId::MessageCannotOpen)},
        {dir / "bad.vrn", LoadResult::Invalid, hostText(TextId::MessageInvalidFromDialog)},
        {dir / "short.vrn", LoadResult::Invalid, hostText(TextId::MessageInvalidFromDialog)},
        {dir / "huge.vrn", LoadResult::Invalid, hostText(TextId::MessageInvalidFromDialog)},
    };
    for (const Case& c : cases) {
        platform.messages.clear();
        EXPECT_EQ(openAnswer(c.file), c.result) << c.file;
        ASSERT_EQ(platform.messages.size(), 1u) << c.file;
        EXPECT_EQ(platform.messages[0], c.message) << c.file;
        expectState({true, false, SplashState::Opened, true}, c.file.string().c_str());
        EXPECT_EQ(m.pc, pc) << "the running program goes on untouched";
    }
}

TEST_F(LoaderFixture, CommandLineMessagesDifferFromTheDialogs) {
    EXPECT_EQ(loader.loadAtStartup((dir / "bad.vrn").string()), LoadResult::Invalid);
    EXPECT_EQ(loader.loadAtStartup((dir / "none.vrn").string()), LoadResult::CannotOpen);
    EXPECT_EQ(platform.messages,
              (std::vector<std::string>{hostText(TextId::MessageInvalidFromCommandLine),
                                        hostText(TextId::MessageCannotOpen)}));
    expectState({false, true, SplashState::Idle, false}, "after refused start-up loads");
}

TEST_F(LoaderFixture, CancelledDialogChangesNothing) {
    EXPECT_EQ(loader.open(), LoadResult::Cancelled);
    expectState({false, true, SplashState::Idle, false}, "cancelled");
    EXPECT_EQ(loader.workingDir(), dir.text());
}

TEST_F(LoaderFixture, DialogRemembersFolderAndNameWithoutExtension) {
    ASSERT_EQ(openAnswer(dir / "games" / "demo.vrn"), LoadResult::Loaded);
    loader.open();  // cancelled
    ASSERT_EQ(platform.dialogs.size(), 2u);
    EXPECT_EQ(platform.dialogs[0].initialDir, dir.text());
    EXPECT_EQ(platform.dialogs[0].initialName, "");
    EXPECT_EQ(platform.dialogs[0].title, "打开Quillbox文件");
    EXPECT_EQ(platform.dialogs[0].defaultExtension, "vrn");
    ASSERT_EQ(platform.dialogs[0].filters.size(), 2u);
    EXPECT_EQ(platform.dialogs[0].filters[0].pattern, "*.vrn");
    EXPECT_EQ(platform.dialogs[1].initialDir,
              (dir / "games").string() + char(std::filesystem::path::preferred_separator));
    EXPECT_EQ(platform.dialogs[1].initialName, (dir / "games" / "demo").string());
}

TEST_F(LoaderFixture, AConfirmedDialogMovesTheWorkingDirectoryEvenWhenTheFileIsRefused) {
    std::filesystem::create_directories(dir / "junk");
    writeText(dir / "junk" / "note.txt", "not a program");
    EXPECT_EQ(openAnswer(dir / "junk" / "note.txt"), LoadResult::Invalid);
    EXPECT_EQ(loader.workingDir(),
              (dir / "junk").string() + char(std::filesystem::path::preferred_separator));
}

TEST_F(LoaderFixture, OpeningAnotherImageClosesTheRunningProgramsFiles) {
    ASSERT_EQ(openAnswer(dir / "other.vrn"), LoadResult::Loaded);
    std::FILE* f = std::fopen((dir / "data.bin").string().c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("kept", f);  // buffered: reaches the disk only when the file is closed
    m.files[0] = {true, f, "", false, ""};
    ASSERT_EQ(openAnswer(dir / "games" / "demo.vrn"), LoadResult::Loaded);
    EXPECT_FALSE(m.files[0].inUse);
    EXPECT_EQ(readText(dir / "data.bin"), "kept");
    EXPECT_EQ(loader.lastEnd(), ProgramEnd::Closed);
}

TEST_F(LoaderFixture, FaultIsShownAndRemembered) {
    writeBytes(dir / "fault.vrn", {'V', 'R', 'N', 0x12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF});
    ASSERT_EQ(openAnswer(dir / "fault.vrn"), LoadResult::Loaded);
    run(m, 10);
    ASSERT_FALSE(m.programLoaded);
    loader.endByItself();
    EXPECT_EQ(loader.lastEnd(), ProgramEnd::Fault);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0], m.faultReason);
    // A restart forgets the fault.
    loader.reset();
    EXPECT_FALSE(m.faulted);
}

TEST_F(LoaderFixture, ChDirMovesTheWorkingDirectoryButTheResetDoesNot) {
    ASSERT_EQ(openAnswer(dir / "other.vrn"), LoadResult::Loaded);
    EXPECT_EQ(loader.workingDir(), dir.text());
    loader.noteMachineDirectory();
    EXPECT_EQ(loader.workingDir(), dir.text());
    m.currentDir =
        (dir / "games").string() +
        char(std::filesystem::path::preferred_separator);  // as a successful ChDir leaves it
    loader.noteMachineDirectory();
    EXPECT_EQ(loader.workingDir(),
              (dir / "games").string() + char(std::filesystem::path::preferred_separator));
    loader.reset();  // back to the root for the program, not for the working directory
    loader.noteMachineDirectory();
    EXPECT_EQ(m.currentDir, dir.text());
    EXPECT_EQ(loader.workingDir(),
              (dir / "games").string() + char(std::filesystem::path::preferred_separator));
}

}  // namespace
}  // namespace corvane::test
