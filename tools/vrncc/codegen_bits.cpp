// Code generation. Bit-fields: a field is `bits` wide at `bitOffset` in an allocation unit, an
// object of its declared type (its member offset is the unit's). A read loads the unit and
// shifts the field out, sign-extending a signed one; a write loads the unit, clears the field's
// bits, ORs the masked new value in and stores the unit back. The value of an assignment to a
// field is the field read again, so it is what the field holds. Fields of a 64-bit unit go
// through the runtime's __llbits_get and __llbits_set.

#include "tools/vrncc/codegen_internal.h"

namespace corvane::cc {

namespace {

uint32_t maskOf(const Type* t) {
    return t->bits >= 32 ? 0xFFFFFFFFu : (1u << t->bits) - 1;
}

}  // namespace

// The allocation unit's type: the field's declared type as a whole object.
Type* CodeGen::unitType(const Type* field) {
    Type* u = p_.types.copy(field);
    u->bits = 0;
    u->bitOffset = 0;
    return u;
}

void CodeGen::loadBits(const LV& lv, Type* t) {
    if (width(t) == 8) {
        const int r = temp(8);
        address(lv);
        em_.push(t->bitOffset);
        em_.push(t->bits);
        em_.push(isUnsigned(t) ? 0 : 1);
        em_.emit(op::ADDRL, r);
        callRuntime("__llbits_get", Loc{});
        em_.emit(op::ADDRL, r);
        return;
    }
    load(lv, unitType(t));
    const int above = 32 - t->bitOffset - t->bits;
    if (!isUnsigned(t)) {
        if (above) {
            em_.push(above);
            em_.emit(op::SHL);
        }
        if (t->bits < 32) {
            em_.push(32 - t->bits);
            em_.emit(op::SHR);
        }
        return;
    }
    if (t->bitOffset) {
        em_.push(t->bitOffset);
        em_.emit(op::SHR);
    }
    if (t->bits < 32) {
        em_.emit(op::PUSH_D, int32_t(maskOf(t)));
        em_.emit(op::AND);
    }
}

// Stores the value that `newValue` pushes into the field; leaves one slot (drop it). The
// lvalue must not be on the stack: its address is used twice.
void CodeGen::storeBits(const LV& lv, Type* t, const std::function<void()>& newValue,
                        const Loc& loc) {
    if (width(t) == 8) {
        address(lv);
        em_.push(t->bitOffset);
        em_.push(t->bits);
        newValue();  // the address of a 64-bit value
        callRuntime("__llbits_set", loc);
        em_.push(0);
        return;
    }
    Type* unit = unitType(t);
    const uint32_t mask = maskOf(t);
    ref(lv, unit);
    load(lv, unit);
    em_.emit(op::PUSH_D, int32_t(~(mask << t->bitOffset)));
    em_.emit(op::AND);
    newValue();
    if (t->bits < 32) {
        em_.emit(op::PUSH_D, int32_t(mask));
        em_.emit(op::AND);
    }
    if (t->bitOffset) {
        em_.push(t->bitOffset);
        em_.emit(op::SHL);
    }
    em_.emit(op::OR);
    em_.emit(op::ASSIGN);
}

// Pushes the new value of `x op= y` for an x that is not 64-bit itself: in the operation's
// type, cut back to x's type. A 64-bit bit-field x gets the address of its new value.
void CodeGen::compoundValue(Expr* e, const LV& lv) {
    Type* lt = e->a->type;
    if (isLLong(lt)) {
        llBinary(
            e->binop, e->optype, [&] { load(lv, lt); }, e->b, e->loc);
        return;
    }
    if (isLLong(e->optype)) {
        llBinary(
            e->binop, e->optype, [&] { llWiden(lt, [&] { load(lv, lt); }); }, e->b, e->loc);
        em_.emit(op::LDGX_L, 0);
        if (sizeOf(lt) < 4) narrow(lt);
        return;
    }
    load(lv, lt);
    convertValue(lt, e->optype);
    arith(e->binop, e->optype, e->b, e->loc, false);
    convertValue(e->optype, lt);
}

void CodeGen::assignBits(Expr* e) {
    Type* t = e->a->type;
    LV lv = stableLvalue(e->a);
    storeBits(
        lv, t, [&] { value(e->b); }, e->loc);
    em_.emit(op::POP_COND);
    loadBits(lv, t);
}

void CodeGen::compoundBits(Expr* e) {
    Type* t = e->a->type;
    LV lv = stableLvalue(e->a);
    storeBits(
        lv, t, [&] { compoundValue(e, lv); }, e->loc);
    em_.emit(op::POP_COND);
    loadBits(lv, t);
}

void CodeGen::incDecBits(Expr* e) {
    Type* t = e->a->type;
    const bool inc = e->op == Op::PreInc || e->op == Op::PostInc;
    const bool post = e->op == Op::PostInc || e->op == Op::PostDec;
    LV lv = stableLvalue(e->a);
    if (post) loadBits(lv, t);
    storeBits(
        lv, t,
        [&] {
            if (width(t) == 8) {
                loadBits(lv, t);  // a copy, stepped in place
                em_.push(inc ? 1 : -1);
                callRuntime("__lladdl", e->loc);
                return;
            }
            loadBits(lv, t);
            em_.push(1);
            em_.emit(inc ? op::ADD : op::SUB);
        },
        e->loc);
    em_.emit(op::POP_COND);
    if (!post) loadBits(lv, t);
}

}  // namespace corvane::cc
