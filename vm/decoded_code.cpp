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

// Whether `run` starts at pc and lies inside the image.
bool runsAt(const FusedRun& run, const uint8_t* image, uint32_t imageSize, uint32_t pc) {
    for (uint32_t i = 0; i < run.count; ++i) {
        if (pc >= imageSize || image[pc] != run.ops[i]) return false;
        pc += fixedLength(image[pc]);
        if (pc > imageSize) return false;
    }
    return true;
}

// The fused runs by their first opcode, each opcode's longest first (the earliest in the list
// among runs of one length): the first of them that lies at an offset is the one it decodes to.
// Built once when compiled, so decoding an offset tries only the runs that can start there.
struct RunsByFirst {
    std::array<uint16_t, 257> begin{};  // runs starting with opcode o: order[begin[o]..begin[o+1])
    std::array<uint16_t, kFusedRunCount> order{};
};

constexpr RunsByFirst runsByFirst() {
    RunsByFirst t;
    std::array<uint16_t, 257> next{};
    for (size_t k = 0; k < kFusedRunCount; ++k) ++next[kFusedRuns[k].ops[0] + 1u];
    for (size_t o = 0; o < 256; ++o) next[o + 1] += next[o];
    t.begin = next;
    for (int length = int(kLongestFused); length >= 2; --length) {
        for (size_t k = 0; k < kFusedRunCount; ++k) {
            if (kFusedRuns[k].count == length) t.order[next[kFusedRuns[k].ops[0]]++] = uint16_t(k);
        }
    }
    return t;
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
    for (uint16_t i = kRunsByFirst.begin[opcode]; i < kRunsByFirst.begin[opcode + 1]; ++i) {
        const uint16_t k = kRunsByFirst.order[i];
        if (runsAt(kFusedRuns[k], image, imageSize, pc)) return uint16_t(kKindFirstFused + k);
    }
    return uint16_t(kKindFirstPlain + opcode);
}

}  // namespace corvane
