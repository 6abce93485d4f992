// The page's keys and pointers to the host's: KeyboardEvent.code and .key to virtual keys under
// several keyboard layouts, and mouse, fingers and long presses to the host's events.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "host/platform/web/web_keys.h"
#include "host/platform/web/web_pointers.h"
#include "host/virtual_keys.h"
#include "shared/face/face_layout.h"

namespace corvane {
namespace {

struct KeyCase {
    const char* name;
    const char* code;
    uint32_t character;
    uint8_t vk;
};

TEST(WebKeys, CodesAndCharactersUnderSeveralLayouts) {
    const std::vector<KeyCase> cases = {
        {"a letter on a US keyboard", "KeyA", 'a', 'A'},
        {"with Shift the character is upper case", "KeyA", 'A', 'A'},
        {"AZERTY: the key at Q's place types A", "KeyQ", 'a', 'A'},
        {"Dvorak: the key at S's place types O", "KeyS", 'o', 'O'},
        {"another script's letter keeps the place", "KeyD", 0x432, 'D'},
        {"AZERTY's comma at M's place is the comma key", "KeyM", ',', vk::kComma},
        {"another sign at a letter's place is no key", "KeyM", '!', 0},
        {"the digit row's 7 (the handheld's t)", "Digit7", '7', '7'},
        {"with Shift it is still the digit", "Digit7", '&', '7'},
        {"AZERTY's digit row types signs: the digit", "Digit1", '&', '1'},
        {"the keypad's digits are keys of their own", "Numpad7", '7', vk::kNumpad0 + 7},
        {"F1, F6, F8, F12", "F1", 0, vk::kF1},
        {"F6", "F6", 0, vk::kF1 + 5},
        {"F12 takes screenshots", "F12", 0, vk::kF12},
        {"no F13", "F13", 0, 0},
        {"named keys carry no character", "Enter", 0, vk::kEnter},
        {"either Shift", "ShiftRight", 0, vk::kShift},
        {"arrows and page keys", "ArrowDown", 0, vk::kDown},
        {"page up", "PageUp", 0, vk::kPageUp},
        {"the face's full stop is Delete", "Delete", 0, vk::kDelete},
        {"the full-stop key by its character", "Period", '.', vk::kFullStop},
        {"space", "Space", ' ', vk::kSpace},
        {"escape", "Escape", 0, vk::kEscape},
        {"keys the host has no use for", "CapsLock", 0, 0},
        {"an unknown code with a character", "IntlRo", '\\', 0},
        {"a malformed code", "Key", 'a', 0},
    };
    for (const KeyCase& c : cases)
        EXPECT_EQ(int(webKeyOf(c.code, c.character)), int(c.vk)) << c.name;
}

// What the host was handed.
struct Seen {
    std::vector<std::tuple<PlatformEvent::Type, int, int>> events;
    std::vector<std::pair<uint8_t, bool>> keys;
    std::vector<std::pair<KeyRect, bool>> draws;  // further fingers' keys drawn
    bool menuOpen = false;
};

WebPointers pointersFor(Seen& seen) {
    return WebPointers(
        {[&seen](PlatformEvent::Type t, int x, int y) { seen.events.emplace_back(t, x, y); },
         [&seen](uint8_t vk, bool down) { seen.keys.emplace_back(vk, down); },
         [&seen] { return seen.menuOpen; },
         [&seen](const KeyRect& r, bool pressed) { seen.draws.emplace_back(r, pressed); }});
}

using T = PlatformEvent::Type;
using Kind = WebPointers::Kind;

constexpr int kBodyX = 217, kBodyY = 350;  // on the face, no key

std::pair<int, int> centre(const KeyRect& r) {
    return {r.left + r.width / 2, r.top + r.height / 2};
}

TEST(WebPointers, TheMouseIsTheDesktopsMouse) {
    Seen seen;
    WebPointers p = pointersFor(seen);
    p.down(1, Kind::Mouse, 0, kBodyX, kBodyY, 0);
    p.move(1, 5, 6);
    p.up(1, 7, 8);
    p.down(1, Kind::Mouse, 2, 9, 10, 0);
    p.up(1, 9, 10);
    p.down(1, Kind::Mouse, 1, 9, 10, 0);  // the middle button: nothing
    p.move(2, 11, 12);                    // hovering: the menu follows it
    const decltype(seen.events) expected = {{T::LeftDown, kBodyX, kBodyY},
                                            {T::PointerMove, 5, 6},
                                            {T::LeftUp, 7, 8},
                                            {T::RightDown, 9, 10},
                                            {T::PointerMove, 11, 12}};
    EXPECT_EQ(seen.events, expected);
    EXPECT_TRUE(seen.keys.empty());
}

TEST(WebPointers, FingersHoldSeveralFaceKeysAtOnce) {
    Seen seen;
    WebPointers p = pointersFor(seen);
    const auto [ax, ay] = centre(gridKeyRect(1, 0));  // A
    const auto [sx, sy] = centre(gridKeyRect(1, 1));  // S
    const auto [f1x, f1y] = centre(fKeyRect(0));
    p.down(10, Kind::Touch, 0, ax, ay, 0);          // the first finger goes through the host
    p.down(11, Kind::Touch, 0, sx, sy, 0);          // a second holds its key itself
    p.down(12, Kind::Touch, 0, f1x, f1y, 0);        // and a third
    p.down(13, Kind::Touch, 0, kBodyX, kBodyY, 0);  // a further finger on the body: nothing
    p.up(11, sx, sy);
    p.up(10, ax, ay);
    p.cancel(12);  // taken away by the browser: released all the same
    p.up(13, kBodyX, kBodyY);
    const decltype(seen.events) events = {{T::LeftDown, ax, ay}, {T::LeftUp, ax, ay}};
    EXPECT_EQ(seen.events, events);
    const decltype(seen.keys) keys = {{'S', true}, {vk::kF1, true}, {'S', false}, {vk::kF1, false}};
    EXPECT_EQ(seen.keys, keys);
    // Each further finger's key is drawn pressed while it holds it, as the first one's is.
    const decltype(seen.draws) draws = {{gridKeyRect(1, 1), true},
                                        {fKeyRect(0), true},
                                        {gridKeyRect(1, 1), false},
                                        {fKeyRect(0), false}};
    EXPECT_EQ(seen.draws, draws);
}

TEST(WebPointers, AKeyStaysDrawnPressedWhileAnyFingerHoldsIt) {
    Seen seen;
    WebPointers p = pointersFor(seen);
    const KeyRect a = gridKeyRect(1, 0), s = gridKeyRect(1, 1);
    const auto [ax, ay] = centre(a);
    const auto [sx, sy] = centre(s);
    p.down(1, Kind::Touch, 0, ax, ay, 0);  // the first finger: the host draws A
    p.down(2, Kind::Touch, 0, ax, ay, 0);  // a second on A too
    p.down(3, Kind::Touch, 0, sx, sy, 0);  // two more on S
    p.down(4, Kind::Touch, 0, sx + 1, sy, 0);
    p.up(2, ax, ay);  // A is still the first finger's
    p.up(3, sx, sy);  // S is still the fourth's
    p.up(4, sx, sy);
    const decltype(seen.draws) draws = {{a, true}, {s, true}, {s, true}, {s, false}};
    EXPECT_EQ(seen.draws, draws);
}

TEST(WebPointers, AFingerRestingOnTheBodyOpensTheMenu) {
    struct Case {
        const char* name;
        int moveX;            // where the finger moves before the time is up
        uint64_t liftedAtNs;  // when it is lifted
        bool menu;
    };
    const std::vector<Case> cases = {
        {"held still long enough", kBodyX, kLongPressNs + 1, true},
        {"wandering within the slop", kBodyX + kLongPressSlop, kLongPressNs, true},
        {"lifted too early", kBodyX, kLongPressNs - 1, false},
        {"moved away: a swipe", kBodyX + kLongPressSlop + 1, kLongPressNs + 1, false},
    };
    for (const Case& c : cases) {
        Seen seen;
        WebPointers p = pointersFor(seen);
        p.down(1, Kind::Touch, 0, kBodyX, kBodyY, 1000);
        p.move(1, c.moveX, kBodyY);
        p.tick(1000 + kLongPressNs - 1);
        if (c.liftedAtNs < kLongPressNs) p.up(1, c.moveX, kBodyY);
        p.tick(1000 + kLongPressNs);
        p.up(1, c.moveX, kBodyY);
        const decltype(seen.events) menu = {{T::RightDown, kBodyX, kBodyY}};
        EXPECT_EQ(seen.events, c.menu ? menu : decltype(seen.events){}) << c.name;
    }
}

TEST(WebPointers, WithTheMenuOpenEveryTapGoesToIt) {
    Seen seen;
    seen.menuOpen = true;
    WebPointers p = pointersFor(seen);
    p.down(1, Kind::Touch, 0, kBodyX, kBodyY, 0);
    p.up(1, kBodyX, kBodyY);
    const decltype(seen.events) expected = {{T::LeftDown, kBodyX, kBodyY},
                                            {T::LeftUp, kBodyX, kBodyY}};
    EXPECT_EQ(seen.events, expected);
}

TEST(WebPointers, LosingTheFocusLetsEverythingGo) {
    Seen seen;
    WebPointers p = pointersFor(seen);
    const auto [ax, ay] = centre(gridKeyRect(1, 0));
    const auto [sx, sy] = centre(gridKeyRect(1, 1));
    p.down(1, Kind::Touch, 0, ax, ay, 0);
    p.down(2, Kind::Touch, 0, sx, sy, 0);
    p.releaseAll();
    p.up(1, ax, ay);  // the real releases that follow change nothing
    p.up(2, sx, sy);
    EXPECT_EQ(seen.events.size(), 2u);
    EXPECT_EQ(std::get<0>(seen.events.back()), T::LeftUp);
    const decltype(seen.keys) keys = {{'S', true}, {'S', false}};
    EXPECT_EQ(seen.keys, keys);
}

}  // namespace
}  // namespace corvane
