// The date the time calls see: a date of the process's own unless vorn.ini lets SetTime set the
// platform's clock; and the user is told of a program's file whose data the host could not write.

#include <gtest/gtest.h>

#include "host/app.h"
#include "host/menu.h"
#include "host/texts.h"
#include "tests/host/app_fake_platform.h"
#include "tests/host/app_test_files.h"
#include "tests/host/app_test_settings.h"
#include "vm/machine.h"

namespace corvane::test {
namespace {

// A platform whose own date is 2020-05-17 08:00:00 (a Sunday) whatever the clock says.
struct DatedPlatform : FakePlatform {
    LocalTime localTime() override {
        LocalTime t;
        t.year = 2020, t.month = 5, t.day = 17, t.hour = 8, t.minute = 0, t.second = 0;
        t.dayOfWeek = 0;
        return t;
    }
};

struct AppClock : ::testing::Test {
    TempDir dir;
    DatedPlatform platform;
    AppSettings settings;

    AppClock() { settings = settingsIn(dir); }
};

LocalTime date(int year, int month, int day, int hour, int minute, int second) {
    LocalTime t;
    t.year = year, t.month = month, t.day = day, t.hour = hour, t.minute = minute;
    t.second = second;
    return t;
}

TEST_F(AppClock, SetTimeMovesOnlyTheProcessDateUnlessEnabled) {
    struct Case {
        const char* ini;
        bool allowed;
        bool hostClock;
    };
    const Case cases[] = {
        {"", true, false},
        {"[Clock]\nSetHostClock=0\n", true, false},
        {"[Clock]\nSetHostClock=yes\n", true, false},  // not a number: off
        {"[clock]\nsethostclock=1\n", true, true},
        {"[Clock]\nSetHostClock=1\n", false, false},  // the front end forbids it
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini);
        writeText(dir / "vorn.ini", std::string("[CPU]\nFrequency=1000\n") + c.ini);
        DatedPlatform p;
        settings.hostClockAllowed = c.allowed;
        App app(p, settings);
        ASSERT_EQ(app.startUp({}), 0);
        EXPECT_EQ(app.setsHostClock(), c.hostClock);

        // Both start at the platform's date and move with its clock.
        p.now += 90'500'000'000;  // 90.5 s
        LocalTime t = app.localTime();
        EXPECT_EQ(t.day, 17);
        EXPECT_EQ(t.hour, 8);
        EXPECT_EQ(t.minute, c.hostClock ? 0 : 1);
        EXPECT_EQ(t.second, c.hostClock ? 0 : 30);

        app.setLocalTime(date(1999, 12, 31, 23, 59, 58));
        if (c.hostClock) {
            ASSERT_TRUE(p.timeSet.has_value());
            EXPECT_EQ(p.timeSet->year, 1999);
        } else {
            EXPECT_FALSE(p.timeSet.has_value()) << "the platform's clock must not be touched";
            p.now += 3'000'000'000;  // the new date moves on: past midnight, a Saturday
            t = app.localTime();
            EXPECT_EQ(t.year, 2000);
            EXPECT_EQ(t.month, 1);
            EXPECT_EQ(t.day, 1);
            EXPECT_EQ(t.second, 1);
            EXPECT_EQ(t.dayOfWeek, 6);
        }
    }
}

TEST_F(AppClock, AnImpossibleDateLeavesTheProcessDate) {
    App app(platform, settings);
    ASSERT_EQ(app.startUp({}), 0);
    app.setLocalTime(date(2010, 6, 15, 12, 30, 5));
    for (LocalTime bad : {date(2010, 13, 1, 0, 0, 0), date(2010, 2, 30, 0, 0, 0),
                          date(2010, 6, 15, 24, 0, 0), date(1600, 1, 1, 0, 0, 0)}) {
        app.setLocalTime(bad);
    }
    const LocalTime t = app.localTime();
    EXPECT_EQ(t.year, 2010);
    EXPECT_EQ(t.month, 6);
    EXPECT_EQ(t.day, 15);
    EXPECT_EQ(t.dayOfWeek, 2);  // a Tuesday
    EXPECT_FALSE(platform.timeSet.has_value());
}

// A state restores the date it was saved with, whatever the clock reads at the save and at the
// load, and the date moves on from there with the clock.
TEST_F(AppClock, ALoadedStateResumesItsDateAtAnyClock) {
    writeProgram(dir / "waits.vrn", "getchar\nEXIT\n");
    App app(platform, settings);
    Switches s;
    s.image = "waits.vrn";
    ASSERT_EQ(app.startUp(s), 0);
    platform.now = 7'000'000'000;
    app.setLocalTime(date(2010, 6, 15, 12, 30, 5));
    platform.now += 2'000'000'000;  // saved at 12:30:07
    const std::string state = (dir / "at-noon.state").string();
    ASSERT_TRUE(app.saveState(state));

    platform.now += 3'600'000'000'000;  // an hour later, on another date
    app.setLocalTime(date(2031, 1, 2, 3, 4, 5));
    ASSERT_TRUE(app.loadState(state));
    LocalTime t = app.localTime();
    EXPECT_EQ(t.year, 2010);
    EXPECT_EQ(t.day, 15);
    EXPECT_EQ(t.hour, 12);
    EXPECT_EQ(t.minute, 30);
    EXPECT_EQ(t.second, 7);
    platform.now += 61'000'000'000;
    t = app.localTime();
    EXPECT_EQ(t.minute, 31);
    EXPECT_EQ(t.second, 8);
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(AppClock, LostWritesOfAProgramAreShownNamingTheFile) {
    // The program's file is on the device that is always full: its buffered write is told
    // success, and the close at the program's end (the Exit command) tells the user.
    App app(platform, settings);
    ASSERT_EQ(app.startUp({}), 0);
    Machine& m = app.machine();
    std::FILE* full = std::fopen("/dev/full", "wb");
    ASSERT_NE(full, nullptr);
    ASSERT_EQ(std::fputs("data", full), 1);
    m.files[0] = {true, full, "/dev/full", false, "wb"};
    m.programLoaded = true;
    app.command(kCmdExit);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0], formatText(TextId::MessageWriteFailed, {"/dev/full"}));
    EXPECT_EQ(m.files[0].stream, nullptr);
}

}  // namespace
}  // namespace corvane::test
