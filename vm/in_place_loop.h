#pragma once
// Which fused runs can loop on themselves "in place": every pass of such a run over itself does
// the same thing to the same places, so that what a pass may touch can be checked once when
// execution enters the loop instead of at every access of every pass.
//
// A run qualifies when, known from its opcodes alone:
//   - it ends in a jump (a pass can go back to its own start);
//   - it pops only what it pushed itself, and leaves the operand stack as it found it: every pass
//     starts at the same osp, and the slots a pass reads are the ones it wrote;
//   - every VmMemory access names a place fixed for the whole loop: loads by an operand (LDL_*,
//     LDG_*), and ASSIGN and the steps through a typed address that the run itself pushed as a
//     constant (PUSH_*) or as a frame address (ADDRL; fp cannot change inside the run);
//   - nothing in it can change fp or sp, jump before its end, or stop the machine.
// Then the places the first pass touched are the places every later pass touches.

#include <algorithm>
#include <cstdint>

#include "vm/fused.h"
#include "vm/opcodes.h"

namespace corvane {

struct InPlaceLoop {
    bool ok = false;
    int depth = 0;  // slots above its start that a pass writes (the deepest it pushes)
    // The first PUSH_D whose value a pass reads or writes through (a typed address fixed for the
    // loop, whose width and frame bit can be taken once on entry), by its index in the run; -1
    // when there is none.
    int typedPush = -1;
};

namespace detail {

// An instruction's use of the operand stack inside such a loop. `pushesFixed`: the slot it
// pushes holds the same value at every pass. `popsAddress`: the deepest slot it pops is a typed
// address it reads or writes through.
struct LoopOp {
    bool allowed = false;
    int pops = 0;
    int pushes = 0;
    bool pushesFixed = false;
    bool popsAddress = false;
};

constexpr LoopOp loopOp(uint8_t o) {
    using namespace op;
    switch (o) {
        case NOP:
        case JZ:
        case JNZ:
        case JMP:
            return {true, 0, 0, false, false};
        case PUSH_B:
        case PUSH_W:
        case PUSH_D:
        case ADDRL:
        case PUSH_TEXTBUF:
        case PUSH_SCREEN:
        case PUSH_GBUF:
            return {true, 0, 1, true, false};
        case LDG_C:
        case LDG_I:
        case LDG_L:
        case LDL_C:
        case LDL_I:
        case LDL_L:
            return {true, 0, 1, false, false};
        case NEG:
        case NOT:
        case LNOT:
        case ADDI:
        case SUBI:
        case MULI:
        case SHLI:
        case SHRI:
        case EQI:
        case NEI:
        case GTI:
        case LTI:
        case GEI:
        case LEI:
            return {true, 1, 1, false, false};
        case ADD:
        case SUB:
        case AND:
        case OR:
        case XOR:
        case LAND:
        case LOR:
        case MUL:
        case SHL:
        case SHR:
        case EQ:
        case NE:
        case LE:
        case GE:
        case GT:
        case LT:
            return {true, 2, 1, false, false};
        case ASSIGN:
            return {true, 2, 1, false, true};
        case PREINC:
        case PREDEC:
        case POSTINC:
        case POSTDEC:
            return {true, 1, 1, false, true};
        case POP_COND:
            return {true, 1, 0, false, false};
        default:
            return {};
    }
}

}  // namespace detail

constexpr InPlaceLoop inPlaceLoop(const FusedRun& run) {
    if (!run.endsInJump() || run.follows()) return {};
    // By depth: whether the slot holds a value fixed for the loop, and which instruction pushed it.
    bool fixed[kLongestFused + 1] = {};
    int pushedBy[kLongestFused + 1] = {};
    int depth = 0;
    InPlaceLoop loop;
    for (int i = 0; i < run.count; ++i) {
        const detail::LoopOp e = detail::loopOp(run.ops[i]);
        if (!e.allowed || e.pops > depth) return {};
        if (e.popsAddress) {
            const int at = depth - e.pops;
            if (!fixed[at]) return {};
            if (loop.typedPush < 0 && run.ops[pushedBy[at]] == op::PUSH_D)
                loop.typedPush = pushedBy[at];
        }
        depth -= e.pops;
        for (int p = 0; p < e.pushes; ++p) {
            fixed[depth] = e.pushesFixed;
            pushedBy[depth++] = i;
        }
        loop.depth = std::max(loop.depth, depth);
    }
    if (depth != 0) return {};
    loop.ok = true;
    return loop;
}

}  // namespace corvane
