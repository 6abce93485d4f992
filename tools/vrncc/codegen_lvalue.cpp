// Code generation. Lvalues: where an object is, loading and referencing it at its width, and
// bringing a value to the width and signedness of its type.

#include "tools/vrncc/codegen_internal.h"

namespace corvane::cc {

bool CodeGen::onStack(const Expr* e) const {
    switch (e->op) {
        case Op::Var:
        case Op::Str:
        case Op::CompoundLit:
            return false;
        case Op::Member:
            return !e->a->lvalue || onStack(e->a) || e->a->op == Op::Call;
        default:
            return true;
    }
}

LV CodeGen::lvalue(Expr* e) {
    switch (e->op) {
        case Op::Var: {
            Symbol* s = e->sym;
            if (s->storage == Storage::Local || s->storage == Storage::Param)
                return {LV::Local, s->frameOffset};
            return {LV::Global, int(addressOf(s, e->loc))};
        }
        case Op::Str:
            return {LV::Global, int(addressOf(e->sym, e->loc))};
        case Op::CompoundLit:
            localInit(e->sym);
            return {LV::Local, e->sym->frameOffset};
        case Op::Deref:
            value(e->a, true);
            return {LV::Stack, namesObject(e->a) ? kNamedObject : 0};
        case Op::Member: {
            if (e->a->lvalue && e->a->op != Op::Call) {
                LV b = lvalue(e->a);
                if (b.kind == LV::Stack) {
                    if (e->value) {
                        em_.push(e->value);
                        em_.emit(op::ADD);
                    }
                    return b;
                }
                b.addr += int(e->value);
                return b;
            }
            value(e->a);  // a struct value: its address
            if (e->value) {
                em_.push(e->value);
                em_.emit(op::ADD);
            }
            return {LV::Stack, 0};
        }
        default:
            d_.error(e->loc, "this expression has no address");
            em_.push(0);
            return {LV::Stack, 0};
    }
}

// An lvalue whose address is computed once and kept in a frame slot, for the operators that
// read and then write it.
LV CodeGen::stableLvalue(Expr* e) {
    if (!onStack(e)) return lvalue(e);
    const int slot = temp(2);
    em_.emit(op::PUSH_D, int32_t(kFrameRelative | 2u << 16 | uint32_t(slot)));
    lvalue(e);
    em_.emit(op::ASSIGN);
    em_.emit(op::POP_COND);
    return {LV::Temp, slot};
}

void CodeGen::address(const LV& lv) {
    switch (lv.kind) {
        case LV::Local:
            em_.emit(op::ADDRL, lv.addr);
            break;
        case LV::Global:
            em_.push(lv.addr);
            break;
        case LV::Stack:
            break;
        case LV::Temp:
            em_.emit(op::LDL_I, lv.addr);
            break;
    }
}

void CodeGen::load(const LV& lv, Type* t, bool low16) {
    if (t->bits) return loadBits(lv, t);
    if (inMemory(t) || isArray(t)) {
        address(lv);
        return;
    }
    const int w = width(t);
    switch (lv.kind) {
        case LV::Local:
            em_.emit(byWidth(w, op::LDL_C, op::LDL_I, op::LDL_L), lv.addr);
            break;
        case LV::Global:
            em_.emit(byWidth(w, op::LDG_C, op::LDG_I, op::LDG_L), lv.addr);
            break;
        case LV::Stack:
            if (lv.addr != kNamedObject) checkAccess(false);
            em_.emit(byWidth(w, op::LDGX_C, op::LDGX_I, op::LDGX_L), 0);
            break;
        case LV::Temp:
            em_.emit(op::LDL_I, lv.addr);
            checkAccess(false);
            em_.emit(byWidth(w, op::LDGX_C, op::LDGX_I, op::LDGX_L), 0);
            break;
    }
    extendLoaded(t, low16);
}

// Loads sign-extend ints and zero-extend chars; the other types are mended here.
void CodeGen::extendLoaded(Type* t, bool low16) {
    if (t->kind == Kind::SChar) {
        em_.push(24);
        em_.emit(op::SHL);
        em_.push(24);
        em_.emit(op::SHR);
    } else if (!low16 &&
               (t->kind == Kind::UShort || t->kind == Kind::UInt || t->kind == Kind::Pointer)) {
        em_.emit(op::PUSH_D, 0xFFFF);
        em_.emit(op::AND);
    }
}

void CodeGen::ref(const LV& lv, Type* t) {
    const uint32_t tag = uint32_t(tagOf(t)) << 16;
    const int w = width(t);
    switch (lv.kind) {
        case LV::Local:
            refLocal(lv.addr, w);
            break;
        case LV::Global:
            em_.emit(op::PUSH_D, int32_t(tag | uint32_t(lv.addr)));
            break;
        case LV::Stack:
            if (lv.addr != kNamedObject) checkAccess(true);
            em_.emit(byWidth(w, op::REFGX_C, op::REFGX_I, op::REFGX_L), 0);
            break;
        case LV::Temp:
            em_.emit(op::LDL_I, lv.addr);
            checkAccess(true);
            em_.emit(byWidth(w, op::REFGX_C, op::REFGX_I, op::REFGX_L), 0);
            break;
    }
}

// The typed address of a local of `w` bytes. A 4-byte one is ADDRL's plain address, which
// names a long: shorter than the frame-relative constant, and the form the run loop takes whole
// in its fused assignments and steps.
void CodeGen::refLocal(int offset, int w) {
    if (w == 4)
        em_.emit(op::ADDRL, offset);
    else
        em_.emit(op::PUSH_D, int32_t(kFrameRelative | uint32_t(w) << 16 | uint32_t(offset)));
}

// Brings a 32-bit result of an operation back to the value of type `t`.
void CodeGen::narrow(const Type* t) {
    switch (t->kind) {
        case Kind::Char:
        case Kind::UChar:
        case Kind::Bool:
            em_.push(0xFF);
            em_.emit(op::AND);
            break;
        case Kind::SChar:
            em_.push(24);
            em_.emit(op::SHL);
            em_.push(24);
            em_.emit(op::SHR);
            break;
        case Kind::Short:
        case Kind::Int:
        case Kind::Enum:
            em_.push(16);
            em_.emit(op::SHL);
            em_.push(16);
            em_.emit(op::SHR);
            break;
        case Kind::UShort:
        case Kind::UInt:
        case Kind::Pointer:
            em_.emit(op::PUSH_D, 0xFFFF);
            em_.emit(op::AND);
            break;
        default:
            break;
    }
}

// Converts the value on the stack from `from` to `to`.
void CodeGen::convertValue(const Type* from, const Type* to) {
    if (isVoid(to) || isAggregate(to)) return;
    if (isFloating(from) || isFloating(to)) return fpConvert(from, to);
    const int64_t sf = sizeOf(from), st = sizeOf(to);
    if (isPointer(from) && isPointer(to)) return;
    if (sf > st || (sf == st && isUnsigned(from) != isUnsigned(to))) {
        if (st < 4) narrow(to);
        return;
    }
    // Widening: a value already extended by its own signedness is right, except a negative
    // value becoming unsigned of a larger width... which the 32-bit slot keeps as C wants
    // modulo 2^32 only for unsigned long.
    if (st < 4 && isUnsigned(to) && !isUnsigned(from)) narrow(to);
}

}  // namespace corvane::cc
