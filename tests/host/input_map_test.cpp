// The key map: PC keys under any layout, the bindings vorn.ini may change, the gamepad's buttons,
// and the keys a dialog was closed with.

#include <gtest/gtest.h>

#include "host/config.h"
#include "host/input_map.h"
#include "library/keycodes.h"
#include "tests/host/app_test_files.h"

namespace corvane::test {
namespace {

TEST(InputMap, LettersAndDigitsFollowTheLayout) {
    struct Case {
        const char* what;
        uint8_t position;  // the key at this place on a US keyboard
        uint32_t character;
        uint8_t pcKey;
    };
    const Case cases[] = {
        {"US A", 'A', 'a', 'A'},
        {"AZERTY: A where US has Q", 'Q', 'a', 'A'},
        {"AZERTY: Q where US has A", 'A', 'q', 'Q'},
        {"AZERTY: M where US has the semicolon", 0xBA, 'm', 'M'},
        {"AZERTY: comma where US has M is no M", 'M', ',', 0xBC},
        {"AZERTY: the digit row's & is still 1", '1', '&', '1'},
        {"AZERTY: a non-ASCII sign on the digit row is still 0", '0', 0xE0, '0'},
        {"AZERTY: the digit row's minus is still 6", '6', '-', '6'},
        {"AZERTY: the digit row's quote is still 4", '4', '\'', '4'},
        {"QWERTZ: Z where US has Y", 'Y', 'z', 'Z'},
        {"QWERTZ: sharp s keeps the minus key", 0xBD, 0xDF, 0xBD},
        {"Cyrillic letters keep the key's place", 'F', 0x0430, 'F'},
        {"another ASCII sign at a letter's place", 'Q', '^', 0},
        {"keys without a character", 0x70, 0, 0x70},
        {"Enter", 0x0D, '\r', 0x0D},
        {"Space", 0x20, ' ', 0x20},
        {"Delete", 0x2E, 127, 0x2E},
        {"Esc", 0x1B, 27, 0x1B},
    };
    for (const Case& c : cases) EXPECT_EQ(layoutKey(c.position, c.character), c.pcKey) << c.what;
}

TEST(InputMap, DefaultsAreTheHandheldsMappingWithTheShortcutsTakenOut) {
    const InputMap map;
    std::array<uint8_t, 256> pc{}, seen{};
    for (int vk = 1; vk < 256; ++vk) pc[size_t(vk)] = 0x80;
    map.programKeys(pc, 0, seen);
    for (int vk = 1; vk < 256; ++vk) {
        const bool shortcut = vk == 0x08 || vk == 0x09 || (vk >= 0x76 && vk <= 0x7A);
        EXPECT_EQ(seen[size_t(vk)], shortcut ? 0 : 0x80) << vk;
    }
    struct Action {
        uint8_t vk;
        HostAction action;
    };
    for (const Action& a : {Action{0x76, HostAction::SaveState}, Action{0x77, HostAction::Reset},
                            Action{0x78, HostAction::Pause}, Action{0x79, HostAction::LoadState},
                            Action{0x7A, HostAction::Record}, Action{0x09, HostAction::FastForward},
                            Action{0x08, HostAction::Rewind}})
        EXPECT_EQ(map.key(a.vk).action, a.action) << int(a.vk);
    EXPECT_TRUE(map.changes().empty());
}

TEST(InputMap, GamepadDefaultsPressArrowsEnterEscAndSpace) {
    struct Case {
        PadButton button;
        uint8_t vk;
    };
    const Case cases[] = {
        {PadButton::DPadUp, vk::kUp},
        {PadButton::DPadDown, vk::kDown},
        {PadButton::DPadLeft, vk::kLeft},
        {PadButton::DPadRight, vk::kRight},
        {PadButton::StickUp, vk::kUp},
        {PadButton::StickRight, vk::kRight},
        {PadButton::A, vk::kEnter},
        {PadButton::B, vk::kEscape},
        {PadButton::X, vk::kSpace},
        {PadButton::Y, 0},
        {PadButton::Start, 0},
    };
    const InputMap map;
    for (const Case& c : cases) {
        std::array<uint8_t, 256> seen{};
        map.programKeys({}, padBit(c.button), seen);
        for (int vk = 0; vk < 256; ++vk)
            EXPECT_EQ(seen[size_t(vk)], vk == c.vk && c.vk ? 0x80 : 0)
                << padButtonName(c.button) << " " << vk;
    }
}

TEST(InputMap, StickDirectionsNeedAThirdOfTheWay) {
    const PadButtons left = padBit(PadButton::StickLeft), right = padBit(PadButton::StickRight);
    const PadButtons up = padBit(PadButton::StickUp), down = padBit(PadButton::StickDown);
    struct Case {
        int x, y;
        PadButtons held;
    };
    // A third of the way is 10922 each way.
    const Case cases[] = {
        {0, 0, 0},         {-10000, 10000, 0},  // resting drift
        {-12000, 0, left}, {32767, -32768, right | up}, {0, 20000, down}, {-10921, 10921, 0},
        {-10922, 0, left}, {10922, 0, right},           {0, -10922, up},  {0, 10922, down},
    };
    for (const Case& c : cases) EXPECT_EQ(stickDirections(c.x, c.y), c.held) << c.x << "," << c.y;
}

TEST(InputMap, VornIniRebindsKeysAndButtonsAndReportsWhatItIgnores) {
    TempDir dir;
    writeText(dir / "vorn.ini",
              "[ROM]\nDirectory=/x\n"
              "[keys]\nw=UP\nTab=None\nNumpad0=Rewind\nBackspace=None\nX=Delete\n"
              "J=Return\nQ=Frobnicate\n"
              "[Gamepad]\nStart=Pause\nA=Space\nY=Shift\nTurbo=Enter\n");
    InputMap map;
    const std::vector<std::string> ignored = map.load(ProfileFile(dir / "vorn.ini"));
    // An unknown target is reported and the key keeps its binding; an unknown button is simply
    // no button (it cannot be looked for).
    EXPECT_EQ(ignored, (std::vector<std::string>{"Keys: Q=Frobnicate"}));
    EXPECT_EQ(map.key('Q'), (Binding{'Q', HostAction::None}));

    std::array<uint8_t, 256> pc{}, seen{};
    for (uint8_t k : {uint8_t('W'), uint8_t(0x09), uint8_t(0x60), uint8_t('X'), uint8_t('J')})
        pc[k] = 0x80;
    map.programKeys(pc, padBit(PadButton::A) | padBit(PadButton::Y), seen);
    std::vector<int> down;
    for (int vk = 0; vk < 256; ++vk)
        if (seen[size_t(vk)]) down.push_back(vk);
    EXPECT_EQ(down, (std::vector<int>{vk::kEnter, vk::kShift, vk::kSpace, vk::kUp, vk::kDelete}));
    EXPECT_EQ(map.key(0x60).action, HostAction::Rewind);
    EXPECT_EQ(map.key(0x08), Binding{});
    EXPECT_EQ(map.pad(PadButton::Start).action, HostAction::Pause);

    const std::string about = map.describe();
    EXPECT_NE(about.find("Rewind: Numpad0\n"), std::string::npos) << about;
    EXPECT_NE(about.find("Pause: F9/Pad Start\n"), std::string::npos) << about;
    EXPECT_NE(about.find("FastForward: -\n"), std::string::npos) << about;
    EXPECT_NE(about.find("[Keys] W=Up\n"), std::string::npos) << about;
    EXPECT_NE(about.find("[Gamepad] A=Space\n"), std::string::npos) << about;
}

TEST(InputMap, NamesReadBackAsTheyAreWritten) {
    for (int vk = 1; vk < 256; ++vk) {
        const std::string_view name = keyName(uint8_t(vk));
        if (name.empty()) continue;
        EXPECT_EQ(keyFromName(name), uint8_t(vk)) << name;
        EXPECT_EQ(bindingName(*bindingFromName(name)), name);
    }
    EXPECT_EQ(keyFromName("escape"), vk::kEscape);
    EXPECT_FALSE(keyFromName(""));
    EXPECT_FALSE(bindingFromName("F13"));
    EXPECT_EQ(bindingFromName("none"), Binding{});
}

TEST(KeyHoldBack, KeysDownWhenArmedWaitForTheirRelease) {
    KeyHoldBack gate;
    std::array<uint8_t, 256> keys{};
    keys[vk::kEnter] = 0x80;
    gate.filter(keys);  // not armed: nothing is held back
    EXPECT_EQ(keys[vk::kEnter], 0x80);

    gate.arm();
    keys[vk::kEnter] = 0x80;
    gate.filter(keys);
    EXPECT_EQ(keys[vk::kEnter], 0);
    // Still held, with another key pressed after the dialog: only the new one gets through.
    keys[vk::kEnter] = 0x80;
    keys['A'] = 0x80;
    gate.filter(keys);
    EXPECT_EQ(keys[vk::kEnter], 0);
    EXPECT_EQ(keys['A'], 0x80);
    EXPECT_TRUE(gate.holding());
    // Released once, it is the program's again.
    keys = {};
    gate.filter(keys);
    EXPECT_FALSE(gate.holding());
    keys[vk::kEnter] = 0x80;
    gate.filter(keys);
    EXPECT_EQ(keys[vk::kEnter], 0x80);
}

}  // namespace
}  // namespace corvane::test
