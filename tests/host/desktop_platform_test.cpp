// What the desktop windows share: only the rows that changed since the last upload go to the
// window system, a key tapped between two scans still counts as pressed once, and what the window
// was handed while a message box was up does not act once it is gone.

#include <gtest/gtest.h>

#include <vector>

#include "host/desktop_platform.h"

namespace corvane::test {
namespace {

TEST(ChangedRows, OnlyTheSpanThatChangedSinceTheLastUpload) {
    struct Case {
        const char* name;
        std::vector<int> rowsChanged;  // rows given a new colour before the update
        int first, rows;
    };
    const std::vector<Case> cases = {
        {"nothing", {}, 0, 0},
        {"one row", {5}, 5, 1},
        {"the span between two rows", {2, 6}, 2, 5},
        {"first and last", {0, 9}, 0, 10},
    };
    ChangedRows changed;
    RgbImage image(4, 10);
    ChangedRows::Span span = changed.update(image);
    EXPECT_TRUE(span.whole);  // the first picture goes whole
    EXPECT_EQ(span.rows, 10);
    uint8_t colour = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int row : c.rowsChanged) image.at(1, row)[2] = colour++;
        span = changed.update(image);
        EXPECT_FALSE(span.whole);
        EXPECT_EQ(span.rows, c.rows);
        if (c.rows) {
            EXPECT_EQ(span.first, c.first);
        }
        EXPECT_EQ(changed.update(image).rows, 0) << "the span is uploaded only once";
    }
    EXPECT_TRUE(changed.update(RgbImage(8, 10)).whole);  // another size
    changed.forget();
    EXPECT_TRUE(changed.update(RgbImage(8, 10)).whole);
}

TEST(KeyLatch, ATapBetweenScansCountsOnceAndAShortcutKeyNever) {
    KeyLatch latch;
    std::array<uint8_t, 256> down{};
    latch.pressed(0x41);  // pressed and released again before the scan
    EXPECT_EQ(latch.scan(down)[0x41], 0x80);
    EXPECT_EQ(latch.scan(down)[0x41], 0) << "only once";

    down[0x42] = 0x81;  // held: down at every scan, bit 7 only
    EXPECT_EQ(latch.scan(down)[0x42], 0x80);
    EXPECT_EQ(latch.scan(down)[0x42], 0x80);

    latch.pressed(0x0D);
    latch.suppress(0x0D);  // the Enter of a window shortcut
    down[0x0D] = 0x80;
    EXPECT_EQ(latch.scan(down)[0x0D], 0);
    latch.released(0x0D);
    EXPECT_EQ(latch.scan(down)[0x0D], 0x80);  // down again after its release
}

// A backend whose message box, while it is up, hands the window what its own loop would.
class BoxPlatform : public DesktopPlatform {
  public:
    BoxPlatform() : DesktopPlatform(true) {}
    std::vector<PlatformEvent> duringBox;

    uint64_t nowNs() override { return 0; }
    LocalTime localTime() override { return {}; }
    void setLocalTime(const LocalTime&) override {}
    bool createWindow(const std::string&, int, int,
                      const std::vector<std::pair<int, int>>&) override {
        return true;
    }
    void beginDrag(int, int) override {}
    std::optional<std::string> openFileDialog(const OpenFileRequest&) override { return {}; }
    bool debugConnect(uint32_t) override { return true; }
    void debugSend(uint32_t, uint32_t, uint32_t, const uint8_t*, uint32_t) override {}
    void queue(PlatformEvent::Type type, uint32_t code = 0) { push(type, 0, 0, code); }

  protected:
    void fetchEvents() override {}
    void sleepUntil(uint64_t) override {}
    void keysDown(std::array<uint8_t, 256>&) override {}
    void uploadRows(const RgbImage&, int, int, bool) override {}
    void showMessageBox(const std::string&) override {
        for (const PlatformEvent& e : duringBox) push(e);
    }
};

TEST(DesktopMessageBox, PressesMeantForTheBoxAreDropped) {
    using T = PlatformEvent::Type;
    BoxPlatform platform;
    platform.queue(T::KeyDown, 0x41);  // before the box: still the window's
    for (T type : {T::KeyDown, T::KeyUp, T::Command, T::LeftDown, T::LeftUp, T::RightDown,
                   T::DebugResume, T::Quit, T::DropFile, T::PadDown}) {
        PlatformEvent e;
        e.type = type;
        platform.duringBox.push_back(e);
    }
    platform.messageBox("没有运行的程序!");
    std::vector<T> left;
    PlatformEvent e;
    while (platform.pollEvent(e)) left.push_back(e.type);
    EXPECT_EQ(left, (std::vector<T>{T::KeyDown, T::KeyUp, T::LeftUp, T::DebugResume, T::Quit}));
}

}  // namespace
}  // namespace corvane::test
