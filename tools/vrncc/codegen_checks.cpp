// Code generation. The checks of -fcheck: the frame stack at each function's entry, every read
// and write through a pointer, and (in codegen.cpp's dispatcher) calls through pointers that name
// no function. A failed check ends the program with the trap of shared/debuginfo/check_trap.h,
// from which the host names the check and the code that failed it.
//
// The frame stack grows upwards from the first byte after the globals to the end of DataArea,
// and the heap lies above 0x8000 growing upwards too, so the stack's only bound is the end of
// DataArea. A pointer is taken as null when its address is below 0x0100: nothing of the machine
// or of C lives below 0x0180 (the glyph staging area), and testing one byte is the cheapest
// test the machine has.

#include "tools/vrncc/codegen_internal.h"

namespace corvane::cc {

namespace {

constexpr int kFrameHeader = 5;      // return address and saved fp
constexpr int kArgumentSlot = 4;     // one argument, as ENTER copies it
constexpr int kNullEnd = 0x100;      // addresses below are null pointers
constexpr int kPointerHighByte = 1;  // the byte of a pointer whose zero means "below kNullEnd"
static_assert(kNullEnd == 1 << 8 * kPointerHighByte);

}  // namespace

// Right after ENTER: is the frame's end past the end of DataArea? The frame's size is known
// only once the function is generated; patchStackCheck puts it into the instruction at the
// index returned here.
size_t CodeGen::checkStack() {
    const size_t at = em_.code.size();
    em_.emit(op::ADDRL, 0);  // fp + frame size
    em_.emit(op::GTI, int32_t(layout_.dataEnd));
    em_.emit(op::POP_COND);
    const int fits = em_.newLabel();
    em_.emit(op::JZ, fits);
    trap(checkTrapMark(Check::StackOverflow, 0));
    em_.label(fits);
    return at;
}

void CodeGen::patchStackCheck(size_t at, int frameSize) {
    em_.code[at].imm = frameSize;
    // A frame larger than DataArea never fits; its sum could wrap past 0xFFFF, so it traps
    // whatever fp is (ADDRL's sum is never below 0).
    if (uint32_t(frameSize) > layout_.dataEnd - layout_.dataStart) em_.code[at + 1].imm = -1;
}

// The address on top of the operand stack is about to be read or written: a call to the check
// routine, which leaves it where it was (and traps one frame below this code when it is null).
void CodeGen::checkAccess(bool write) {
    if (!check_) return;
    int& routine = write ? nullWrite_ : nullRead_;
    if (routine < 0) routine = em_.newLabel();
    em_.emit(op::CALL, routine);
}

// Whether a pointer is the address of a named object (a variable, a string, a compound literal,
// a member or element of one) plus or minus an integer: `table[i]`, `grid[y][x]`, `s.items[k]`.
bool CodeGen::namesObject(const Expr* pointer) const {
    if (pointer->op == Op::Addr) return isObject(pointer->a);
    if ((pointer->op == Op::Add || pointer->op == Op::Sub) && isPointer(pointer->a->type))
        return namesObject(pointer->a);
    return false;
}

bool CodeGen::isObject(const Expr* x) const {
    switch (x->op) {
        case Op::Var:
        case Op::Str:
        case Op::CompoundLit:
            return true;
        case Op::Member:
            return x->a->lvalue && isObject(x->a);
        case Op::Deref:
            return namesObject(x->a);
        default:
            return false;
    }
}

void CodeGen::trap(uint32_t mark) {
    em_.emit(op::PUSH_D, int32_t(mark));
    em_.emit(kCheckTrapOpcode);
}

// The null-pointer check routines the program uses: each takes the address as its argument and
// returns it; a null address traps instead.
void CodeGen::checkRoutines() {
    for (int k = 0; k < 2; ++k) {
        const int routine = k == 0 ? nullRead_ : nullWrite_;
        if (routine < 0) continue;
        em_.label(routine);
        em_.emit(op::ENTER, kFrameHeader + kArgumentSlot, 1);
        // Every frame pushes a function marker when there are markers: RET pops one.
        if (dbg_) em_.emit(op::FUNC, 0);
        const int isNull = em_.newLabel();
        em_.emit(op::LDL_C, kFrameHeader + kPointerHighByte);
        em_.emit(op::POP_COND);
        em_.emit(op::JZ, isNull);
        em_.emit(op::LDL_L, kFrameHeader);
        em_.emit(op::RET);
        em_.label(isNull);
        trap(checkTrapMark(k == 0 ? Check::NullRead : Check::NullWrite, 1));
    }
}

}  // namespace corvane::cc
