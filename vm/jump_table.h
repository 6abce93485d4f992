#pragma once
// The threaded run loop's labels and jump tables (GNU C "labels as values"): one label per kind
// of code offset, and the body behind each label, which ends with its own jump to the next kind
// (that predicts far better than one shared jump); and the same bodies as the cases of the
// portable loop's switch, for compilers without computed goto. Used by executeBatch alone: the
// bodies use its names (s, code, imageSize, kinds, kind, executed, budget, the tables kPlain and
// kTargets, and the labels dispatch, undecoded, outside and done).

#include <cstddef>

// clang-format off

// The label of every plain kind, in opcode order: 256 of them, invalid opcodes included.
#define CORVANE_PLAIN(n) &&plain_##n,
#define CORVANE_PLAIN16(h)                                                             \
    CORVANE_PLAIN(h##0) CORVANE_PLAIN(h##1) CORVANE_PLAIN(h##2) CORVANE_PLAIN(h##3)     \
    CORVANE_PLAIN(h##4) CORVANE_PLAIN(h##5) CORVANE_PLAIN(h##6) CORVANE_PLAIN(h##7)     \
    CORVANE_PLAIN(h##8) CORVANE_PLAIN(h##9) CORVANE_PLAIN(h##A) CORVANE_PLAIN(h##B)     \
    CORVANE_PLAIN(h##C) CORVANE_PLAIN(h##D) CORVANE_PLAIN(h##E) CORVANE_PLAIN(h##F)
#define CORVANE_PLAIN_LABELS                                                           \
    CORVANE_PLAIN16(0x0) CORVANE_PLAIN16(0x1) CORVANE_PLAIN16(0x2) CORVANE_PLAIN16(0x3) \
    CORVANE_PLAIN16(0x4) CORVANE_PLAIN16(0x5) CORVANE_PLAIN16(0x6) CORVANE_PLAIN16(0x7) \
    CORVANE_PLAIN16(0x8) CORVANE_PLAIN16(0x9) CORVANE_PLAIN16(0xA) CORVANE_PLAIN16(0xB) \
    CORVANE_PLAIN16(0xC) CORVANE_PLAIN16(0xD) CORVANE_PLAIN16(0xE) CORVANE_PLAIN16(0xF)

// The label of every fused kind: kFusedLabels of them, more than there are fused runs; the
// labels past the last run are never reached.
#define CORVANE_FUSED(g, j) &&fused_##g##_##j,
#define CORVANE_FUSED8(g)                                                              \
    CORVANE_FUSED(g, 0) CORVANE_FUSED(g, 1) CORVANE_FUSED(g, 2) CORVANE_FUSED(g, 3)     \
    CORVANE_FUSED(g, 4) CORVANE_FUSED(g, 5) CORVANE_FUSED(g, 6) CORVANE_FUSED(g, 7)
#define CORVANE_FUSED_LABELS                                                           \
    CORVANE_FUSED8(0) CORVANE_FUSED8(1) CORVANE_FUSED8(2) CORVANE_FUSED8(3)             \
    CORVANE_FUSED8(4) CORVANE_FUSED8(5) CORVANE_FUSED8(6) CORVANE_FUSED8(7)             \
    CORVANE_FUSED8(8) CORVANE_FUSED8(9) CORVANE_FUSED8(10) CORVANE_FUSED8(11)           \
    CORVANE_FUSED8(12) CORVANE_FUSED8(13) CORVANE_FUSED8(14) CORVANE_FUSED8(15)

// The jump to the label of the kind at pc.
#define CORVANE_GOTO_KIND() goto *kTargets[kinds[s.pc]]

// The same jump after the checks every instruction needs: budget, then image.
#define CORVANE_DISPATCH()                                              \
    do {                                                                \
        if (executed >= budget) goto done;                              \
        if (s.pc >= imageSize) [[unlikely]] goto outside;               \
        CORVANE_GOTO_KIND();                                            \
    } while (false)

// One instruction through its handler, called with a constant index so that it is inlined.
#define CORVANE_PLAIN_BODY(n)                   \
    plain_##n: ++s.pc;                          \
    kRunHandlers[n](s);                         \
    ++executed;                                 \
    if (s.stop) [[unlikely]] goto done;         \
    CORVANE_DISPATCH();
#define CORVANE_PLAIN_BODY16(h)                                                                \
    CORVANE_PLAIN_BODY(h##0) CORVANE_PLAIN_BODY(h##1) CORVANE_PLAIN_BODY(h##2)                  \
    CORVANE_PLAIN_BODY(h##3) CORVANE_PLAIN_BODY(h##4) CORVANE_PLAIN_BODY(h##5)                  \
    CORVANE_PLAIN_BODY(h##6) CORVANE_PLAIN_BODY(h##7) CORVANE_PLAIN_BODY(h##8)                  \
    CORVANE_PLAIN_BODY(h##9) CORVANE_PLAIN_BODY(h##A) CORVANE_PLAIN_BODY(h##B)                  \
    CORVANE_PLAIN_BODY(h##C) CORVANE_PLAIN_BODY(h##D) CORVANE_PLAIN_BODY(h##E)                  \
    CORVANE_PLAIN_BODY(h##F)
#define CORVANE_PLAIN_BODIES                                                                   \
    CORVANE_PLAIN_BODY16(0x0) CORVANE_PLAIN_BODY16(0x1) CORVANE_PLAIN_BODY16(0x2)               \
    CORVANE_PLAIN_BODY16(0x3) CORVANE_PLAIN_BODY16(0x4) CORVANE_PLAIN_BODY16(0x5)               \
    CORVANE_PLAIN_BODY16(0x6) CORVANE_PLAIN_BODY16(0x7) CORVANE_PLAIN_BODY16(0x8)               \
    CORVANE_PLAIN_BODY16(0x9) CORVANE_PLAIN_BODY16(0xA) CORVANE_PLAIN_BODY16(0xB)               \
    CORVANE_PLAIN_BODY16(0xC) CORVANE_PLAIN_BODY16(0xD) CORVANE_PLAIN_BODY16(0xE)               \
    CORVANE_PLAIN_BODY16(0xF)

// A fused run, when the budget left covers it whole; else its first instruction alone. A run
// that ends with a jump back to its own start (a whole loop) runs again at once while the
// budget covers it, without the dispatch.
#define CORVANE_FUSED_BODY(g, j)                                                 \
    fused_##g##_##j:                                                             \
    if constexpr (8 * (g) + (j) < kFusedRunCount) {                              \
        constexpr size_t k = 8 * (g) + (j) < kFusedRunCount ? 8 * (g) + (j) : 0; \
        if (budget - executed < kFusedRuns[k].count) goto *kPlain[code[s.pc]];   \
        const uint32_t start = s.pc;                                             \
        const FusedCode<k> runCode(code + start);                                \
        do {                                                                     \
            runFused<k>(s, runCode);                                             \
            executed += kFusedRuns[k].count;                                     \
        } while (kFusedRuns[k].endsInJump() && s.pc == start &&                   \
                 budget - executed >= kFusedRuns[k].count);                      \
        CORVANE_DISPATCH();                                                      \
    } else {                                                                     \
        goto outside;                                                            \
    }
#define CORVANE_FUSED_BODY8(g)                                                   \
    CORVANE_FUSED_BODY(g, 0) CORVANE_FUSED_BODY(g, 1) CORVANE_FUSED_BODY(g, 2)    \
    CORVANE_FUSED_BODY(g, 3) CORVANE_FUSED_BODY(g, 4) CORVANE_FUSED_BODY(g, 5)    \
    CORVANE_FUSED_BODY(g, 6) CORVANE_FUSED_BODY(g, 7)
#define CORVANE_FUSED_BODIES                                                     \
    CORVANE_FUSED_BODY8(0) CORVANE_FUSED_BODY8(1) CORVANE_FUSED_BODY8(2)          \
    CORVANE_FUSED_BODY8(3) CORVANE_FUSED_BODY8(4) CORVANE_FUSED_BODY8(5)          \
    CORVANE_FUSED_BODY8(6) CORVANE_FUSED_BODY8(7) CORVANE_FUSED_BODY8(8)          \
    CORVANE_FUSED_BODY8(9) CORVANE_FUSED_BODY8(10) CORVANE_FUSED_BODY8(11)        \
    CORVANE_FUSED_BODY8(12) CORVANE_FUSED_BODY8(13) CORVANE_FUSED_BODY8(14)        \
    CORVANE_FUSED_BODY8(15)

// The portable loop's cases: the same bodies as cases of one switch over the kinds, ending
// with a break back to the loop's checks.
#define CORVANE_SWITCH_PLAIN(n)                 \
    case kKindFirstPlain + (n):                 \
        ++s.pc;                                 \
        kRunHandlers[n](s);                     \
        ++executed;                             \
        if (s.stop) [[unlikely]] goto done;     \
        break;
#define CORVANE_SWITCH_PLAIN16(h)                                                              \
    CORVANE_SWITCH_PLAIN(h##0) CORVANE_SWITCH_PLAIN(h##1) CORVANE_SWITCH_PLAIN(h##2)            \
    CORVANE_SWITCH_PLAIN(h##3) CORVANE_SWITCH_PLAIN(h##4) CORVANE_SWITCH_PLAIN(h##5)            \
    CORVANE_SWITCH_PLAIN(h##6) CORVANE_SWITCH_PLAIN(h##7) CORVANE_SWITCH_PLAIN(h##8)            \
    CORVANE_SWITCH_PLAIN(h##9) CORVANE_SWITCH_PLAIN(h##A) CORVANE_SWITCH_PLAIN(h##B)            \
    CORVANE_SWITCH_PLAIN(h##C) CORVANE_SWITCH_PLAIN(h##D) CORVANE_SWITCH_PLAIN(h##E)            \
    CORVANE_SWITCH_PLAIN(h##F)
#define CORVANE_SWITCH_PLAIN_CASES                                                             \
    CORVANE_SWITCH_PLAIN16(0x0) CORVANE_SWITCH_PLAIN16(0x1) CORVANE_SWITCH_PLAIN16(0x2)         \
    CORVANE_SWITCH_PLAIN16(0x3) CORVANE_SWITCH_PLAIN16(0x4) CORVANE_SWITCH_PLAIN16(0x5)         \
    CORVANE_SWITCH_PLAIN16(0x6) CORVANE_SWITCH_PLAIN16(0x7) CORVANE_SWITCH_PLAIN16(0x8)         \
    CORVANE_SWITCH_PLAIN16(0x9) CORVANE_SWITCH_PLAIN16(0xA) CORVANE_SWITCH_PLAIN16(0xB)         \
    CORVANE_SWITCH_PLAIN16(0xC) CORVANE_SWITCH_PLAIN16(0xD) CORVANE_SWITCH_PLAIN16(0xE)         \
    CORVANE_SWITCH_PLAIN16(0xF)

// A fused run's case; when the budget left does not cover it, its first instruction's case.
#define CORVANE_SWITCH_FUSED(g, j)                                                   \
    case kKindFirstFused + 8 * (g) + (j):                                            \
        if constexpr (8 * (g) + (j) < kFusedRunCount) {                              \
            constexpr size_t k = 8 * (g) + (j) < kFusedRunCount ? 8 * (g) + (j) : 0; \
            if (budget - executed < kFusedRuns[k].count) {                           \
                kind = uint16_t(kKindFirstPlain + code[s.pc]);                       \
                goto dispatch;                                                       \
            }                                                                        \
            const uint32_t start = s.pc;                                             \
            const FusedCode<k> runCode(code + start);                                \
            do {                                                                     \
                runFused<k>(s, runCode);                                             \
                executed += kFusedRuns[k].count;                                     \
            } while (kFusedRuns[k].endsInJump() && s.pc == start &&                  \
                     budget - executed >= kFusedRuns[k].count);                      \
            break;                                                                   \
        } else {                                                                     \
            goto outside;                                                            \
        }
#define CORVANE_SWITCH_FUSED8(g)                                                     \
    CORVANE_SWITCH_FUSED(g, 0) CORVANE_SWITCH_FUSED(g, 1) CORVANE_SWITCH_FUSED(g, 2)  \
    CORVANE_SWITCH_FUSED(g, 3) CORVANE_SWITCH_FUSED(g, 4) CORVANE_SWITCH_FUSED(g, 5)  \
    CORVANE_SWITCH_FUSED(g, 6) CORVANE_SWITCH_FUSED(g, 7)
#define CORVANE_SWITCH_FUSED_CASES                                                   \
    CORVANE_SWITCH_FUSED8(0) CORVANE_SWITCH_FUSED8(1) CORVANE_SWITCH_FUSED8(2)        \
    CORVANE_SWITCH_FUSED8(3) CORVANE_SWITCH_FUSED8(4) CORVANE_SWITCH_FUSED8(5)        \
    CORVANE_SWITCH_FUSED8(6) CORVANE_SWITCH_FUSED8(7) CORVANE_SWITCH_FUSED8(8)        \
    CORVANE_SWITCH_FUSED8(9) CORVANE_SWITCH_FUSED8(10) CORVANE_SWITCH_FUSED8(11)      \
    CORVANE_SWITCH_FUSED8(12) CORVANE_SWITCH_FUSED8(13) CORVANE_SWITCH_FUSED8(14)     \
    CORVANE_SWITCH_FUSED8(15)

// clang-format on

namespace corvane {

// Fused labels CORVANE_FUSED_LABELS lays out (16 groups of 8).
constexpr size_t kFusedLabels = 128;

}  // namespace corvane
