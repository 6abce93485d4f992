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

// The fused runs grouped by their first opcode, each group longest first (and in list order
// among runs of one length), so that the first run of its group that matches is the one to take.
struct RunsByFirstOpcode {
    std::array<uint16_t, 257> start{};  // group of opcode k: order[start[k]] .. order[start[k+1]]
    std::array<uint16_t, kFusedRunCount> order{};
};

constexpr RunsByFirstOpcode groupRuns() {
    RunsByFirstOpcode g;
    for (size_t k = 0; k < kFusedRunCount; ++k) ++g.start[size_t(kFusedRuns[k].ops[0]) + 1];
    for (size_t op = 0; op < 256; ++op) g.start[op + 1] = uint16_t(g.start[op + 1] + g.start[op]);
    std::array<uint16_t, 256> next{};
    for (size_t op = 0; op < 256; ++op) next[op] = g.start[op];
    for (size_t k = 0; k < kFusedRunCount; ++k) g.order[next[kFusedRuns[k].ops[0]]++] = uint16_t(k);
    // Within a group, a stable insertion sort by length, longest first.
    for (size_t op = 0; op < 256; ++op) {
        for (size_t i = size_t(g.start[op]) + 1; i < g.start[op + 1]; ++i) {
            const uint16_t k = g.order[i];
            size_t j = i;
            for (; j > g.start[op] && kFusedRuns[g.order[j - 1]].count < kFusedRuns[k].count; --j)
                g.order[j] = g.order[j - 1];
            g.order[j] = k;
        }
    }
    return g;
}

constexpr RunsByFirstOpcode kRunsByFirstOpcode = groupRuns();

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

// The longest run that starts here wins (the first listed among equally long ones); otherwise
// the instruction alone. Only the runs that begin with this opcode are tried: decoding happens
// again after every reset, so it is part of what a restarted program pays.
uint16_t decodeAt(const uint8_t* image, uint32_t imageSize, uint32_t pc) {
    const uint8_t opcode = image[pc];
    if (pc + fixedLength(opcode) > imageSize) return kKindOutsideImage;
    const RunsByFirstOpcode& g = kRunsByFirstOpcode;
    for (size_t i = g.start[opcode]; i < g.start[size_t(opcode) + 1]; ++i) {
        const uint16_t k = g.order[i];
        if (runsAt(kFusedRuns[k], image, imageSize, pc)) return uint16_t(kKindFirstFused + k);
    }
    return uint16_t(kKindFirstPlain + opcode);
}

}  // namespace corvane
