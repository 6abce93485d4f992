// Face keys, window outline and the keyboard scan.

#include <gtest/gtest.h>

#include "host/skin.h"
#include "vm/machine.h"
#include "vm/syscalls.h"

namespace corvane {
namespace {

constexpr int kNoKey = -1;

TEST(SkinHitTest, KeyBordersAreNoHit) {
    struct Case {
        int x, y;
        int vk;  // kNoKey: the click drags the window
    };
    const Case cases[] = {
        // ON/OFF key (55, 260, 25, 18)
        {55, 265, kNoKey},
        {56, 265, 0},
        {79, 265, 0},
        {80, 265, kNoKey},
        {60, 260, kNoKey},
        {60, 261, 0},
        {60, 277, 0},
        {60, 278, kNoKey},
        // F1 (181, 261, 29, 17) and F4 (307, 261, 29, 17)
        {181, 270, kNoKey},
        {182, 270, vk::kF1},
        {209, 270, vk::kF1},
        {210, 270, kNoKey},
        {190, 261, kNoKey},
        {190, 262, vk::kF1},
        {190, 277, vk::kF1},
        {190, 278, kNoKey},
        {335, 270, vk::kF1 + 3},
        {336, 270, kNoKey},
        // Q (16, 441, 32, 26) and the last key, Right (394, 546, 32, 26)
        {16, 450, kNoKey},
        {17, 450, 'Q'},
        {47, 450, 'Q'},
        {48, 450, kNoKey},
        {30, 441, kNoKey},
        {30, 442, 'Q'},
        {30, 466, 'Q'},
        {30, 467, kNoKey},
        {425, 571, vk::kRight},
        {426, 571, kNoKey},
        {425, 572, kNoKey},
        // Between keys, on the bezel, on the body above the Q row
        {52, 450, kNoKey},
        {30, 470, kNoKey},
        {200, 100, kNoKey},
        {30, 430, kNoKey},
        {100, 350, kNoKey},
    };
    for (const Case& c : cases) {
        const std::optional<FaceKey> key = faceKeyAt(c.x, c.y);
        if (c.vk == kNoKey) {
            EXPECT_FALSE(key.has_value()) << "(" << c.x << ", " << c.y << ")";
        } else {
            ASSERT_TRUE(key.has_value()) << "(" << c.x << ", " << c.y << ")";
            EXPECT_EQ(key->vk, c.vk) << "(" << c.x << ", " << c.y << ")";
        }
    }
}

// Each face key, clicked in its middle, must reach programs as the device code printed on it.
TEST(SkinHitTest, GridKeysGiveTheirDeviceCodes) {
    struct Case {
        int row, column;
        uint8_t code;
    };
    const Case cases[] = {
        {0, 0, 'q'},  {0, 9, 'p'},  {1, 0, 'a'},  {1, 8, 'l'},  {1, 9, 0x0D},
        {2, 0, 'z'},  {2, 6, 'm'},  {2, 7, 0x13}, {2, 8, 0x14}, {2, 9, 0x0E},
        {3, 0, 0x19}, {3, 1, 0x1A}, {3, 2, 0x12}, {3, 3, 0x1B}, {3, 4, 0x30},
        {3, 5, 0x2E}, {3, 6, 0x20}, {3, 7, 0x17}, {3, 8, 0x15}, {3, 9, 0x16},
    };
    for (const Case& c : cases) {
        const KeyRect r = gridKeyRect(c.row, c.column);
        const std::optional<FaceKey> key = faceKeyAt(r.left + r.width / 2, r.top + r.height / 2);
        ASSERT_TRUE(key.has_value());
        EXPECT_EQ(scanKeyToCode(key->vk), c.code) << "row " << c.row << " column " << c.column;
    }
    for (int i = 0; i < kFKeyCount; ++i) {
        const KeyRect r = fKeyRect(i);
        EXPECT_EQ(scanKeyToCode(faceKeyAt(r.left + 5, r.top + 5)->vk), 0x1C + i);
    }
}

TEST(SkinOutline, ShapeAndKeysInsideIt) {
    EXPECT_TRUE(insideOutline(217, 300));
    EXPECT_FALSE(insideOutline(0, 0));
    EXPECT_FALSE(insideOutline(434, 584));
    EXPECT_FALSE(insideOutline(217, 5));  // above the curved top edge
    // The slit cut into the right edge between y 283 and 289.
    EXPECT_TRUE(insideOutline(410, 280));
    EXPECT_FALSE(insideOutline(410, 286));
    EXPECT_TRUE(insideOutline(410, 292));
    // Every key, with the 3-pixel margin it is redrawn with, lies on the shaped window.
    for (const FaceKey& key : faceKeys()) {
        const KeyRect& r = key.rect;
        for (int x : {r.left - 3, r.left + r.width}) {
            for (int y : {r.top - 3, r.top + r.height}) {
                EXPECT_TRUE(insideOutline(x, y)) << "(" << x << ", " << y << ")";
            }
        }
    }
}

class KeyboardScan : public ::testing::Test {
  protected:
    // One frame with the given keys down on the PC keyboard.
    bool frame(std::initializer_list<int> down) {
        std::array<uint8_t, 256> keys{};
        for (int k : down) keys[size_t(k)] = 0x80;
        return skin.scan(m, keys);
    }
    // What getchar would take: clears bit 7, returns the code.
    int consume() {
        const int code = m.keyRegister & 0x80 ? m.keyRegister & 0x7F : -1;
        m.keyRegister &= 0x7F;
        return code;
    }

