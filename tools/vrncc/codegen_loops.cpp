// Code generation. Counted `for` loops, laid out the way a careful hand writes them: no jump to
// the test when the first test is known to hold, and a step by one tested on the value the step
// leaves instead of a second load of the variable, where that value is the variable's.

#include "tools/vrncc/codegen_internal.h"
#include "tools/vrncc/parser.h"

namespace corvane::cc {
namespace {

bool isStep(const Expr* e) {
    return e->op == Op::PreInc || e->op == Op::PostInc || e->op == Op::PreDec ||
           e->op == Op::PostDec;
}

// A local or parameter of a plain integer type (no bit-field, no 64-bit type).
bool plainLocal(const Expr* e) {
    return e->op == Op::Var && e->sym &&
           (e->sym->storage == Storage::Local || e->sym->storage == Storage::Param) &&
           isInteger(e->type) && !e->type->bits && !isLLong(e->type);
}

// The local a comparison's operand reads, through a widening to 32 bits (which emits no code).
Symbol* comparedLocal(const Expr* a) {
    if (a->op == Op::Cast && isInteger(a->type) && sizeOf(a->type) == 4 && isInteger(a->a->type) &&
        sizeOf(a->a->type) <= 4)
        a = a->a;
    return plainLocal(a) ? a->sym : nullptr;
}

// `v op k` for a local v and a constant k, the loop tests this file knows.
bool countedTest(const Expr* e) {
    return (e->op == Op::Lt || e->op == Op::Le || e->op == Op::Gt || e->op == Op::Ge ||
            e->op == Op::Eq || e->op == Op::Ne) &&
           comparedLocal(e->a) && e->b->op == Op::Num && isInteger(e->b->type);
}

bool holds(Op o, int64_t x, int64_t k) {
    switch (o) {
        case Op::Lt:
            return x < k;
        case Op::Le:
            return x <= k;
        case Op::Gt:
            return x > k;
        case Op::Ge:
            return x >= k;
        case Op::Eq:
            return x == k;
        default:
            return x != k;
    }
}

// What an expression or statement does to a local: writes it, takes its address, or lets a
// jump from outside land inside (a label, or a case of a switch around it).
// With `addressOnly`, only the address taken counts.
struct Hazards {
    const Symbol* v = nullptr;
    bool addressOnly = false;
    bool found = false;

    void expr(const Expr* e) {
        if (!e || found) return;
        const bool writes = e->op == Op::Assign || e->op == Op::CompoundAssign || isStep(e);
        if ((e->op == Op::Addr || (writes && !addressOnly)) && e->a->op == Op::Var &&
            e->a->sym == v) {
            found = true;
            return;
        }
        if (e->op == Op::CompoundLit && e->sym)
            for (const InitItem& it : e->sym->init) expr(it.expr);
        expr(e->a);
        expr(e->b);
        expr(e->c);
        for (const Expr* x : e->args) expr(x);
    }

