#pragma once
// The run loop's translation of the program image: for every code offset, what starts there (an
// instruction to run through its handler, a fused run of instructions, an instruction that does
// not fit in the image, or not yet looked at). Filled lazily as execution reaches each offset;
// valid for one image, so loading an image or a reset clears it. It is derived from the image
// alone and is never part of the machine state a program or the host can observe.

#include <cstdint>
#include <memory>

namespace corvane {

// Kinds of code offset, one 16-bit value each.
constexpr uint16_t kKindUndecoded = 0;
constexpr uint16_t kKindOutsideImage = 1;  // the instruction's fixed bytes run past the image
constexpr uint16_t kKindFirstPlain = 2;    // kKindFirstPlain + opcode: one instruction
constexpr uint16_t kKindFirstFused = kKindFirstPlain + 256;  // + index of the fused sequence

struct DecodedCode {
    std::unique_ptr<uint16_t[]> kinds;
    uint32_t capacity = 0;  // entries allocated in `kinds`
    uint32_t size = 0;      // image size the entries were cleared for
    bool valid = false;

    void invalidate() { valid = false; }
};

struct Machine;

// Makes m.decoded ready for the loaded image: cleared when invalid, grown when the image is
// larger than any before it (the only allocation, at the first run after such a load).
void prepareDecoded(Machine& m);

// The kind of the code at `pc` (which is inside the image).
uint16_t decodeAt(const uint8_t* image, uint32_t imageSize, uint32_t pc);

}  // namespace corvane
