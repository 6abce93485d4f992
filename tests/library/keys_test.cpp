// Keyboard calls and the key-code mappings: the pending key in the key register, the host
// key-state table that CheckKey reads and ReleaseKey clears, and the two mapping directions.

#include "lib_helpers.h"
#include "library/keycodes.h"
#include "vm/syscalls.h"

namespace corvane::test {
namespace {

constexpr uint32_t kTrue = 0xFFFFFFFFu;

TEST(KeyCodes, EveryHostKeyWithACodeMapsBackToItselfExceptTheDigitKeys) {
    int mapped = 0;
    for (int hostKey = 0; hostKey < 256; ++hostKey) {
        const uint8_t code = hostKeyToCode(uint8_t(hostKey));
        if (code == 0) continue;
        ++mapped;
        EXPECT_LT(code, 0x80) << hostKey;
        // Digit keys 1-9 stand in for letters; CheckKey tests the letter key for those codes.
        const bool digit = hostKey >= '1' && hostKey <= '9';
        EXPECT_EQ(codeToHostKey(code), digit ? (code & ~0x20) : hostKey) << hostKey;
    }
    // 26 letters, 9 digits, 0, full stop, space, enter, esc, 4 arrows, 2 pages, shift, F1-F6.
    EXPECT_EQ(mapped, 26 + 9 + 1 + 1 + 3 + 4 + 2 + 1 + 6);
}

TEST(KeyCodes, TableRows) {
    struct Row {
        uint8_t code, hostKey;
    };
    const Row rows[] = {
        {'a', 'A'},   {'z', 'Z'},   {0x30, 0x30}, {0x2E, 0xBE}, {0x20, 0x20}, {0x0D, 0x0D},
        {0x1B, 0x1B}, {0x14, 0x26}, {0x15, 0x28}, {0x16, 0x27}, {0x17, 0x25}, {0x13, 0x21},
        {0x0E, 0x22}, {0x1A, 0x10}, {0x1C, 0x70}, {0x1F, 0x73}, {0x19, 0x74}, {0x12, 0x75},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(codeToHostKey(r.code), r.hostKey) << int(r.code);
        EXPECT_EQ(hostKeyToCode(r.hostKey), r.code) << int(r.hostKey);
    }
    const uint8_t digitLetters[] = {'b', 'n', 'm', 'g', 'h', 'j', 't', 'y', 'u'};
    for (int d = 1; d <= 9; ++d) {
        EXPECT_EQ(hostKeyToCode(uint8_t('0' + d)), digitLetters[d - 1]);
        EXPECT_EQ(scanKeyToCode(uint8_t('0' + d)), digitLetters[d - 1]);
        EXPECT_EQ(codeToHostKey(uint8_t('0' + d)), 0) << "digit codes have no host key";
    }
    for (uint8_t none : {0x00, 0x41, 0x5A, 0x7F, 0x80, 0xE1, 0xFF, 0x11, 0x18}) {
        EXPECT_EQ(codeToHostKey(none), 0) << int(none);
    }
}

TEST(KeyCodes, TheScanDiffersOnlyInTheFullStopRow) {
    for (int hostKey = 0; hostKey < 256; ++hostKey) {
        const uint8_t k = uint8_t(hostKey);
        if (k == 0x2E) {
            EXPECT_EQ(scanKeyToCode(k), 0x2E);
            EXPECT_EQ(hostKeyToCode(k), 0);
        } else if (k == 0xBE) {
            EXPECT_EQ(scanKeyToCode(k), 0);
            EXPECT_EQ(hostKeyToCode(k), 0x2E);
        } else {
            EXPECT_EQ(scanKeyToCode(k), hostKeyToCode(k)) << hostKey;
        }
    }
}

TEST(KeyCalls, InkeyConsumesThePendingKey) {
    LibMachine lm;
    lm.m.keyRegister = 0x80 | 'q';
    EXPECT_EQ(lm.result(sys_Inkey, {}), uint32_t('q'));
    EXPECT_EQ(lm.m.keyRegister, 'q');
    EXPECT_EQ(lm.result(sys_Inkey, {}), 0u);
    EXPECT_EQ(lm.m.keyRegister, 'q');
}

TEST(KeyCalls, PutKeyTakesTheRemainderBy255) {
    struct Case {
        int32_t value;
        uint8_t delivered;
    };
    const Case cases[] = {{65, 65},   {255, 0},  {-1, 0x7F},       {200, 72}, {0, 0},
                          {510, 0},   {-255, 0}, {-254, 0x02},     {300, 45}, {INT32_MIN, 0},
                          {127, 127}, {128, 0},  {INT32_MAX, 127}, {-128, 0}};
    for (const Case& c : cases) {
        LibMachine lm;
        lm.m.keyRegister = 0x80 | 'x';  // overwritten
        lm.call(sys_PutKey, {uint32_t(c.value)});
        EXPECT_TRUE(lm.m.keyRegister & 0x80) << c.value;
        EXPECT_EQ(lm.result(sys_Inkey, {}), c.delivered) << c.value;
    }
}

TEST(KeyCalls, GetcharAndGetWordWaitForAKeyAndStopTheRun) {
    LibMachine lm;
    lm.call(sys_getchar, {});
    EXPECT_EQ(lm.m.waitForKey, 1);
    EXPECT_TRUE(lm.m.stopRun);

    LibMachine lm2;
    lm2.call(sys_GetWord, {1234});  // its argument is removed and ignored
    EXPECT_EQ(lm2.m.waitForKey, 1);
    EXPECT_TRUE(lm2.m.stopRun);
}

TEST(KeyCalls, CheckKeyTestsTheMappedHostKey) {
    LibMachine lm;
    lm.m.hostKeys[0xBE] = 0x80;
    EXPECT_EQ(lm.result(sys_CheckKey, {0x2E}), kTrue);  // the full-stop key, not Delete
    lm.m.hostKeys[0xBE] = 0x01;                         // only bit 7 means down
    EXPECT_EQ(lm.result(sys_CheckKey, {0x2E}), 0u);
    lm.m.hostKeys[0x2E] = 0x80;
    EXPECT_EQ(lm.result(sys_CheckKey, {0x2E}), 0u);

    lm.m.hostKeys['1'] = 0x80;
    EXPECT_EQ(lm.result(sys_CheckKey, {'1'}), 0u);  // digit codes have no host key
    EXPECT_EQ(lm.result(sys_CheckKey, {'b'}), 0u);  // and the digit key is not the letter key
    lm.m.hostKeys['B'] = 0x80;
    EXPECT_EQ(lm.result(sys_CheckKey, {0x1000 | 'b'}), kTrue);  // low 8 bits only
    lm.m.keyRegister = 0x80 | 'b';
    lm.result(sys_CheckKey, {'b'});
    EXPECT_EQ(lm.m.keyRegister, 0x80 | 'b') << "CheckKey leaves the key register alone";
}

TEST(KeyCalls, CheckKeyForAnyKeyReturnsTheLowestHostKeyWithACode) {
    LibMachine lm;
    EXPECT_EQ(lm.result(sys_CheckKey, {0x80}), 0u);
    lm.m.hostKeys[0x70] = 0x80;  // F1
    lm.m.hostKeys[0x10] = 0x80;  // Shift
    lm.m.hostKeys[0x05] = 0x80;  // a host key without a code comes first but does not count
    EXPECT_EQ(lm.result(sys_CheckKey, {0x80}), 0x1Au);
    EXPECT_EQ(lm.result(sys_CheckKey, {0xFF}), 0x1Au);
    lm.m.hostKeys[0x10] = 0;
    lm.m.hostKeys[0x2E] = 0x80;  // Delete has no code here
    EXPECT_EQ(lm.result(sys_CheckKey, {0x80}), 0x1Cu);
    lm.m.hostKeys[0x31] = 0x80;  // digit 1
    EXPECT_EQ(lm.result(sys_CheckKey, {0x80}), uint32_t('b'));
}

TEST(KeyCalls, ReleaseKeyClearsTheHostKeyAndDropsTheSamePendingKey) {
    LibMachine lm;
    lm.m.hostKeys['A'] = 0x81;
    lm.m.keyRegister = 0x80 | 'a';
    lm.call(sys_ReleaseKey, {'a'});
    EXPECT_EQ(lm.m.hostKeys['A'], 0x01);
    EXPECT_EQ(lm.m.keyRegister, 'a');

    lm.m.hostKeys['A'] = 0x80;
    lm.m.keyRegister = 0x80 | 'b';  // another key is pending: it stays
    lm.call(sys_ReleaseKey, {'a'});
    EXPECT_EQ(lm.m.hostKeys['A'], 0);
    EXPECT_EQ(lm.m.keyRegister, 0x80 | 'b');

    lm.m.keyRegister = 0x80 | '1';  // a code without a host key: nothing at all happens
    lm.call(sys_ReleaseKey, {'1'});
    EXPECT_EQ(lm.m.keyRegister, 0x80 | '1');
}

// Releasing one key must leave the others held: a program that waits for one key to be let go
// still sees the rest of a chord.
TEST(KeyCalls, ReleaseKeyOfOneKeyLeavesTheOtherHeldKeysDown) {
    LibMachine lm;
    lm.m.hostKeys['A'] = 0x80;
    lm.m.hostKeys['B'] = 0x80;
    lm.m.hostKeys[0x70] = 0x80;  // F1
    lm.m.keyRegister = 0x80 | 'b';
    lm.call(sys_ReleaseKey, {'a'});
    EXPECT_EQ(lm.result(sys_CheckKey, {'a'}), 0u);
    EXPECT_EQ(lm.result(sys_CheckKey, {'b'}), kTrue);
    EXPECT_EQ(lm.result(sys_CheckKey, {0x1C}), kTrue);  // F1
    EXPECT_EQ(lm.result(sys_CheckKey, {0x80}), uint32_t('b')) << "B is now the lowest held key";
    EXPECT_EQ(lm.m.keyRegister, 0x80 | 'b');
}

TEST(KeyCalls, ReleaseAllEmptiesTheKeyRegisterAndEveryHostKey) {
    LibMachine lm;
    for (int i = 0; i < 256; ++i) lm.m.hostKeys[i] = uint8_t(i);
    lm.m.keyRegister = 0x80 | 'q';
    lm.call(sys_ReleaseKey, {0x80});
    EXPECT_EQ(lm.m.keyRegister, 0);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(lm.m.hostKeys[i], uint8_t(i & 0x7F)) << i;
}

}  // namespace
}  // namespace corvane::test