    Machine m;
    Skin skin;
};

TEST_F(KeyboardScan, NewPressRegistersCodeWithBit7) {
    EXPECT_TRUE(frame({'A'}));
    EXPECT_EQ(m.keyRegister, 0x80 | 'a');
}

TEST_F(KeyboardScan, SingleKeyMappings) {
    struct Case {
        int vk;
        int code;  // -1: no key registered
    };
    const Case cases[] = {
        {'7', 't'},   {'1', 'b'},   {'9', 'u'},   {'0', '0'},   {0x67, -1},  // numeric keypad 7
        {0x2E, 0x2E},  // Delete is the face's "." key
        {0xBE, -1},    // the PC's full stop has no code in the scan
        {0x10, 0x1A}, {0x74, 0x19}, {0x75, 0x12}, {0x73, 0x1F}, {0x21, 0x13},
        {0x22, 0x0E}, {0x77, -1},  // F8 is the Reset accelerator
    };
    for (const Case& c : cases) {
        Machine fresh;
        Skin s;
        std::array<uint8_t, 256> keys{};
        keys[size_t(c.vk)] = 0x80;
        s.scan(fresh, keys);
        const int got = fresh.keyRegister & 0x80 ? fresh.keyRegister & 0x7F : -1;
        EXPECT_EQ(got, c.code) << "vk " << c.vk;
    }
}

TEST_F(KeyboardScan, LowestVirtualKeyWinsAndTheOthersAreLost) {
    frame({'B', 'A'});
    EXPECT_EQ(consume(), 'a');
    frame({'B', 'A'});  // B is no longer newly pressed
    EXPECT_EQ(consume(), -1);
}

TEST_F(KeyboardScan, KeysWithoutCodeAreSkipped) {
    frame({0x08, 0x67, 'Z'});  // Backspace and keypad 7 come first but have no code
    EXPECT_EQ(consume(), 'z');
}

TEST_F(KeyboardScan, PressWhilePendingIsLost) {
    frame({'A'});
    frame({'A', 'B'});  // 'a' still pending: B's press is copied to the previous table
    EXPECT_EQ(consume(), 'a');
    frame({'A', 'B'});
    EXPECT_EQ(consume(), -1);
    EXPECT_EQ(m.hostKeys['B'], 0x80);  // but it is down for CheckKey
}

TEST_F(KeyboardScan, HoldingDoesNotRepeat) {
    frame({'Q'});
    EXPECT_EQ(consume(), 'q');
    for (int i = 0; i < 5; ++i) {
        frame({'Q'});
        EXPECT_EQ(consume(), -1);
    }
    frame({});
    frame({'Q'});
    EXPECT_EQ(consume(), 'q');
}

TEST_F(KeyboardScan, ReleaseKeyOfAHeldKeyDeliversItOnceMore) {
    frame({'Q'});
    EXPECT_EQ(consume(), 'q');
    m.push('q');
    sys_ReleaseKey(m);
    EXPECT_EQ(m.hostKeys['Q'] & 0x80, 0);
    frame({'Q'});
    EXPECT_EQ(consume(), 'q');
    frame({'Q'});
    EXPECT_EQ(consume(), -1);
}

TEST_F(KeyboardScan, TableAndPreviousCopy) {
    frame({'A', 0x70});
    EXPECT_EQ(m.hostKeys['A'], 0x80);
    EXPECT_EQ(m.hostKeys[0x70], 0x80);
    frame({'B'});
    EXPECT_EQ(skin.previousKeys()['A'], 0x80);
    EXPECT_EQ(m.hostKeys['A'], 0);
    EXPECT_EQ(m.hostKeys['B'], 0x80);
}

TEST_F(KeyboardScan, MouseHeldFaceKeyIsDownFromPressToRelease) {
    const KeyRect q = gridKeyRect(0, 0);
    ASSERT_TRUE(skin.pressAt(q.left + 5, q.top + 5).has_value());
    EXPECT_EQ(skin.heldVk(), 'Q');
    frame({});
    EXPECT_EQ(consume(), 'q');
    frame({});
    EXPECT_EQ(m.hostKeys['Q'] & 0x80, 0x80);  // still held: CheckKey sees it
    EXPECT_EQ(consume(), -1);                 // and it does not repeat
    EXPECT_EQ(skin.release(), q);
    frame({});
    EXPECT_EQ(m.hostKeys['Q'], 0);
    EXPECT_TRUE(skin.release().empty());  // a second release has nothing to redraw
}

TEST_F(KeyboardScan, QuickClicksBetweenTwoScansEachCountOnce) {
    const KeyRect w = gridKeyRect(0, 1);
    for (int click = 0; click < 4; ++click) {
        SCOPED_TRACE(click);
        ASSERT_TRUE(skin.pressAt(w.left + 5, w.top + 5).has_value());
        skin.release();  // up again before the frame
        frame({});
        EXPECT_EQ(consume(), 'w');
        frame({});
        EXPECT_EQ(m.hostKeys['W'], 0);  // counted once, then up
    }
}

TEST_F(KeyboardScan, OnOffKeyLooksPressedButIsNoKey) {
    const std::optional<FaceKey> key = skin.pressAt(60, 265);
    ASSERT_TRUE(key.has_value());
    EXPECT_EQ(skin.heldRect(), kOnOffKey);
    frame({});
    EXPECT_EQ(consume(), -1);
    EXPECT_EQ(m.hostKeys[0], 0);
}

TEST_F(KeyboardScan, ClickOnBodyHoldsNothingAndDropsAHeldKey) {
    const KeyRect w = gridKeyRect(0, 1);
    skin.pressAt(w.left + 3, w.top + 3);
    EXPECT_FALSE(skin.pressAt(200, 350).has_value());
    EXPECT_EQ(skin.heldVk(), 0);
    EXPECT_TRUE(skin.heldRect().empty());
}

}  // namespace
}  // namespace corvane
