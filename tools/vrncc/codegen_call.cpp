// Code generation. Calls: to functions (direct or through the dispatcher) and to the machine's
// system calls.

#include "tools/vrncc/codegen_internal.h"

namespace corvane::cc {

// A function other than main leaves a 16-bit integer or pointer result with only its low 16 bits
// defined: most results are stored, passed on or added to others, which read no more, so the
// cut is made where a caller needs the whole value.
bool CodeGen::lowResult(const Type* t) {
    return (isInteger(t) || isPointer(t)) && !t->bits && sizeOf(t) == 2;
}

// After the call of `f`: its result brought to its type's value, unless only the low 16 bits
// of it are read.
void CodeGen::resultOf(const Symbol* f, bool low16) {
    Type* t = f->type->base;
    if (lowResult(t) && !low16) narrow(t);
}

void CodeGen::call(Expr* e, bool low16) {
    Expr* fe = e->a;
    Symbol* direct = fe->op == Op::Var && isFunction(fe->type) ? fe->sym : nullptr;
    Type* ft = isFunction(fe->type) ? fe->type : fe->type->base;
    if (direct && direct->syscall >= 0) return syscall(e, direct);
    const bool structResult = inMemory(e->type);
    int resultSlot = 0;
    if (structResult) {
        resultSlot = temp(int(sizeOf(e->type)));
        em_.emit(op::ADDRL, resultSlot);
    }
    const size_t fixed = ft->prototype ? ft->params.size() : e->args.size();
    for (size_t i = 0; i < fixed && i < e->args.size(); ++i) {
        // The callee loads a char, short or int parameter at its width: a cut to 16 bits
        // that made the argument is not needed.
        const bool narrowParam =
            ft->prototype && isScalar(ft->params[i].type) && width(ft->params[i].type) <= 2;
        value(e->args[i], narrowParam);
        if (narrowParam) dropCut16();
    }
    if (ft->prototype && ft->variadic) {
        // Variable arguments go to a block in the caller's frame; the callee gets its address.
        // Each takes a 4-byte slot, a long long or double two (its low half first).
        int bytes = 0;
        for (size_t i = fixed; i < e->args.size(); ++i)
            bytes += isWideScalar(e->args[i]->type) ? 8 : 4;
        const int block = temp(std::max(bytes, 4));
        int at = block;
        for (size_t i = fixed; i < e->args.size(); ++i) {
            Expr* a = e->args[i];
            if (isAggregate(a->type))
                d_.error(a->loc, "a struct as a variable argument is not supported yet");
            if (isWideScalar(a->type)) {
                em_.emit(op::ADDRL, at);
                value(a);
                em_.push(8);
                em_.emit(call::memcpy);
                at += 8;
                continue;
            }
            refLocal(at, 4);
            value(a);
            em_.emit(op::ASSIGN);
            em_.emit(op::POP_COND);
            at += 4;
        }
        em_.emit(op::ADDRL, block);
    }
    if (direct) {
        if (!direct->body) {
            d_.error(e->loc, "undefined reference to function '" + direct->name + "'");
        } else {
            enqueue(direct);
        }
        em_.emit(op::CALL, labelOf(direct));
    } else {
        em_.emit(op::PUSH_D, int32_t(2u << 16 | scratch()));
        if (fe->op == Op::Deref && isFunction(fe->type))
            value(fe->a);
        else
            value(fe);
        em_.emit(op::ASSIGN);
        em_.emit(op::POP_COND);
        em_.emit(op::CALL, dispatchLabel());
    }
    if (lowResult(e->type) && !low16) narrow(e->type);
    if (structResult) {
        em_.push(sizeOf(e->type));
        em_.emit(call::memcpy);
        em_.emit(op::ADDRL, resultSlot);
    }
}

// Removes a cut to 16 bits that ends the code emitted so far, as `narrow` writes it: a
// shift left and right by 16 (sign) or an AND with 0xFFFF (zero).
void CodeGen::dropCut16() {
    auto& c = em_.code;
    const size_t n = c.size();
    auto is = [&](size_t from_end, uint8_t o, int32_t imm) {
        return n >= from_end && c[n - from_end].op == o && c[n - from_end].imm == imm;
    };
    if (is(4, op::PUSH_B, 16) && is(3, op::SHL, 0) && is(2, op::PUSH_B, 16) && is(1, op::SHR, 0))
        c.resize(n - 4);
    else if (is(2, op::PUSH_D, 0xFFFF) && is(1, op::AND, 0))
        c.resize(n - 2);
}

void CodeGen::syscall(Expr* e, Symbol* s) {
    size_t first = 0;
    int slot = 0;
    if (s->sysResult == SysResult::FirstArg && !e->args.empty()) {
        slot = temp(4);
        refLocal(slot, 4);
        value(e->args[0]);
        em_.emit(op::ASSIGN);  // leaves the argument pushed
        first = 1;
    }
    for (size_t i = first; i < e->args.size(); ++i) value(e->args[i]);
    if (s->sysResult == SysResult::Counted) em_.push(int64_t(e->args.size()));
    em_.emit(uint8_t(s->syscall));
    if (isVoid(e->type)) return;
    if (s->sysResult == SysResult::FirstArg)
        em_.emit(op::LDL_L, slot);
    else if (s->sysResult != SysResult::Pushed)
        em_.push(0);
}

}  // namespace corvane::cc