    void stmt(const Stmt* s, bool inSwitch) {
        if (!s || found) return;
        if (!addressOnly && (s->kind == St::Label ||
                             ((s->kind == St::Case || s->kind == St::Default) && !inSwitch))) {
            found = true;
            return;
        }
        if (s->kind == St::Decl && s->sym)
            for (const InitItem& it : s->sym->init) expr(it.expr);
        expr(s->e);
        expr(s->e2);
        const bool nested = inSwitch || s->kind == St::Switch;
        stmt(s->s1, nested);
        stmt(s->s2, nested);
        for (const Stmt* c : s->list) stmt(c, nested);
    }
};

// The constant `init` sets the local `v` to, as `v` holds it.
bool initialValue(const Stmt* init, const Symbol* v, int64_t& x) {
    if (!init) return false;
    const Expr* set = nullptr;
    if (init->kind == St::Expr && init->e->op == Op::Assign && init->e->a->op == Op::Var &&
        init->e->a->sym == v)
        set = init->e->b;
    else if (init->kind == St::Decl && init->sym == v && v->init.size() == 1 &&
             v->init[0].offset == 0)
        set = v->init[0].expr;
    if (!set || set->op != Op::Num || !isInteger(set->type)) return false;
    x = normalize(set->value, v->type);
    return true;
}

// The values of an integer type (not _Bool).
bool bounds(const Type* t, int64_t& lo, int64_t& hi) {
    if (!isInteger(t) || t->kind == Kind::Bool || t->bits || isLLong(t)) return false;
    integerRange(t, lo, hi);
    return true;
}

bool inType(int64_t lo, int64_t hi, const Type* t) {
    int64_t tlo, thi;
    return bounds(t, tlo, thi) && lo >= tlo && hi <= thi;
}

// The expression the first part of a `for` stores last into the local `v`: an assignment to it
// alone, or one in a list of assignments to locals (`p = a, q = b`) none of whose values writes
// `v` again.
Expr* assignedBy(const Stmt* init, const Symbol* v) {
    if (!init || init->kind != St::Expr) return nullptr;
    Expr* found = nullptr;
    // The list's parts from its last to its first: a comma's right side first.
    std::vector<Expr*> parts{init->e};
    while (!parts.empty()) {
        Expr* e = parts.back();
        parts.pop_back();
        if (e->op == Op::Comma) {
            parts.push_back(e->a);
            parts.push_back(e->b);
            continue;
        }
        if (e->op != Op::Assign || e->a->op != Op::Var) return nullptr;
        Hazards writes{v, false};
        writes.expr(e->b);
        if (writes.found) return nullptr;
        if (e->a->sym == v && !found) found = e->b;
    }
    return found;
}

}  // namespace

// Whether `init` sets the tested local to a constant for which the test holds: the loop may
// start with its body.
bool CodeGen::holdsOnEntry(const Stmt* init, const Expr* test) {
    if (!init || !test) return false;
    if (pointersApartOnEntry(init, test)) return true;
    if (!countedTest(test)) return false;
    int64_t x;
    if (!initialValue(init, comparedLocal(test->a), x)) return false;
    return holds(test->op, normalize(x, test->a->type), normalize(test->b->value, test->b->type));
}

// The address a pointer expression is known to hold wherever it is read: a constant address, or
// a local that its declaration sets to one and that nothing else writes or takes the address of.
bool CodeGen::knownAddress(Expr* e, Symbol*& sym, int64_t& off) {
    if (e->op == Op::Var && e->sym && e->sym->storage == Storage::Local &&
        e->sym->init.size() == 1 && e->sym->init[0].offset == 0 && isPointer(e->sym->type) &&
        safeFromBody(e->sym, fn_->body))
        return constAddress(e->sym->init[0].expr, sym, off);
    return constAddress(e, sym, off);
}

// `p != q` (or `p == q`) where the first part of the `for` sets the local `p` to an address in
// the same object as the one `q` is known to hold, at another offset (or the same): the test
// holds the first time.
bool CodeGen::pointersApartOnEntry(const Stmt* init, const Expr* test) {
    if (test->op != Op::Ne && test->op != Op::Eq) return false;
    // The comparison's operands are converted to a common type: the pointers are inside.
    auto pointer = [](Expr* e) {
        while (e->op == Op::Cast && isPointer(e->a->type)) e = e->a;
        return isPointer(e->type) ? e : nullptr;
    };
    Expr* const tested = pointer(test->a);
    Expr* const limit = pointer(test->b);
    if (!tested || !limit || tested->op != Op::Var || !tested->sym) return false;
    const Symbol* v = tested->sym;
    if (v->storage != Storage::Local && v->storage != Storage::Param) return false;
    Expr* start = assignedBy(init, v);
    Symbol *startSym = nullptr, *limitSym = nullptr;
    int64_t startOff = 0, limitOff = 0;
    if (!start || !constAddress(start, startSym, startOff) ||
        !knownAddress(limit, limitSym, limitOff) || startSym != limitSym || !startSym)
        return false;
    const bool same = ((startOff - limitOff) & 0xFFFF) == 0;
    return test->op == Op::Ne ? !same : same;
}

// Whether the body of `for (v = c; v < k; v++)` (or <=, or a step down with > or >=) sees `v`
// only in c..k-1: it starts at c, the body does not change it, and the step cannot wrap, as
// the test bounds it away from the end of its type.
bool CodeGen::bodyRange(const Stmt* s, Range& r) const {
    const Expr *step = s->e2, *test = s->e;
    if (!step || !test || !isStep(step) || step->value != 1 || !plainLocal(step->a) ||
        !countedTest(test) || comparedLocal(test->a) != step->a->sym)
        return false;
    const Symbol* v = step->a->sym;
    int64_t c, tlo, thi;
    if (!initialValue(s->s1, v, c) || !bounds(v->type, tlo, thi) || !safeFromBody(v, s->s2))
        return false;
    const int64_t k = normalize(test->b->value, test->b->type);
    const bool inc = step->op == Op::PreInc || step->op == Op::PostInc;
    r.v = v;
    if (inc && (test->op == Op::Lt || test->op == Op::Le)) {
        r.lo = c;
        r.hi = test->op == Op::Lt ? k - 1 : k;
    } else if (!inc && (test->op == Op::Gt || test->op == Op::Ge)) {
        r.lo = test->op == Op::Gt ? k + 1 : k;
        r.hi = c;
    } else {
        return false;
    }
    return r.lo <= r.hi && r.lo > tlo && r.hi < thi;
}

// The values an integer expression takes, when the loops around it bound them and nothing in
// it leaves its type's range (so no cut changes it).
bool CodeGen::rangeOf(const Expr* e, int64_t& lo, int64_t& hi) const {
    int64_t alo, ahi, blo, bhi;
    switch (e->op) {
        case Op::Num:
            if (!isInteger(e->type)) return false;
            lo = hi = normalize(e->value, e->type);
            return true;
        case Op::Var:
            for (auto it = ranges_.rbegin(); it != ranges_.rend(); ++it)
                if (it->v == e->sym) {
                    lo = it->lo;
                    hi = it->hi;
                    return true;
                }
            return false;
        case Op::Cast:
            if (!isInteger(e->a->type) || !rangeOf(e->a, lo, hi)) return false;
            break;
        case Op::Add:
        case Op::Sub:
        case Op::Mul:
            if (!rangeOf(e->a, alo, ahi) || !rangeOf(e->b, blo, bhi)) return false;
            // Operands of at most 32 bits: no product of them overflows 64 bits.
            if (e->op == Op::Add) {
                lo = alo + blo;
                hi = ahi + bhi;
            } else if (e->op == Op::Sub) {
                lo = alo - bhi;
                hi = ahi - blo;
            } else {
                const int64_t p[] = {alo * blo, alo * bhi, ahi * blo, ahi * bhi};
                lo = *std::min_element(std::begin(p), std::end(p));
                hi = *std::max_element(std::begin(p), std::end(p));
            }
            break;
        default:
            return false;
    }
    return inType(lo, hi, e->type);
}

// Whether `body` leaves the local `v` as it found it: it does not write it, nothing else does
// (its address is taken nowhere in the function), and no jump from outside lands inside.
bool CodeGen::safeFromBody(const Symbol* v, const Stmt* body) const {
    Hazards address{v, true};
    address.stmt(fn_->body, false);
    Hazards inside{v, false};
    inside.stmt(body, false);
    return !address.found && !inside.found;
}

// Whether the step `step` of a loop with test `test` and body `body` can be tested on the value
// that PREINC or PREDEC leaves. That value is the 32-bit sum of the value read through the typed
// address (a char zero-extended, an int sign-extended) and the step, not cut: it is the
// variable's new value when the sum did not leave the type's range. A 32-bit variable always
// gets the whole sum. A narrower one must be kept in range by the test itself: the step only
// runs after the body, entered when the test held, and the body may not change the variable nor
// be entered from elsewhere.
bool CodeGen::testsStepValue(const Expr* step, const Expr* test, const Stmt* body) const {
    if (!step || !test || !isStep(step) || step->value != 1 || !plainLocal(step->a) ||
        !countedTest(test) || comparedLocal(test->a) != step->a->sym)
        return false;
    const Symbol* v = step->a->sym;
    if (sizeOf(v->type) == 4) return true;
    if (!safeFromBody(v, body)) return false;
    const bool inc = step->op == Op::PreInc || step->op == Op::PostInc;
    // The old values for which the pushed value is the new one: an int's up to 32766 (down to
    // -32767), an unsigned int's 0..32766 (sign-extended past that), an unsigned char's 0..254
    // (down to 1).
    int64_t lo, hi;
    switch (v->type->kind) {
        case Kind::Int:
        case Kind::Short:
            lo = -32767;
            hi = 32766;
            break;
        case Kind::UInt:
        case Kind::UShort:
            if (!inc) return false;  // a value above 32767 would pass the test sign-extended
            lo = 1;
            hi = 32766;
            break;
        case Kind::UChar:
            lo = 1;
            hi = 254;
            break;
        case Kind::Char:
            if (isUnsigned(v->type)) {
                lo = 1;
                hi = 254;
                break;
            }
            return false;
        default:
            return false;
    }
    const int64_t k = normalize(test->b->value, test->b->type);
    if (inc) return (test->op == Op::Lt && k - 1 <= hi) || (test->op == Op::Le && k <= hi);
    return (test->op == Op::Gt && k + 1 >= lo) || (test->op == Op::Ge && k >= lo);
}

// The step and the test in one: the variable stepped, the value left compared, and the jump
// back to the body when the test holds.
void CodeGen::stepAndTest(Expr* step, Expr* test, int top) {
    Expr* v = step->a;
    const bool inc = step->op == Op::PreInc || step->op == Op::PostInc;
    if (sizeOf(v->type) == 4) {
        // x = x + 1 through ADDRL: ASSIGN leaves the whole value, and the run loop takes the
        // step, the test and the jump as one.
        em_.emit(op::ADDRL, v->sym->frameOffset);
        em_.emit(op::LDL_L, v->sym->frameOffset);
        em_.emit(inc ? op::ADDI : op::SUBI, 1);
        em_.emit(op::ASSIGN);
    } else {
        ref(lvalue(v), v->type);
        em_.emit(inc ? op::PREINC : op::PREDEC);
    }
    const bool ulong = test->a->type->kind == Kind::ULong;
    if (ulong) flipSign();
    value(test->b);
    if (ulong) flipSign();
    em_.emit(compareOpcode(test->op));
    em_.emit(op::POP_COND);
    em_.emit(op::JNZ, top);
}

// for (init; test; step) body, without debug information (which keeps each part in one place
// for its line): the test before the body only when it may fail the first time, and again after
// the step, so no pass jumps to it. Returns false for a loop without a test.
bool CodeGen::countedFor(Stmt* s) {
    if (dbg_ || !s->e) return false;
    const bool entered = holdsOnEntry(s->s1, s->e);
    const bool fused = testsStepValue(s->e2, s->e, s->s2);
    Range r;
    const bool ranged = bodyRange(s, r);
    const int top = em_.newLabel(), next = em_.newLabel(), end = em_.newLabel();
    if (s->s1) stmt(s->s1);
    if (!entered) branch(s->e, false, end);
    em_.label(top);
    if (ranged) ranges_.push_back(r);
    loop(s->s2, end, next);
    if (ranged) ranges_.pop_back();
    em_.label(next);
    if (fused) {
        stepAndTest(s->e2, s->e, top);
    } else {
        if (s->e2) discard(s->e2);
        branch(s->e, true, top);
    }
    em_.label(end);
    return true;
}

}  // namespace corvane::cc
