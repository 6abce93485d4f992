#pragma once
// The run loop's kinds of code offset laid out for its two dispatches: the threaded one (GNU C
// "labels as values": one label per kind, and the body behind each label ends with its own jump
// to the next kind, which predicts far better than one shared jump) and the portable one (one
// switch over the kinds, for compilers without computed goto). Each body is written once, with
// the way it goes on as its arguments; the lists of opcodes and fused runs are written once and
// expanded for labels, threaded bodies and switch cases alike. Used by executeBatch alone: the
// bodies use its names (s, code, left, kind, the table kPlain and the labels
// dispatch, outside and done) and runPlain.

#include <cstddef>

// clang-format off

// X(n) for every opcode value, invalid ones included: 256 of them.
#define CORVANE_EACH_OPCODE16(X, h)                                                     \
    X(h##0) X(h##1) X(h##2) X(h##3) X(h##4) X(h##5) X(h##6) X(h##7)                      \
    X(h##8) X(h##9) X(h##A) X(h##B) X(h##C) X(h##D) X(h##E) X(h##F)
#define CORVANE_EACH_OPCODE(X)                                                          \
    CORVANE_EACH_OPCODE16(X, 0x0) CORVANE_EACH_OPCODE16(X, 0x1) CORVANE_EACH_OPCODE16(X, 0x2) \
    CORVANE_EACH_OPCODE16(X, 0x3) CORVANE_EACH_OPCODE16(X, 0x4) CORVANE_EACH_OPCODE16(X, 0x5) \
    CORVANE_EACH_OPCODE16(X, 0x6) CORVANE_EACH_OPCODE16(X, 0x7) CORVANE_EACH_OPCODE16(X, 0x8) \
    CORVANE_EACH_OPCODE16(X, 0x9) CORVANE_EACH_OPCODE16(X, 0xA) CORVANE_EACH_OPCODE16(X, 0xB) \
    CORVANE_EACH_OPCODE16(X, 0xC) CORVANE_EACH_OPCODE16(X, 0xD) CORVANE_EACH_OPCODE16(X, 0xE) \
    CORVANE_EACH_OPCODE16(X, 0xF)

// X(g, j) for every fused label, run 8 * g + j: kFusedLabels of them, more than there are fused
// runs; the labels past the last run are never reached.
#define CORVANE_EACH_FUSED8(X, g) X(g, 0) X(g, 1) X(g, 2) X(g, 3) X(g, 4) X(g, 5) X(g, 6) X(g, 7)
#define CORVANE_EACH_FUSED(X)                                                           \
    CORVANE_EACH_FUSED8(X, 0) CORVANE_EACH_FUSED8(X, 1) CORVANE_EACH_FUSED8(X, 2)        \
    CORVANE_EACH_FUSED8(X, 3) CORVANE_EACH_FUSED8(X, 4) CORVANE_EACH_FUSED8(X, 5)        \
    CORVANE_EACH_FUSED8(X, 6) CORVANE_EACH_FUSED8(X, 7) CORVANE_EACH_FUSED8(X, 8)        \
    CORVANE_EACH_FUSED8(X, 9) CORVANE_EACH_FUSED8(X, 10) CORVANE_EACH_FUSED8(X, 11)      \
    CORVANE_EACH_FUSED8(X, 12) CORVANE_EACH_FUSED8(X, 13) CORVANE_EACH_FUSED8(X, 14)     \
    CORVANE_EACH_FUSED8(X, 15)

// One instruction through its handler; `next` goes on to the next kind.
#define CORVANE_PLAIN_BODY(n, next)                 \
    if (runPlain<n>(s, left)) [[unlikely]]          \
        goto done;                                  \
    next;

// A fused run, when the budget left covers it whole; else `whenShort` runs its first instruction
// alone. `next` goes on to the next kind.
#define CORVANE_FUSED_BODY(g, j, whenShort, next)                                                \
    if constexpr (8 * (g) + (j) < kFusedRunCount) {                                          \
        constexpr size_t k = 8 * (g) + (j) < kFusedRunCount ? 8 * (g) + (j) : 0;             \
        if (!fused_exec::runFusedAt<k>(s, code, left)) whenShort;                               \
        next;                                                                                \
    } else {                                                                                 \
        goto outside;                                                                        \
    }

// --- threaded dispatch ---
#define CORVANE_PLAIN_LABEL(n) &&plain_##n,
#define CORVANE_FUSED_LABEL(g, j) &&fused_##g##_##j,

// The jump to the label of the kind at pc.
#define CORVANE_GOTO_KIND() goto *kTargets[kinds[s.pc]]

// The same jump after the checks every instruction needs: budget, then image.
#define CORVANE_DISPATCH()                                              \
    do {                                                                \
        if (left == 0) goto done;                                       \
        if (s.pc >= imageSize) [[unlikely]] goto outside;               \
        CORVANE_GOTO_KIND();                                            \
    } while (false)

#define CORVANE_PLAIN_TARGET(n) plain_##n: CORVANE_PLAIN_BODY(n, CORVANE_DISPATCH())
#define CORVANE_FUSED_TARGET(g, j) \
    fused_##g##_##j: CORVANE_FUSED_BODY(g, j, goto *kPlain[code[s.pc]], CORVANE_DISPATCH())

// --- portable dispatch: cases that end with a break back to the loop's checks ---
#define CORVANE_PLAIN_CASE(n) case kKindFirstPlain + (n): CORVANE_PLAIN_BODY(n, break)
#define CORVANE_FUSED_CASE(g, j)                                                        \
    case kKindFirstFused + 8 * (g) + (j):                                               \
        CORVANE_FUSED_BODY(g, j,                                                        \
                           {                                                            \
                               kind = uint16_t(kKindFirstPlain + code[s.pc]);           \
                               goto dispatch;                                           \
                           },                                                           \
                           break)

// clang-format on

namespace corvane {

// Fused labels CORVANE_EACH_FUSED lays out (16 groups of 8).
constexpr size_t kFusedLabels = 128;

}  // namespace corvane
