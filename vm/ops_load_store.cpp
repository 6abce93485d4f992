// Inline string constants.

#include "vm/ops_load_store.h"
#include "vm/interpreter.h"
#include "vm/machine.h"

namespace corvane {

// Copies the inline string into StringArea (decoding each byte with strKey) and pushes its
// address. StringArea is used as a ring: a copy that ends at or past 0x7300 sends the next
// string back to 0x7000. A string that runs off the end of the image ends the program.
void op_PUSH_STR(Machine& m) {
    const uint32_t start = m.pc - 1;
    m.push(kStringTag + m.strPtr);
    for (;;) {
        if (m.pc >= m.imageSize) {
            fault(m, "PUSH_STR at 0x%06X runs past the end of the program image", start);
            return;
        }
        const uint8_t byte = uint8_t(m.image[m.pc++] ^ m.strKey);
        m.write8(m.strPtr, byte);
        ++m.strPtr;
        if (byte == 0) break;
    }
    if (m.strPtr >= kStringAreaEnd) m.strPtr = kStringArea;
}

}  // namespace corvane
