// The run loop's lazy translation of the program image into kinds of code offset.

#include "vm/decoded_code.h"

#include <algorithm>
#include <array>

#include "vm/fused.h"
#include "vm/image.h"
#include "vm/machine.h"
#include "vm/opcodes.h"

namespace corvane {
namespace {

uint32_t fixedLength(uint8_t opcode) {
    return 1 + uint32_t(operandBytes(opInfo(opcode).operands));
}

// The 24-bit code address that is the operand of the instruction at pc.
uint32_t codeOperand(const uint8_t* image, uint32_t pc) {
    return image[pc + 1] | (uint32_t(image[pc + 2]) << 8) | (uint32_t(image[pc + 3]) << 16);
}

// Whether `run` starts at pc and each of its instructions lies inside the program's code, found
// where the one before leads: the next in line, or for a run that follows control, the callee of
// a CALL, the instruction after the run's own CALL for a RET, the fall-through of a JZ or JNZ.
bool runsAt(const FusedRun& run, const uint8_t* image, uint32_t imageSize, uint32_t pc) {
    std::array<uint32_t, kFollowedCalls> returns{};
    int open = 0;
    for (int i = 0; i < run.count; ++i) {
        if (pc < kImageHeaderSize || pc >= imageSize || image[pc] != run.ops[i]) return false;
        const uint32_t next = pc + fixedLength(image[pc]);
        if (next > imageSize) return false;
        const bool inside = i + 1 < run.count;
        if (inside && run.ops[i] == op::CALL) {
            returns[open++] = next;
            pc = codeOperand(image, pc);
        } else if (inside && run.ops[i] == op::RET) {
            pc = returns[--open];
        } else {
            pc = next;
        }
    }
    return true;
}

// The fused runs by their first opcode, each opcode's in the list's order: a decode tries only
// the runs that can start where it is.
struct RunsByFirst {
    std::array<uint16_t, 257>
        from{};  // runs starting with opcode o: at[from[o]] to at[from[o + 1]]
    std::array<uint16_t, kFusedRunCount> at{};
};

constexpr RunsByFirst runsByFirst() {
    RunsByFirst r;
    uint16_t n = 0;
    for (int o = 0; o < 256; ++o) {
        r.from[o] = n;
        for (size_t k = 0; k < kFusedRunCount; ++k) {
            if (kFusedRuns[k].ops[0] == o) r.at[n++] = uint16_t(k);
        }
    }
    r.from[256] = n;
    return r;
}
constexpr RunsByFirst kRunsByFirst = runsByFirst();

}  // namespace

void prepareDecoded(Machine& m) {
    DecodedCode& d = m.decoded;
    if (d.valid && d.size == m.imageSize) return;
    if (d.capacity < m.imageSize) {
        d.kinds.reset(new uint16_t[m.imageSize]());
        d.capacity = m.imageSize;
    } else if (m.imageSize > 0) {
        std::fill_n(d.kinds.get(), m.imageSize, kKindUndecoded);
    }
    // The header is no code: execution that reaches it is outside the program.
    std::fill_n(d.kinds.get(), std::min(m.imageSize, kImageHeaderSize), kKindOutsideImage);
    d.size = m.imageSize;
    d.valid = true;
}

// The longest run that starts here wins; otherwise the instruction alone.
uint16_t decodeAt(const uint8_t* image, uint32_t imageSize, uint32_t pc) {
    const uint8_t opcode = image[pc];
    if (pc + fixedLength(opcode) > imageSize) return kKindOutsideImage;
    size_t best = kFusedRunCount;
    for (size_t i = kRunsByFirst.from[opcode]; i < kRunsByFirst.from[opcode + 1]; ++i) {
        const size_t k = kRunsByFirst.at[i];
        if (best != kFusedRunCount && kFusedRuns[k].count <= kFusedRuns[best].count) continue;
        if (runsAt(kFusedRuns[k], image, imageSize, pc)) best = k;
    }
    if (best != kFusedRunCount) return uint16_t(kKindFirstFused + best);
    return uint16_t(kKindFirstPlain + opcode);
}

}  // namespace corvane
