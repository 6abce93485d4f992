// Code generation. Expressions: values, conditions and jumps, arithmetic and assignments.

#include "tools/vrncc/codegen_internal.h"
#include "tools/vrncc/parser.h"

namespace corvane::cc {

void CodeGen::discard(Expr* e) {
    if (e->op == Op::Cast && isVoid(e->type)) {
        discard(e->a);
        return;
    }
    if (e->op == Op::Comma) {
        discard(e->a);
        discard(e->b);
        return;
    }
    // Nothing reads the value: a postfix step is the prefix one, and no cut is needed.
    if (e->op == Op::PreInc || e->op == Op::PreDec || e->op == Op::PostInc || e->op == Op::PostDec)
        incDec(e, true, true);
    else
        value(e, true);
    if (!isVoid(e->type)) em_.emit(op::POP_COND);
}

// Jumps to `label` when the truth of `e` is `when`.
void CodeGen::branch(Expr* e, bool when, int label) {
    if (e->op == Op::Num && !isFloating(e->type)) {
        if ((e->value != 0) == when) em_.emit(op::JMP, label);
        return;
    }
    if (e->op == Op::LogNot) return branch(e->a, !when, label);
    if (e->op == Op::LogAnd || e->op == Op::LogOr) {
        const bool isAnd = e->op == Op::LogAnd;
        if (isAnd != when) {
            // (a && b) false: a false or b false; (a || b) true: a true or b true.
            branch(e->a, when, label);
            branch(e->b, when, label);
        } else {
            const int skip = em_.newLabel();
            branch(e->a, !when, skip);
            branch(e->b, when, label);
            em_.label(skip);
        }
        return;
    }
    if (isLLong(e->type))
        llTruth(e);
    else if (isFloating(e->type))
        fpTruth(e);
    else if (isCompare(e->op))
        compare(e);
    else
        // The jump tests all 32 bits: only a value loaded at its width has no others set.
        value(e, e->op == Op::Var || e->op == Op::Member || e->op == Op::Deref);
    em_.emit(op::POP_COND);
    em_.emit(when ? op::JNZ : op::JZ, label);
}

uint8_t compareOpcode(Op o) {
    static const std::map<Op, uint8_t> kOps = {{Op::Lt, op::LT}, {Op::Gt, op::GT},
                                               {Op::Le, op::LE}, {Op::Ge, op::GE},
                                               {Op::Eq, op::EQ}, {Op::Ne, op::NE}};
    return kOps.at(o);
}

// Whether the value of `e` can be tested for equality with another such value as a load leaves
// it: a 16-bit object's load is sign-extended whatever its type (so two are equal exactly when
// their 16 bits are), and so is a constant 0..32767.
static bool equalAsLoaded(const Expr* e) {
    auto sixteen = [](const Type* t) {
        return (isInteger(t) || isPointer(t)) && !t->bits && sizeOf(t) == 2;
    };
    if (e->op == Op::Cast && sixteen(e->type) && sixteen(e->a->type)) e = e->a;
    if (e->op == Op::Num) {
        const int64_t v = normalize(e->value, e->type);
        return v >= 0 && v <= 0x7FFF;
    }
    return (e->op == Op::Var || e->op == Op::Member || e->op == Op::Deref) && sixteen(e->type);
}

// Pushes the machine's truth value (-1 or 0) of a comparison.
void CodeGen::compare(Expr* e) {
    if (isLLong(e->a->type)) return llCompare(e);
    if (isFloating(e->a->type)) return fpCompare(e);
    // The address of a global (plus a constant) is below 0x8000, as DataArea is.
    auto lowAddress = [this](Expr* x) {
        Symbol* sym = nullptr;
        int64_t off = 0;
        if (!constAddress(x, sym, off) || !sym->laidOut) return false;
        const int64_t at = int64_t(sym->address) + off;
        return at >= 0 && at <= 0x7FFF;
    };
    if ((e->op == Op::Eq || e->op == Op::Ne) && sizeOf(e->a->type) == 2 &&
        (equalAsLoaded(e->a) || lowAddress(e->a)) && (equalAsLoaded(e->b) || lowAddress(e->b))) {
        value(e->a, true);
        value(e->b, true);
        em_.emit(compareOpcode(e->op));
        return;
    }
    const bool ulong = e->a->type->kind == Kind::ULong;
    value(e->a);
    if (ulong) flipSign();
    value(e->b);
    if (ulong) flipSign();
    em_.emit(compareOpcode(e->op));
}

// Unsigned 32-bit order through the machine's signed comparison.
void CodeGen::flipSign() {
    em_.emit(op::PUSH_D, int32_t(0x80000000u));
    em_.emit(op::XOR);
}

void CodeGen::value(Expr* e, bool low16) {
    if ((isFloating(e->type) || (e->op == Op::Cast && isFloating(e->a->type))) && fpValue(e))
        return;
    if ((isLLong(e->type) || (e->op == Op::Cast && isLLong(e->a->type))) && llValue(e)) return;
    switch (e->op) {
        case Op::Num:
            em_.push(e->value);
            return;
        case Op::Str:
            em_.push(addressOf(e->sym, e->loc));
            return;
        case Op::Var:
            if (isFunction(e->type)) {
                em_.push(e->sym->dispatchIndex);
                return;
            }
            load(lvalue(e), e->type, low16);
            return;
        case Op::CompoundLit:
            load(lvalue(e), e->type, low16);
            return;
        case Op::Deref:
        case Op::Member:
            if (isFunction(e->type)) {
                value(e->a, low16);
                return;
            }
            load(lvalue(e), e->type, low16);
            return;
        case Op::Addr:
            if (isFunction(e->a->type)) {
                if (e->a->op == Op::Var) {
                    em_.push(e->a->sym->dispatchIndex);
                } else {
                    value(e->a, low16);
                }
                return;
            }
            address(lvalue(e->a));
            return;
        case Op::Cast:
            value(e->a, low16 && sizeOf(e->type) >= 2);
            if (!(low16 && sizeOf(e->type) >= 2)) convertValue(e->a->type, e->type);
            if (isVoid(e->type) && !isVoid(e->a->type)) em_.emit(op::POP_COND);
            return;
        case Op::Neg:
            value(e->a, low16);
            em_.emit(op::NEG);
            if (!(low16 && sizeOf(e->type) == 2)) narrow(e->type);
            return;
        case Op::BitNot:
            value(e->a, low16);
            em_.emit(op::NOT);
            if (isUnsigned(e->type) && !(low16 && sizeOf(e->type) == 2)) narrow(e->type);
            return;
        case Op::LogNot:
        case Op::LogAnd:
        case Op::LogOr: {
            const int f = em_.newLabel(), end = em_.newLabel();
            branch(e, false, f);
            em_.push(1);
            em_.emit(op::JMP, end);
            em_.label(f);
            em_.push(0);
            em_.label(end);
            return;
        }
        case Op::Lt:
        case Op::Gt:
        case Op::Le:
        case Op::Ge:
        case Op::Eq:
        case Op::Ne:
            compare(e);
            em_.emit(op::NEG);  // C's 1 for true
            return;
        case Op::Add:
        case Op::Sub:
        case Op::Mul:
        case Op::Div:
        case Op::Mod:
        case Op::Shl:
        case Op::Shr:
        case Op::And:
        case Op::Or:
        case Op::Xor: {
            // A result the loops around it keep inside its type needs no cut.
            int64_t lo, hi;
            value(e->a, low16 && lowBitsOnly(e->op));
            arith(e->op, e->type, e->b, e->loc, low16, !ranges_.empty() && rangeOf(e, lo, hi));
            return;
        }
        case Op::PtrDiff:
            value(e->a);
            value(e->b);
            em_.emit(op::SUB);
            if (e->value > 1) {
                em_.push(e->value);
                em_.emit(op::DIV);
            }
            narrow(e->type);
            return;
        case Op::Comma:
            discard(e->a);
            value(e->b, low16);
            return;
        case Op::Cond: {
            const int elseL = em_.newLabel(), end = em_.newLabel();
            branch(e->a, false, elseL);
            if (isVoid(e->type))
                discard(e->b);
            else
                value(e->b, low16);
            em_.emit(op::JMP, end);
            em_.label(elseL);
            if (isVoid(e->type))
                discard(e->c);
            else
                value(e->c, low16);
            em_.label(end);
            return;
        }
        case Op::Assign:
            assign(e, low16);
            return;
        case Op::CompoundAssign:
            compound(e, low16);
            return;
        case Op::PreInc:
        case Op::PreDec:
        case Op::PostInc:
        case Op::PostDec:
            incDec(e, low16);
            return;
        case Op::Call:
            call(e, low16);
            return;
        case Op::VaStart: {
            LV ap = stableLvalue(e->a);
            ref(ap, e->a->type);
            em_.emit(op::LDL_I, fn_->varargs->frameOffset);
            em_.emit(op::ASSIGN);
            em_.emit(op::POP_COND);
            return;
        }
        case Op::VaArg: {
            // Each variable argument has a 4-byte slot; the value lies at its start.
            LV ap = stableLvalue(e->a);
            load(ap, e->a->type, true);
            const int w = width(e->type);
            em_.emit(byWidth(w, op::LDGX_C, op::LDGX_I, op::LDGX_L), 0);
            extendLoaded(e->type, low16);
            ref(ap, e->a->type);
            load(ap, e->a->type, true);
            em_.push(4);
            em_.emit(op::ADD);
            em_.emit(op::ASSIGN);
            em_.emit(op::POP_COND);
            return;
        }
    }
}

// The stack holds the left operand; computes `left op right` in type `t`.
void CodeGen::arith(Op o, Type* t, Expr* right, const Loc& loc, bool low16, bool inRange) {
    if (isFloating(t)) return fpArith(o, t, right, loc);
    const bool ulong = t->kind == Kind::ULong;
    if (ulong && (o == Op::Div || o == Op::Mod)) {
        value(right);
        if (Symbol* f = runtime(o == Op::Div ? "__udiv32" : "__umod32", loc))
            em_.emit(op::CALL, labelOf(f));
        return;
    }
    if (ulong && o == Op::Shr) {
        if (right->op == Op::Num) {
            const int n = int(right->value & 31);
            if (n) {
                em_.push(n);
                em_.emit(op::SHR);
                em_.emit(op::PUSH_D, int32_t(0xFFFFFFFFu >> n));
                em_.emit(op::AND);
            }
            return;
        }
        value(right);
        if (Symbol* f = runtime("__ushr32", loc)) em_.emit(op::CALL, labelOf(f));
        return;
    }
    value(right, low16 && lowBitsOnly(o) && o != Op::Shl);
    static const std::map<Op, uint8_t> kOps = {
        {Op::Add, op::ADD}, {Op::Sub, op::SUB}, {Op::Mul, op::MUL}, {Op::Div, op::DIV},
        {Op::Mod, op::MOD}, {Op::Shl, op::SHL}, {Op::Shr, op::SHR}, {Op::And, op::AND},
        {Op::Or, op::OR},   {Op::Xor, op::XOR}};
    em_.emit(kOps.at(o));
    if (o == Op::And || o == Op::Or || o == Op::Xor || o == Op::Shr) return;
    if (o == Op::Mod && isUnsigned(t)) return;
    if (low16 && sizeOf(t) == 2) return;  // only the address bits are used
    if (!inRange) narrow(t);
}

// An object of 16 bits, stored whole from the low 16 bits of a value: when only those bits of
// the assignment's value are read, its operands need no cut to 16 bits either.
bool CodeGen::lowStore(const Type* t) {
    return (isInteger(t) || isPointer(t)) && !t->bits && sizeOf(t) == 2;
}

void CodeGen::assign(Expr* e, bool low16) {
    Expr* lhs = e->a;
    if (lhs->type->bits) return assignBits(e);
    if (inMemory(lhs->type)) {
        LV lv = stableLvalue(lhs);
        address(lv);
        value(e->b);
        em_.push(sizeOf(lhs->type));
        em_.emit(call::memcpy);
        address(lv);
        return;
    }
    LV lv = lvalue(lhs);
    ref(lv, lhs->type);
    value(e->b, low16 && lowStore(lhs->type));
    em_.emit(op::ASSIGN);
}

void CodeGen::compound(Expr* e, bool low16) {
    Expr* lhs = e->a;
    if (lhs->type->bits) return compoundBits(e);
    if (isFloating(lhs->type) || isFloating(e->optype)) return fpCompound(e);
    if (isLLong(lhs->type) || isLLong(e->optype)) return llCompound(e);
    LV lv = stableLvalue(lhs);
    ref(lv, lhs->type);
    load(lv, lhs->type);
    convertValue(lhs->type, e->optype);
    // Only the low 16 bits are stored and read: the operation's own cut and the one back to
    // the object's type change none of them.
    const bool low = low16 && lowStore(lhs->type);
    arith(e->binop, e->optype, e->b, e->loc, low);
    if (!low) convertValue(e->optype, lhs->type);
    em_.emit(op::ASSIGN);
}

// `unused`: the value is dropped, so a postfix step is done as the prefix one and nothing is
// cut.
void CodeGen::incDec(Expr* e, bool low16, bool unused) {
    Expr* x = e->a;
    const bool inc = e->op == Op::PreInc || e->op == Op::PostInc;
    const bool post = !unused && (e->op == Op::PostInc || e->op == Op::PostDec);
    if (x->type->bits) return incDecBits(e);
    if (isLLong(x->type)) return llIncDec(e);
    if (isFloating(x->type)) return fpIncDec(e);
    // The stored bits do not depend on a cut of the sum: only the value pushed does.
    const bool low = unused || (low16 && lowStore(x->type));
    if (e->value == 1) {
        LV lv = lvalue(x);
        ref(lv, x->type);
        em_.emit(post ? (inc ? op::POSTINC : op::POSTDEC) : (inc ? op::PREINC : op::PREDEC));
        // The machine pushes the 32-bit sum or the value read through the tag.
        if (post)
            extendLoaded(x->type, low);
        else if (!low)
            narrow(x->type);
        return;
    }
    LV lv = stableLvalue(x);
    if (post) load(lv, x->type, low);
    ref(lv, x->type);
    load(lv, x->type, low);
    em_.push(e->value);
    em_.emit(inc ? op::ADD : op::SUB);
    if (!low || width(x->type) != 2) narrow(x->type);
    em_.emit(op::ASSIGN);
    if (post) em_.emit(op::POP_COND);
}

}  // namespace corvane::cc
