// Code generation. long long and unsigned long long: 64-bit values on a machine whose slots
// hold 32 bits. A 64-bit value lives in memory (low half first) and an expression of such a type
// leaves the address of its 8 bytes, as a struct does: an object's own address, or a frame
// temporary that an operation filled. The operations are calls of the runtime's helpers
// (runtime/llong.c), which take the addresses of their result and operands; conversions from and
// to the narrower types are done in line.

#include "tools/vrncc/codegen_internal.h"

namespace corvane::cc {

namespace {

const char* helperOf(Op o, bool uns) {
    switch (o) {
        case Op::Add:
            return "__lladd";
        case Op::Sub:
            return "__llsub";
        case Op::Mul:
            return "__llmul";
        case Op::Div:
            return uns ? "__ulldiv" : "__lldiv";
        case Op::Mod:
            return uns ? "__ullmod" : "__llmod";
        case Op::Shl:
            return "__llshl";
        case Op::Shr:
            return uns ? "__llshr" : "__llsar";
        case Op::And:
            return "__lland";
        case Op::Or:
            return "__llor";
        case Op::Xor:
            return "__llxor";
        default:
            return nullptr;
    }
}

}  // namespace

void CodeGen::callRuntime(const char* name, const Loc& loc) {
    if (Symbol* f = runtime(name, loc)) {
        em_.emit(op::CALL, labelOf(f));
        resultOf(f, false);
    }
}

// Expressions of a 64-bit type, and casts from one, whose code differs from the narrower
// types'. Returns false where the common code serves (objects, calls, comma, ?:).
bool CodeGen::llValue(Expr* e) {
    switch (e->op) {
        case Op::Num:
            llConst(e->value);
            return true;
        case Op::Cast: {
            const Type* from = e->a->type;
            if (isVoid(e->type)) return false;
            if (isLLong(from) && isLLong(e->type)) {
                value(e->a);  // the same bits
            } else if (isLLong(e->type)) {
                llWiden(from, [&] { value(e->a); });
            } else {
                // To a narrower type: the low half, cut to the type.
                value(e->a);
                em_.emit(op::LDGX_L, 0);
                if (sizeOf(e->type) < 4) narrow(e->type);
            }
            return true;
        }
        case Op::Neg:
        case Op::BitNot: {
            const int r = temp(8);
            em_.emit(op::ADDRL, r);
            value(e->a);
            callRuntime(e->op == Op::Neg ? "__llneg" : "__llnot", e->loc);
            em_.emit(op::ADDRL, r);
            return true;
        }
        case Op::Add:
        case Op::Sub:
        case Op::Mul:
        case Op::Div:
        case Op::Mod:
        case Op::Shl:
        case Op::Shr:
        case Op::And:
        case Op::Or:
        case Op::Xor:
            llBinary(
                e->op, e->type, [&] { value(e->a); }, e->b, e->loc);
            return true;
        case Op::VaArg: {
            // The value is the caller's 8-byte slot itself; the pointer steps over it.
            LV ap = stableLvalue(e->a);
            load(ap, e->a->type, true);
            ref(ap, e->a->type);
            load(ap, e->a->type, true);
            em_.push(8);
            em_.emit(op::ADD);
            em_.emit(op::ASSIGN);
            em_.emit(op::POP_COND);
            return true;
        }
        default:
            return false;
    }
}

// A constant: written into a temporary (a new one unless `at` names one), half by half.
void CodeGen::llConst(int64_t v, int at) {
    const int t = at >= 0 ? at : temp(8);
    for (int half = 0; half < 2; ++half) {
        ref({LV::Local, t + 4 * half}, p_.types.longT);
        em_.push(int32_t(uint32_t(uint64_t(v) >> (32 * half))));
        em_.emit(op::ASSIGN);
        em_.emit(op::POP_COND);
    }
    em_.emit(op::ADDRL, t);
}

// A value of a narrower type (which `emit` pushes, extended to 32 bits by its signedness) made
// a 64-bit one in a temporary: the high half is the sign's copies or zero.
void CodeGen::llWiden(const Type* from, const std::function<void()>& emit) {
    const int t = temp(8);
    if (isUnsigned(from)) {
        ref({LV::Local, t}, p_.types.longT);
        emit();
        em_.emit(op::ASSIGN);
        em_.emit(op::POP_COND);
        ref({LV::Local, t + 4}, p_.types.longT);
        em_.push(0);
    } else {
        ref({LV::Local, t + 4}, p_.types.longT);
        ref({LV::Local, t}, p_.types.longT);
        emit();
        em_.emit(op::ASSIGN);  // leaves the value for its sign
        em_.push(31);
        em_.emit(op::SHR);
    }
    em_.emit(op::ASSIGN);
    em_.emit(op::POP_COND);
    em_.emit(op::ADDRL, t);
}

// `left op right` in type `t` into a new temporary; a shift's count is an int.
void CodeGen::llBinary(Op o, Type* t, const std::function<void()>& left, Expr* right,
                       const Loc& loc) {
    const int r = temp(8);
    em_.emit(op::ADDRL, r);
    left();
    value(right);
    callRuntime(helperOf(o, isUnsigned(t)), loc);
    em_.emit(op::ADDRL, r);
}

// The machine's truth value of a comparison of two 64-bit values: the helper orders them
// (-1, 0 or 1), the machine compares that with 0.
void CodeGen::llCompare(Expr* e) {
    value(e->a);
    value(e->b);
    callRuntime(isUnsigned(e->a->type) ? "__ullcmp" : "__llcmp", e->loc);
    em_.push(0);
    em_.emit(compareOpcode(e->op));
}

// Pushes a value that is not 0 exactly when the 64-bit value of `e` is not 0.
void CodeGen::llTruth(Expr* e) {
    const int slot = temp(2);
    em_.emit(op::PUSH_D, int32_t(kFrameRelative | 2u << 16 | uint32_t(slot)));
    value(e);
    em_.emit(op::ASSIGN);  // leaves the address
    em_.emit(op::LDGX_L, 0);
    em_.emit(op::LDL_I, slot);
    em_.emit(op::LDGX_L, 4);
    em_.emit(op::OR);
}

// `x op= y` where x or the operation is 64-bit (a bit-field x goes to compoundBits).
void CodeGen::llCompound(Expr* e) {
    Expr* lhs = e->a;
    LV lv = stableLvalue(lhs);
    if (isLLong(lhs->type)) {
        // The helpers may write their result over an operand: x is both.
        address(lv);
        address(lv);
        value(e->b);
        callRuntime(helperOf(e->binop, isUnsigned(e->optype)), e->loc);
        address(lv);
        return;
    }
    ref(lv, lhs->type);
    compoundValue(e, lv);
    em_.emit(op::ASSIGN);
}

// The cases of a switch on a 64-bit value, whose address is in the frame slot: compared one by
// one.
void CodeGen::caseChain64(const std::vector<Stmt*>& cases, int slot, int dflt) {
    const int constant = temp(8);
    for (Stmt* c : cases) {
        em_.emit(op::LDL_L, slot);
        llConst(c->value, constant);
        callRuntime("__llcmp", c->loc);
        em_.emit(op::POP_COND);
        em_.emit(op::JZ, c->codeLabel);
    }
    em_.emit(op::JMP, dflt);
}

// A frame copy of the 8 bytes at `lv` (a postfix ++ or --'s value, taken before the change).
int CodeGen::copyOf8(const LV& lv) {
    const int copy = temp(8);
    em_.emit(op::ADDRL, copy);
    address(lv);
    em_.push(8);
    em_.emit(call::memcpy);
    return copy;
}

// ++ and -- of a 64-bit object: the helper adds 1 or -1 in place; a postfix operator's value is
// a copy made before.
void CodeGen::llIncDec(Expr* e) {
    Expr* x = e->a;
    const bool inc = e->op == Op::PreInc || e->op == Op::PostInc;
    const bool post = e->op == Op::PostInc || e->op == Op::PostDec;
    LV lv = stableLvalue(x);
    const int old = post ? copyOf8(lv) : 0;
    address(lv);
    em_.push(inc ? 1 : -1);
    callRuntime("__lladdl", e->loc);  // leaves the address it stepped
    if (post) {
        em_.emit(op::POP_COND);
        em_.emit(op::ADDRL, old);
    }
}

}  // namespace corvane::cc
