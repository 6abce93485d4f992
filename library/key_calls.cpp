// The keyboard calls: getchar and GetWord (wait for a key), Inkey (take a pending key),
// PutKey (make a key pending), CheckKey (is a key held down) and ReleaseKey (forget a key).
// The key register holds the pending key: bit 7 set while it is unread, bits 0-6 its code.

#include "library/keycodes.h"
#include "vm/machine.h"
#include "vm/syscalls.h"

namespace corvane {

namespace {

constexpr uint8_t kKeyPending = 0x80;
constexpr uint8_t kKeyDown = 0x80;

// The key arrives later: each step then only looks at the key register and pushes the code
// when one is pending, so the run of instructions stops here.
void waitForKey(Machine& m) {
    m.waitForKey = 1;
    m.stopRun = true;
}

}  // namespace

void sys_getchar(Machine& m) {
    waitForKey(m);
}

// GetWord(ignored): as getchar.
void sys_GetWord(Machine& m) {
    m.pop();
    waitForKey(m);
}

// Inkey(): the pending key's code, consuming it, or 0 when none is pending.
void sys_Inkey(Machine& m) {
    m.regA = 0;
    if (m.keyRegister & kKeyPending) {
        m.keyRegister &= uint8_t(~kKeyPending);
        m.regA = m.keyRegister;
    }
    m.push(m.regA);
}

// PutKey(value): the remainder of the value divided by 255 (sign of the value) becomes the
// pending key, replacing any pending one.
void sys_PutKey(Machine& m) {
    const int32_t v = int32_t(m.pop());
    m.keyRegister = uint8_t(uint8_t(v % 255) | kKeyPending);
}

// CheckKey(key): for a device key code, -1 while its host key is down, else 0; for 0x80 and
// above, the code of the held key with the lowest host key number, or 0.
void sys_CheckKey(Machine& m) {
    const uint8_t k = uint8_t(m.pop());
    m.regA = 0;
    if (k < 0x80) {
        const uint8_t hostKey = codeToHostKey(k);
        if (hostKey != 0 && (m.hostKeys[hostKey] & kKeyDown)) m.regA = 0xFFFFFFFFu;
    } else {
        for (int hostKey = 0; hostKey < 256; ++hostKey) {
            if (!(m.hostKeys[hostKey] & kKeyDown)) continue;
            const uint8_t code = hostKeyToCode(uint8_t(hostKey));
            if (code != 0) {
                m.regA = code;
                break;
            }
        }
    }
    m.push(m.regA);
}

// ReleaseKey(key): marks the key's host key as up and drops it if it is the pending key; 0x80
// and above releases every key and empties the key register. A key still held is then seen as
// newly pressed by the next keyboard scan.
void sys_ReleaseKey(Machine& m) {
    const uint8_t k = uint8_t(m.pop());
    if (k < 0x80) {
        const uint8_t hostKey = codeToHostKey(k);
        if (hostKey == 0) return;
        m.hostKeys[hostKey] &= uint8_t(~kKeyDown);
        if (m.keyRegister == (k | kKeyPending)) m.keyRegister = k;
    } else {
        m.keyRegister = 0;
        for (uint8_t& state : m.hostKeys) state &= uint8_t(~kKeyDown);
    }
}

}  // namespace corvane
