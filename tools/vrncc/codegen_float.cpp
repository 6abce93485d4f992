// Code generation. float and double: IEEE binary32 and binary64 on a machine without floating
// point. A float is its 32-bit pattern in a slot; a double lives in memory (8 bytes, the low
// half first) and an expression of that type leaves the address of its bytes, as long long does.
// The arithmetic, the comparisons and the conversions are calls of the runtime's helpers
// (runtime/float_*.c): the double ones take their operands' addresses and the address of the
// result last, and return that address, so a left operand already on the stack stays where it
// is. Negation (the sign bit) and truth (any bit but the sign) are done in line.

#include "tools/vrncc/codegen_internal.h"

namespace corvane::cc {

namespace {

const char* arithHelper(Op o, bool isFloat) {
    switch (o) {
        case Op::Add:
            return isFloat ? "__fadd" : "__dadd";
        case Op::Sub:
            return isFloat ? "__fsub" : "__dsub";
        case Op::Mul:
            return isFloat ? "__fmul" : "__dmul";
        default:
            return isFloat ? "__fdiv" : "__ddiv";
    }
}

constexpr uint32_t kSignBit = 0x80000000u;
constexpr int64_t kOneFloat = 0x3F800000;                    // 1.0f
constexpr int64_t kOneDouble = int64_t(0x3FF0000000000000);  // 1.0

}  // namespace

// Expressions of a floating type, and casts from one, whose code differs from the integers'.
// Returns false where the common code serves (objects, calls, comma, ?:, assignments).
bool CodeGen::fpValue(Expr* e) {
    const bool isFloat = e->type->kind == Kind::Float;
    switch (e->op) {
        case Op::Num:
            if (isFloat)
                em_.push(e->value);
            else
                llConst(e->value);
            return true;
        case Op::Cast:
            if (isVoid(e->type)) return false;
            value(e->a);
            fpConvert(e->a->type, e->type);
            return true;
        case Op::Neg:
            if (isFloat) {
                value(e->a);
                em_.emit(op::PUSH_D, int32_t(kSignBit));
                em_.emit(op::XOR);
            } else {
                const int r = temp(8);
                em_.emit(op::ADDRL, r);
                value(e->a);
                em_.push(8);
                em_.emit(call::memcpy);
                const LV high{LV::Local, r + 4};
                ref(high, p_.types.longT);
                load(high, p_.types.longT);
                em_.emit(op::PUSH_D, int32_t(kSignBit));
                em_.emit(op::XOR);
                em_.emit(op::ASSIGN);
                em_.emit(op::POP_COND);
                em_.emit(op::ADDRL, r);
            }
            return true;
        case Op::Add:
        case Op::Sub:
        case Op::Mul:
        case Op::Div:
            value(e->a);
            fpArith(e->op, e->type, e->b, e->loc);
            return true;
        case Op::VaArg:
            // A double is read from its 8-byte slot as a long long is.
            return isDouble(e->type) && llValue(e);
        default:
            return false;
    }
}

// The stack holds the left operand; computes `left op right` in the floating type `t`.
void CodeGen::fpArith(Op o, Type* t, Expr* right, const Loc& loc) {
    value(right);
    const bool isFloat = t->kind == Kind::Float;
    if (!isFloat) em_.emit(op::ADDRL, temp(8));
    callRuntime(arithHelper(o, isFloat), loc);
}

// Converts the value on the stack from `from` to `to`, one of them floating.
void CodeGen::fpConvert(const Type* from, const Type* to) {
    if (from->kind == to->kind) return;
    const Loc none;
    const bool fromFloat = from->kind == Kind::Float;
    if (isDouble(to) || to->kind == Kind::Float) {
        const bool toDouble = isDouble(to);
        if (toDouble) em_.emit(op::ADDRL, temp(8));
        const char* helper;
        if (isFloating(from))
            helper = fromFloat ? "__ftod" : "__dtof";
        else if (from->kind == Kind::LLong)
            helper = toDouble ? "__dfromll" : "__ffromll";
        else if (from->kind == Kind::ULLong)
            helper = toDouble ? "__dfromull" : "__ffromull";
        else if (isUnsigned(from))
            helper = toDouble ? "__dfromul" : "__ffromul";
        else
            helper = toDouble ? "__dfroml" : "__ffroml";
        callRuntime(helper, none);
        return;
    }
    // To an integer: truncated toward zero.
    if (to->kind == Kind::Bool) {
        if (fromFloat) {
            em_.emit(op::PUSH_D, int32_t(~kSignBit));
            em_.emit(op::AND);
            em_.push(0);
            em_.emit(op::NE);
            em_.emit(op::NEG);
        } else {
            callRuntime("__dtob", none);
        }
        return;
    }
    if (isLLong(to)) {
        em_.emit(op::ADDRL, temp(8));
        callRuntime(to->kind == Kind::LLong ? (fromFloat ? "__ftoll" : "__dtoll")
                                            : (fromFloat ? "__ftoull" : "__dtoull"),
                    none);
        return;
    }
    if (to->kind == Kind::ULong) {
        callRuntime(fromFloat ? "__ftoul" : "__dtoul", none);
        return;
    }
    callRuntime(fromFloat ? "__ftol" : "__dtol", none);
    if (sizeOf(to) < 4) narrow(to);
}

// The machine's truth value of a comparison of two floating values. The helper orders them
// (-1, 0 or 1) and answers 2 for an unordered pair (a NaN), which every comparison with 0 but
// != finds false; > and >= use its twin that answers -2 instead.
void CodeGen::fpCompare(Expr* e) {
    const bool isFloat = e->a->type->kind == Kind::Float;
    const bool greater = e->op == Op::Gt || e->op == Op::Ge;
    value(e->a);
    value(e->b);
    callRuntime(isFloat ? (greater ? "__fcmpg" : "__fcmp") : (greater ? "__dcmpg" : "__dcmp"),
                e->loc);
    em_.push(0);
    em_.emit(compareOpcode(e->op));
}

// Pushes a value that is not 0 exactly when the floating value of `e` is not 0 (either zero's
// sign bit alone counts as 0; a NaN is not 0).
void CodeGen::fpTruth(Expr* e) {
    if (e->type->kind == Kind::Float) {
        value(e);
        em_.emit(op::PUSH_D, int32_t(~kSignBit));
        em_.emit(op::AND);
        return;
    }
    const int slot = temp(2);
    em_.emit(op::PUSH_D, int32_t(kFrameRelative | 2u << 16 | uint32_t(slot)));
    value(e);
    em_.emit(op::ASSIGN);  // leaves the address
    em_.emit(op::LDGX_L, 0);
    em_.emit(op::LDL_I, slot);
    em_.emit(op::LDGX_L, 4);
    em_.emit(op::PUSH_D, int32_t(~kSignBit));
    em_.emit(op::AND);
    em_.emit(op::OR);
}

// `x op= y` where x or the operation is floating (a bit-field x goes to compoundBits): x is
// read, converted to the operation's type, combined with y and converted back.
void CodeGen::fpCompound(Expr* e) {
    Expr* lhs = e->a;
    LV lv = stableLvalue(lhs);
    if (inMemory(lhs->type)) {
        address(lv);  // memcpy's destination
        load(lv, lhs->type);
        fpConvert(lhs->type, e->optype);
        fpArith(e->binop, e->optype, e->b, e->loc);
        fpConvert(e->optype, lhs->type);
        em_.push(8);
        em_.emit(call::memcpy);
        address(lv);
        return;
    }
    ref(lv, lhs->type);
    load(lv, lhs->type);
    if (isFloating(lhs->type) || isFloating(e->optype)) {
        fpConvert(lhs->type, e->optype);
        fpArith(e->binop, e->optype, e->b, e->loc);
        fpConvert(e->optype, lhs->type);
    }
    em_.emit(op::ASSIGN);
}

// ++ and -- of a floating object: x + 1.0 or x - 1.0, rounded as any sum; a postfix operator's
// value is the old value (a copy, for a double).
void CodeGen::fpIncDec(Expr* e) {
    Expr* x = e->a;
    const bool inc = e->op == Op::PreInc || e->op == Op::PostInc;
    const bool post = e->op == Op::PostInc || e->op == Op::PostDec;
    const bool isFloat = x->type->kind == Kind::Float;
    LV lv = stableLvalue(x);
    if (isFloat) {
        if (post) load(lv, x->type);
        ref(lv, x->type);
        load(lv, x->type);
        em_.push(kOneFloat);
        callRuntime(inc ? "__fadd" : "__fsub", e->loc);
        em_.emit(op::ASSIGN);
        if (post) em_.emit(op::POP_COND);
        return;
    }
    const int old = post ? copyOf8(lv) : 0;
    address(lv);
    llConst(kOneDouble);
    address(lv);  // the result goes over x itself; the helper reads x first
    callRuntime(inc ? "__dadd" : "__dsub", e->loc);
    if (post) {
        em_.emit(op::POP_COND);
        em_.emit(op::ADDRL, old);
    }
}

}  // namespace corvane::cc
