// The message box drawn in the window: it stays on the part of the window the screen shows and
// clear of the outline's notches, centred there, its lines within it, whatever the text.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "host/message_panel.h"
#include "host/window_text.h"

namespace corvane::test {
namespace {

TEST(MessagePanel, CentredOnTheVisibleFaceWithItsLinesInside) {
    std::string manyLines;
    for (int i = 0; i < 60; ++i) manyLines += "第" + std::to_string(i) + "行\n";
    const std::string texts[] = {
        "无法打开Quillbox文件!",
        "根目录: /home/someone/a/rather/deep/folder/where/the/simulator/keeps/its/files/and/more",
        "Keys: the letters A-Z, 0, Space, Enter, Esc, Delete (.), the arrows, Page Up/Down, Shift "
        "and F1-F6 are the handheld's keys; the digits 1-9 are b n m g h j t y u.",
        manyLines,
    };
    const KeyRect areas[] = {
        {0, 0, 435, 585},    // the whole window on the screen
        {0, 200, 435, 385},  // its top above the screen
        {150, 0, 285, 300},  // its left and bottom off the screen
    };
    for (const KeyRect& visible : areas) {
        const int left = std::max(visible.left, kPanelArea.left);
        const int top = std::max(visible.top, kPanelArea.top);
        const int right =
            std::min(visible.left + visible.width, kPanelArea.left + kPanelArea.width);
        const int bottom =
            std::min(visible.top + visible.height, kPanelArea.top + kPanelArea.height);
        for (const std::string& text : texts) {
            SCOPED_TRACE(std::to_string(visible.left) + "," + std::to_string(visible.top) + ": " +
                         text.substr(0, 20));
            const MessagePanel box(text, visible);
            const KeyRect& r = box.rect();
            EXPECT_GE(r.left, left);
            EXPECT_GE(r.top, top);
            EXPECT_LE(r.left + r.width, right);
            EXPECT_LE(r.top + r.height, bottom);
            EXPECT_LE(std::abs((r.left + r.width / 2) - (left + right) / 2), 1);
            EXPECT_LE(std::abs((r.top + r.height / 2) - (top + bottom) / 2), 1);
            ASSERT_FALSE(box.lines().empty());
            for (const std::string& line : box.lines())
                EXPECT_LE(gbTextWidth(line), r.width - 54) << line;
            const KeyRect& ok = box.okButton();
            EXPECT_TRUE(box.clickCloses(ok.left + ok.width / 2, ok.top + ok.height / 2));
            EXPECT_FALSE(box.clickCloses(r.left + r.width / 2, r.top + 30));  // the text
            EXPECT_GE(ok.top, r.top + 40);
            EXPECT_LE(ok.top + ok.height, r.top + r.height);
        }
    }
    // Sixty lines do not fit: the box keeps the first ones and says there is more.
    const MessagePanel tall(manyLines, {0, 0, 435, 585});
    EXPECT_LT(tall.lines().size(), 60u);
    EXPECT_EQ(tall.lines().back().substr(tall.lines().back().size() - 3), "...");
    // Enter, Space and Esc close it, as a desktop's box; other keys do not.
    for (int key : {0x0D, 0x20, 0x1B}) EXPECT_TRUE(MessagePanel::closesOn(uint8_t(key))) << key;
    for (int key : {int('A'), 0x77, 0x09})
        EXPECT_FALSE(MessagePanel::closesOn(uint8_t(key))) << key;
}

}  // namespace
}  // namespace corvane::test
