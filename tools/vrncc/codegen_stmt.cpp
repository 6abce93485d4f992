// Code generation. Statements: control flow, switch dispatch and the initialisers of locals.

#include "tools/vrncc/codegen_internal.h"

namespace corvane::cc {

int CodeGen::userLabel(const std::string& name, const Loc& loc) {
    UserLabel& l = labels_[name];
    if (l.label < 0) {
        l.label = em_.newLabel();
        l.loc = loc;
    }
    return l.label;
}

void CodeGen::lineMarker(uint32_t value) {
    if (value) em_.emit(op::LINE, int32_t(value));
}

void CodeGen::stmt(Stmt* s) {
    // Temporaries live for one statement (and the statements inside it): the next one reuses
    // their room, and the frame is as large as the most any statement needed.
    struct Reuse {
        CodeGen& g;
        int mark;
        ~Reuse() {
            g.tempsPeak_ = std::max(g.tempsPeak_, g.temps_);
            g.temps_ = mark;
        }
    } reuse{*this, temps_};
    if (dbg_) lineMarker(dbg_->statement(s));
    switch (s->kind) {
        case St::Compound:
            for (Stmt* c : s->list) stmt(c);
            break;
        case St::Expr:
            discard(s->e);
            break;
        case St::Decl:
            localInit(s->sym);
            break;
        case St::Empty:
            break;
        case St::If: {
            const int elseL = em_.newLabel(), end = em_.newLabel();
            branch(s->e, false, elseL);
            stmt(s->s1);
            if (s->s2) em_.emit(op::JMP, end);
            em_.label(elseL);
            if (s->s2) stmt(s->s2);
            em_.label(end);
            break;
        }
        case St::While: {
            const int top = em_.newLabel(), test = em_.newLabel(), end = em_.newLabel();
            em_.emit(op::JMP, test);
            em_.label(top);
            loop(s->s1, end, test);
            em_.label(test);
            if (dbg_) dbg_->place(test, s->e->loc);
            branch(s->e, true, top);
            em_.label(end);
            break;
        }
        case St::Do: {
            const int top = em_.newLabel(), test = em_.newLabel(), end = em_.newLabel();
            em_.label(top);
            loop(s->s1, end, test);
            em_.label(test);
            if (dbg_) dbg_->place(test, s->e->loc);
            branch(s->e, true, top);
            em_.label(end);
            break;
        }
        case St::For: {
            if (countedFor(s)) break;
            const int top = em_.newLabel(), next = em_.newLabel(), test = em_.newLabel(),
                      end = em_.newLabel();
            if (s->s1) stmt(s->s1);
            em_.emit(op::JMP, test);
            em_.label(top);
            loop(s->s2, end, next);
            em_.label(next);
            if (s->e2) {
                if (dbg_) dbg_->place(next, s->e2->loc);
                discard(s->e2);
            }
            em_.label(test);
            if (s->e) {
                if (dbg_) dbg_->place(test, s->e->loc);
                branch(s->e, true, top);
            } else {
                em_.emit(op::JMP, top);
            }
            em_.label(end);
            break;
        }
        case St::Switch:
            switchStmt(s);
            break;
        case St::Case:
        case St::Default:
            em_.label(s->codeLabel);
            if (dbg_) dbg_->jumpTarget();
            stmt(s->s1);
            break;
        case St::Break:
            em_.emit(op::JMP, targets_.back().brk);
            break;
        case St::Continue:
            for (auto it = targets_.rbegin(); it != targets_.rend(); ++it)
                if (it->cont >= 0) {
                    em_.emit(op::JMP, it->cont);
                    break;
                }
            break;
        case St::Return:
            if (s->e) {
                if (isVoid(s->e->type))
                    discard(s->e);
                else
                    value(s->e, fn_ != main_ && lowResult(fn_->type->base));
            }
            if ((!s->e && !isVoid(fn_->type->base)) || (mainInPlace_ && isVoid(fn_->type->base)))
                em_.push(0);
            em_.emit(mainInPlace_ ? op::EXIT : op::RET);
            break;
        case St::Goto:
            em_.emit(op::JMP, userLabel(s->label, s->loc));
            break;
        case St::Label: {
            UserLabel& l = labels_[s->label];
            if (l.defined) d_.error(s->loc, "label '" + s->label + "' defined twice");
            const int lab = userLabel(s->label, s->loc);
            labels_[s->label].defined = true;
            em_.label(lab);
            if (dbg_) dbg_->jumpTarget();
            stmt(s->s1);
            break;
        }
    }
}

void CodeGen::loop(Stmt* body, int brk, int cont) {
    targets_.push_back({brk, cont});
    stmt(body);
    targets_.pop_back();
}

void CodeGen::switchStmt(Stmt* s) {
    // The value, or the address of a 64-bit one, is kept in a frame slot for the comparisons.
    const bool wide = isLLong(s->e->type);
    // A local whose load is the switch's value is compared where it is: no case runs before
    // the last comparison, so nothing changes it in between.
    caseLoad_ = op::LDL_L;
    int slot = 0;
    if (const Symbol* v = switchedLocal(s->e)) {
        slot = v->frameOffset;
        caseLoad_ = byWidth(width(v->type), op::LDL_C, op::LDL_I, op::LDL_L);
    } else {
        slot = temp(4);
        refLocal(slot, 4);
        value(s->e);
        em_.emit(op::ASSIGN);
        em_.emit(op::POP_COND);
    }
    const int end = em_.newLabel();
    int dflt = end;
    std::vector<Stmt*> cases;
    for (Stmt* c : s->cases) {
        c->codeLabel = em_.newLabel();
        if (c->kind == St::Default)
            dflt = c->codeLabel;
        else
            cases.push_back(c);
    }
    std::sort(cases.begin(), cases.end(), [](Stmt* a, Stmt* b) {
        return int32_t(uint32_t(a->value)) < int32_t(uint32_t(b->value));
    });
    // A binary search over the sorted case values, a few equality tests at its leaves.
    if (wide)
        caseChain64(cases, slot, dflt);
    else
        caseRange(cases, 0, int(cases.size()) - 1, slot, dflt);
    targets_.push_back({end, -1});
    stmt(s->s1);
    targets_.pop_back();
    em_.label(end);
}

// The local a switch's value is, when loading it gives that value: an int, a long or an
// unsigned char (zero-extended by its load), possibly promoted to int.
const Symbol* CodeGen::switchedLocal(const Expr* e) {
    auto plain = [](const Expr* x) {
        return x->op == Op::Var && x->sym &&
               (x->sym->storage == Storage::Local || x->sym->storage == Storage::Param) &&
               !x->type->bits;
    };
    if (e->op == Op::Cast && e->type->kind == Kind::Int && plain(e->a) &&
        (e->a->type->kind == Kind::UChar || e->a->type->kind == Kind::Short ||
         (e->a->type->kind == Kind::Char && isUnsigned(e->a->type))))
        return e->a->sym;
    if (plain(e) && (e->type->kind == Kind::Int || e->type->kind == Kind::Short ||
                     e->type->kind == Kind::Long || e->type->kind == Kind::ULong))
        return e->sym;
    return nullptr;
}

void CodeGen::caseRange(const std::vector<Stmt*>& cases, int lo, int hi, int slot, int dflt) {
    if (hi - lo < 4) {
        for (int k = lo; k <= hi; ++k) {
            em_.emit(caseLoad_, slot);
            em_.push(cases[size_t(k)]->value);
            em_.emit(op::EQ);
            em_.emit(op::POP_COND);
            em_.emit(op::JNZ, cases[size_t(k)]->codeLabel);
        }
        em_.emit(op::JMP, dflt);
        return;
    }
    const int mid = (lo + hi + 1) / 2;
    const int left = em_.newLabel();
    em_.emit(caseLoad_, slot);
    em_.push(cases[size_t(mid)]->value);
    em_.emit(op::LT);
    em_.emit(op::POP_COND);
    em_.emit(op::JNZ, left);
    caseRange(cases, mid, hi, slot, dflt);
    em_.label(left);
    caseRange(cases, lo, mid - 1, slot, dflt);
}

void CodeGen::localInit(Symbol* s) {
    if (!s->hasInit) return;
    const int64_t size = sizeOf(s->type);
    if (!isScalar(s->type)) {
        // Aggregates: zero first, then the elements that were given.
        bool single = s->init.size() == 1 && s->init[0].offset == 0 &&
                      isAggregate(s->init[0].type) && isAggregate(s->type);
        if (!single) {
            em_.emit(op::ADDRL, s->frameOffset);
            em_.push(0);
            em_.push(size);
            em_.emit(call::memset);
        }
    }
    for (const InitItem& it : s->init) {
        const int at = s->frameOffset + it.offset;
        if (it.expr->op == Op::Str && isArray(it.type)) {
            em_.emit(op::ADDRL, at);
            value(it.expr);
            em_.push(stringCopySize(it));
            em_.emit(call::memcpy);
        } else if (it.type->bits) {
            storeBits(
                {LV::Local, at}, it.type, [&] { value(it.expr); }, it.expr->loc);
            em_.emit(op::POP_COND);
        } else if (inMemory(it.type)) {
            em_.emit(op::ADDRL, at);
            value(it.expr);
            em_.push(sizeOf(it.type));
            em_.emit(call::memcpy);
        } else {
            refLocal(at, tagOf(it.type));
            value(it.expr, lowStore(it.type));
            em_.emit(op::ASSIGN);
            em_.emit(op::POP_COND);
        }
    }
}

}  // namespace corvane::cc
