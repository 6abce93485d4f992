// The recording window's paced clock and held input: when a frame may start in real time, which
// of the window's events wait for a frame start and what each release leaves held, and the
// recording's command-line option and refusals.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/paced_platform.h"
#include "host/window_recording.h"
#include "tests/host/app_fake_platform.h"

namespace corvane::test {
namespace {

using T = PlatformEvent::Type;

constexpr uint64_t kFrameNs = 16'666'666;

TEST(RealTimePacer, NeverAheadOfRealTimeAndNeverRacingToCatchUp) {
    struct Step {
        uint64_t virtualNs, realNs, due;
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
    } cases[] = {
        {"the first moment is due at once", {{0, 5'000, 5'000}}},
        {"a moment ahead of real time waits for it",
         {{0, 1'000, 1'000}, {kFrameNs, 1'000 + 10'000'000, 1'000 + kFrameNs}}},
        {"a little behind is made up",
         {{0, 0, 0},
          {kFrameNs, kFrameNs + 40'000'000, kFrameNs},
          {2 * kFrameNs, kFrameNs + 40'000'000, 2 * kFrameNs}}},
        {"far behind goes on from now, and later moments count from there",
         {{0, 0, 0},
          {kFrameNs, kFrameNs + 200'000'000, kFrameNs + 200'000'000},
          {2 * kFrameNs, kFrameNs + 200'000'000, 2 * kFrameNs + 200'000'000}}},
        {"a clock started late counts from its first moment",
         {{50 * kFrameNs, 7, 7}, {51 * kFrameNs, 7, 7 + kFrameNs}}},
    };
    for (const Case& c : cases) {
        RealTimePacer pacer;
        for (size_t i = 0; i < c.steps.size(); ++i) {
            const Step& s = c.steps[i];
            EXPECT_EQ(pacer.dueAt(s.virtualNs, s.realNs), s.due) << c.name << ", step " << i;
        }
    }
}

PlatformEvent event(T type, uint32_t code = 0) {
    PlatformEvent e;
    e.type = type;
    e.code = code;
    return e;
}

std::string names(const std::vector<PlatformEvent>& events) {
    std::string s;
    for (const PlatformEvent& e : events) {
        if (!s.empty()) s += ' ';
        switch (e.type) {
            case T::KeyDown:
                s += "down" + std::to_string(e.code);
                break;
            case T::KeyUp:
                s += "up" + std::to_string(e.code);
                break;
            case T::LeftDown:
                s += "left-down";
                break;
            case T::LeftUp:
                s += "left-up";
                break;
            case T::PadDown:
                s += "pad-down" + std::to_string(e.code);
                break;
            case T::PadUp:
                s += "pad-up" + std::to_string(e.code);
                break;
            case T::Command:
                s += "command" + std::to_string(e.code);
                break;
            case T::Quit:
                s += "quit";
                break;
            default:
                s += "other";
        }
    }
    return s;
}

TEST(PacedPlatform, InputWaitsForAFrameStartAndATapIsSeenForAFrame) {
    struct Case {
        const char* name;
        std::vector<PlatformEvent> before;  // in the window before frame 1
        std::vector<std::string> released;  // by frames 1, 2, 3
        int keyAfterFirst;                  // key 65's state after frame 1 (bit 7)
        uint32_t padsAfterFirst;
    } cases[] = {
        {"a key tapped between two frames: down for one, up at the next",
         {event(T::KeyDown, 65), event(T::KeyUp, 65)},
         {"down65", "up65", ""},
         0x80,
         0},
        {"what follows a release held back waits with it, in order",
         {event(T::KeyDown, 65), event(T::KeyUp, 65), event(T::KeyDown, 66), event(T::Quit)},
         {"down65", "up65 down66 quit", ""},
         0x80,
         0},
        {"another key's release is not held back",
         {event(T::KeyDown, 65), event(T::KeyUp, 66), event(T::Command, 40004)},
         {"down65 up66 command40004", "", ""},
         0x80,
         0},
        {"a press, release and press again take a frame each",
         {event(T::KeyDown, 65), event(T::KeyUp, 65), event(T::KeyDown, 65)},
         {"down65", "up65 down65", ""},
         0x80,
         0},
        {"a click of the face: the button is down for a frame",
         {event(T::LeftDown), event(T::LeftUp)},
         {"left-down", "left-up", ""},
         0,
         0},
        {"a gamepad button tapped shows in the buttons for a frame",
         {event(T::PadDown, 2), event(T::PadUp, 2), event(T::PadDown, 3)},
         {"pad-down2", "pad-up2 pad-down3", ""},
         0,
         1u << 2},
    };
    for (const Case& c : cases) {
        FakePlatform window;
        PacedPlatform paced(window, 10'000'000);
        for (const PlatformEvent& e : c.before) window.events.push_back(e);
        // Painting is the window's own and passes at once; input waits for the frame.
        window.events.push_back(event(T::Expose));
        PlatformEvent got;
        ASSERT_TRUE(paced.pollEvent(got)) << c.name;
        EXPECT_EQ(got.type, T::Expose) << c.name;
        EXPECT_FALSE(paced.pollEvent(got)) << c.name;
        EXPECT_EQ(paced.keyboardState()[65], 0) << c.name;

        for (uint64_t frame = 1; frame <= 3; ++frame) {
            const std::vector<PlatformEvent> released = paced.releaseFrame(frame);
            EXPECT_EQ(names(released), c.released[frame - 1]) << c.name << ", frame " << frame;
            // The app gets exactly what was released, in order.
            std::vector<PlatformEvent> queued;
            while (paced.pollEvent(got)) queued.push_back(got);
            EXPECT_EQ(names(queued), names(released)) << c.name << ", frame " << frame;
            if (frame == 1) {
                EXPECT_EQ(paced.keyboardState()[65], c.keyAfterFirst) << c.name;
                EXPECT_EQ(paced.gamepadButtons(), c.padsAfterFirst) << c.name;
            }
        }
    }
}

TEST(PacedPlatform, AFrameStartsNoEarlierThanRealTimeAllows) {
    FakePlatform window;  // its clock is the real one; a wait moves it to the deadline
    window.now = 3'000;
    PacedPlatform paced(window, 6'000'000);  // 100,000 instructions a frame
    paced.releaseFrame(1);
    EXPECT_EQ(window.now, 3'000u) << "the first frame waits for nothing";

    // A busy program ran a frame's instructions in less than a frame of real time: the next
    // frame waits for it.
    paced.executed(100'000);
    window.now += 2'000'000;
    paced.releaseFrame(2);
    EXPECT_EQ(window.now, 3'000u + kFrameNs);

    // An idle program: the virtual clock jumps at once, real time is waited at the frame.
    paced.waitUntil(2 * kFrameNs);
    EXPECT_EQ(paced.nowNs(), 2 * kFrameNs);
    paced.releaseFrame(3);
    EXPECT_EQ(window.now, 3'000u + 2 * kFrameNs);

    // The host stalled for a second (a dialog): the program goes on from there, not racing.
    window.now += 1'000'000'000;
    const uint64_t stalled = window.now;
    paced.waitUntil(3 * kFrameNs);
    paced.releaseFrame(4);
    EXPECT_EQ(window.now, stalled);
    paced.waitUntil(4 * kFrameNs);
    paced.releaseFrame(5);
    EXPECT_EQ(window.now, stalled + kFrameNs);
}

TEST(WindowRecording, TheOptionAndWhatItDoesNotGoWith) {
    struct Case {
        std::vector<std::string> args;
        bool ok;
        std::string file;
        std::vector<std::string> left;
    } options[] = {
        {{"--record-input", "run.log", "prog.vrn"}, true, "run.log", {"prog.vrn"}},
        {{"/S3", "--record-input=my run.log", "prog.vrn"}, true, "my run.log", {"/S3", "prog.vrn"}},
        {{"prog.vrn"}, true, "", {"prog.vrn"}},
        {{"prog.vrn", "--record-input"}, false, "", {}},
        {{"--record-input=", "prog.vrn"}, false, "", {}},
    };
    for (const Case& c : options) {
        std::vector<std::string> args = c.args;
        std::optional<std::string> file;
        std::string error;
        EXPECT_EQ(takeRecordInputOption(args, file, error), c.ok) << c.args[0];
        if (!c.ok) {
            EXPECT_NE(error.find("--record-input"), std::string::npos);
            continue;
        }
        EXPECT_EQ(file.value_or(""), c.file);
        EXPECT_EQ(args, c.left);
    }

    // Windows takes it from the start of its command line's text, a quoted name whole.
    struct TextCase {
        std::string text;
        bool ok;
        std::string file;
        std::string left;
    } texts[] = {
        {"--record-input run.log prog.vrn", true, "run.log", "prog.vrn"},
        {"--record-input \"C:\\my logs\\run.log\"  /R prog.vrn", true, "C:\\my logs\\run.log",
         "/R prog.vrn"},
        {"--record-input run.log", true, "run.log", ""},
        {"prog.vrn --record-input run.log", true, "", "prog.vrn --record-input run.log"},
        {"--record-input \"run.log prog.vrn", false, "", ""},
        {"--record-input  ", false, "", ""},
    };
    for (const TextCase& c : texts) {
        std::string text = c.text;
        std::optional<std::string> file;
        std::string error;
        EXPECT_EQ(takeRecordInputText(text, file, error), c.ok) << c.text;
        if (!c.ok) continue;
        EXPECT_EQ(file.value_or(""), c.file) << c.text;
        EXPECT_EQ(text, c.left) << c.text;
    }

    Switches image;
    image.image = "prog.vrn";
    EXPECT_FALSE(recordingRefusal(image, false));
    EXPECT_TRUE(recordingRefusal(Switches{}, false)) << "no image to start the log with";
    EXPECT_TRUE(recordingRefusal(image, true)) << "the debug server's stops";
    Switches linked = image;
    linked.debugger = 7;
    EXPECT_TRUE(recordingRefusal(linked, false)) << "the debugger link's resumes";
}

}  // namespace
}  // namespace corvane::test
