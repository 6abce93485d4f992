// Terminal bytes to the host's keys, and keys held without release reports.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/platform/tty/keys.h"
#include "host/virtual_keys.h"

namespace corvane {
namespace {

using Kind = TerminalKey::Kind;

TerminalKey key(uint8_t vk) {
    return {Kind::Key, vk};
}

struct DecodeCase {
    const char* name;
    std::string bytes;
    std::vector<TerminalKey> keys;
};

TEST(TerminalKeys, BytesAndSequencesOfTheCommonTerminals) {
    const TerminalKey quit{Kind::Quit, 0};
    const std::vector<DecodeCase> cases = {
        {"letters either case, digits", "aZ09", {key('A'), key('Z'), key('0'), key('9')}},
        {"enter as CR or LF, space", "\r\n ", {key(vk::kEnter), key(vk::kEnter), key(vk::kSpace)}},
        {"xterm arrows",
         "\x1b[A\x1b[B\x1b[C\x1b[D",
         {key(vk::kUp), key(vk::kDown), key(vk::kRight), key(vk::kLeft)}},
        {"application-mode arrows", "\x1bOA\x1bOD", {key(vk::kUp), key(vk::kLeft)}},
        {"arrows with a modifier", "\x1b[1;2A\x1b[1;5C", {key(vk::kUp), key(vk::kRight)}},
        {"F1-F4 as SS3",
         "\x1bOP\x1bOQ\x1bOR\x1bOS",
         {key(vk::kF1), key(0x71), key(0x72), key(0x73)}},
        {"F5 and F6 as CSI ~", "\x1b[15~\x1b[17~", {key(0x74), key(0x75)}},
        {"F1 as CSI 11 ~", "\x1b[11~", {key(vk::kF1)}},
        {"the Linux console's F1 and F5", "\x1b[[A\x1b[[E", {key(vk::kF1), key(0x74)}},
        {"F8 restarts as on the desktop", "\x1b[19~", {key(vk::kF8)}},
        {"page keys and delete",
         "\x1b[5~\x1b[6~\x1b[3~",
         {key(vk::kPageUp), key(vk::kPageDown), key(vk::kDelete)}},
        {"Esc followed by Esc: one Esc now", "\x1b\x1b[A", {key(vk::kEscape), key(vk::kUp)}},
        {"Alt with a letter is the letter", "\x1bx", {key('X')}},
        {"Ctrl+C and Ctrl+Q end the run", "\x03\x11", {quit, quit}},
        {"unknown sequences and control bytes give nothing", "\x1b[200~\x01\x1b[?1u", {}},
        {"a sequence cut in two waits for its end", "\x1b[", {}},
    };
    for (const DecodeCase& c : cases) {
        KeyDecoder decoder;
        EXPECT_EQ(decoder.feed(c.bytes, 0), c.keys) << c.name;
    }
}

TEST(TerminalKeys, ALoneEscIsTheEscKeyOnlyWhenNothingFollowsSoon) {
    KeyDecoder decoder;
    EXPECT_TRUE(decoder.feed("\x1b", 1000).empty());
    EXPECT_EQ(decoder.deadline(), 1000 + kEscapeWaitNs);
    EXPECT_TRUE(decoder.flush(1000 + kEscapeWaitNs - 1).empty());
    // The rest of an arrow's sequence arrives in time: the arrow, no Esc.
    EXPECT_EQ(decoder.feed("[B", 2000), std::vector<TerminalKey>{key(vk::kDown)});
    EXPECT_TRUE(decoder.flush(1000 + kEscapeWaitNs).empty());

    EXPECT_TRUE(decoder.feed("\x1b", 5000).empty());
    EXPECT_EQ(decoder.flush(5000 + kEscapeWaitNs), std::vector<TerminalKey>{key(vk::kEscape)});
    EXPECT_EQ(decoder.deadline(), 0u);
    // A sequence that never completes is dropped, not taken for keys.
    EXPECT_TRUE(decoder.feed("\x1b[1;", 9000).empty());
    EXPECT_TRUE(decoder.flush(9000 + kEscapeWaitNs).empty());
    EXPECT_EQ(decoder.feed("a", 9000 + kEscapeWaitNs), std::vector<TerminalKey>{key('A')});
}

TEST(TerminalKeys, AKeyIsHeldUntilItsRepeatsStop) {
    HeldKeys held;
    EXPECT_TRUE(held.press('A', 0));
    EXPECT_TRUE(held.press(vk::kUp, 50'000'000));
    EXPECT_EQ(held.deadline(), kReleaseAfterNs);
    // Auto-repeats keep it down without a new press.
    EXPECT_FALSE(held.press('A', 100'000'000));
    EXPECT_TRUE(held.expire(kReleaseAfterNs).empty());
    EXPECT_EQ(held.expire(50'000'000 + kReleaseAfterNs), std::vector<uint8_t>{vk::kUp});
    EXPECT_TRUE(held.held('A'));
    EXPECT_EQ(held.expire(100'000'000 + kReleaseAfterNs), std::vector<uint8_t>{'A'});
    EXPECT_FALSE(held.held('A'));
    EXPECT_EQ(held.deadline(), 0u);
    EXPECT_TRUE(held.press('A', 1'000'000'000));  // a new press after the release
}

}  // namespace
}  // namespace corvane
