// The input log's reader: every kind of record written and read back unchanged, and a table of
// the logs it must refuse, each with the line and the reason a user reads.

#include <gtest/gtest.h>

#include <string>

#include "host/input_log.h"

namespace corvane::test {
namespace {

const std::string kHead =
    "corvane-input-log 1\n"
    "image 2741 9c1d04e2f3a6b587 /games/snake game.vrn\n"
    "clock 1000000 2026-12-10T11:45:00\n";

TEST(InputLog, EveryRecordReadsBackAsWritten) {
    const std::string text = kHead +
                             "10 1 key-down 13\n"
                             "10 1 key-up 255\n"
                             "20 2 pointer -4 600\n"
                             "20 2 left-down 0 0\n"
                             "20 2 left-up 1 2\n"
                             "20 2 right-down 3 4\n"
                             "30 3 pad-down 63\n"
                             "30 3 pad-up 0\n"
                             "30 3 command 40004\n"
                             "40 4 drop /tmp/a b.vrn\n"
                             "40 4 dialog cancel\n"
                             "40 4 loaded 16 00000000000000ff\n"
                             "50 5 quit\n"
                             "end 60 6 3 0123456789abcdef count\n";
    std::string error;
    const std::optional<InputLog> log = readInputLog(text, error);
    ASSERT_TRUE(log) << error;
    EXPECT_EQ(log->imageName, "/games/snake game.vrn");
    EXPECT_EQ(log->instructionsPerSecond, 1'000'000u);
    EXPECT_EQ(log->date.year, 2026);
    ASSERT_EQ(log->records.size(), 13u);
    EXPECT_EQ(log->records[2].event.x, -4);
    EXPECT_EQ(log->records[9].event.path, "/tmp/a b.vrn");
    ASSERT_TRUE(log->end);
    EXPECT_EQ(log->end->status, 3);
    EXPECT_TRUE(log->end->atCount);
    EXPECT_EQ(writeInputLog(*log), text);
    EXPECT_FALSE(log->view) << "no view record: the replay shows the window its own way";

    // The window's view, windowed and filling the screen.
    for (const char* view : {"view 2 1920x1200\n", "view 3 3840x2160 lcd\n"}) {
        const std::string viewed = kHead + view + "10 1 left-down 5 6\n";
        const std::optional<InputLog> again = readInputLog(viewed, error);
        ASSERT_TRUE(again && again->view) << view << error;
        EXPECT_EQ(writeInputLog(*again), viewed);
    }
    const std::optional<InputLog> full = readInputLog(kHead + "view 3 3840x2160 lcd\n", error);
    ASSERT_TRUE(full && full->view);
    EXPECT_EQ(full->view->mode.scale, 3);
    EXPECT_TRUE(full->view->mode.fullscreen);
    EXPECT_EQ(full->view->mode.content, FullscreenContent::Lcd);
    EXPECT_EQ(full->view->screenHeight, 2160);
}

TEST(InputLog, RefusesWhatItCannotReplay) {
    const struct {
        std::string text;
        const char* error;
    } cases[] = {
        {"", "not an input log"},
        {"corvane-save 1\n", "line 1: not an input log"},
        {"corvane-input-log 2\n", "line 1: an input log of version 2"},
        {"corvane-input-log 1\nclock 10 2004-01-01T00:00:00\n5 1 key-down 1\n",
         "line 3: the image and clock records come first"},
        {"corvane-input-log 1\nimage 5 123 x\n", "line 2: expected \"image SIZE HASH NAME\""},
        {"corvane-input-log 1\nimage 5 0000000000000000 x\nclock 0 2004-01-01T00:00:00\n",
         "line 3: expected \"clock"},
        {"corvane-input-log 1\nimage 5 0000000000000000 x\nclock 9 2004-02-30T00:00:00\n",
         "line 3: expected \"clock"},
        {kHead, ""},  // a log cut short after its header is still a log
        {kHead + "5 0 key-down 1\n", "line 4: frames count from 1"},
        {kHead + "5 2 key-down 1\n4 2 key-up 1\n", "line 5: a record before the one above it"},
        {kHead + "5 2 key-down 1\n6 1 key-up 1\n", "line 5: a record before the one above it"},
        {kHead + "5 2 key-down 256\n", "line 4: code out of range"},
        {kHead + "5 2 pad-down 64\n", "line 4: code out of range"},
        {kHead + "5 2 left-down 1\n", "line 4: \"left-down\" takes 2 number(s)"},
        {kHead + "5 2 pointer 1 2000000\n", "line 4: coordinates out of range"},
        {kHead + "5 2 drop\n", "line 4: a drop record needs the file's path"},
        {kHead + "5 2 jump 3\n", "line 4: unknown record \"jump\""},
        {kHead + "99999999999999999999 2 quit\n", "line 4: expected \"COUNT FRAME KIND"},
        {kHead + "end 5 1 0 0000000000000000\n5 2 quit\n", "line 5: a record after the end"},
        {kHead + "9 3 quit\nend 5 3 0 0000000000000000\n", "line 5: the end lies before"},
        {kHead + "end 5 1 256 0000000000000000\n", "line 4: expected \"end"},
        {kHead + "end 5 1 0 0000000000000000 frame\n", "line 4: expected \"end"},
        {kHead + "view 5 1920x1080\n", "line 4: expected \"view"},
        {kHead + "view 1 1920\n", "line 4: expected \"view"},
        {kHead + "view 1 0x1080\n", "line 4: expected \"view"},
        {kHead + "view 1 1920x1080 window\n", "line 4: expected \"view"},
        {kHead + "view 1 1920x1080\nview 2 1920x1080\n", "line 5: expected \"view"},
        {kHead + "5 2 quit\nview 1 1920x1080\n", "line 5: expected \"view"},
    };
    for (const auto& c : cases) {
        std::string error;
        const std::optional<InputLog> log = readInputLog(c.text, error);
        if (c.error[0] == '\0') {
            EXPECT_TRUE(log) << c.text << ": " << error;
            continue;
        }
        EXPECT_FALSE(log) << c.text;
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << c.text << "\ngot: " << error;
    }
}

}  // namespace
}  // namespace corvane::test
