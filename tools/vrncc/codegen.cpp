// Code generation. Every expression leaves exactly one 32-bit slot on the operand stack (none
// when its type is void), holding the value as C sees it at the type's width: 16-bit signed
// values sign-extended, unsigned and pointer values zero-extended. Struct and union values are
// the address of their object. POP_COND serves to drop a slot.

#include "tools/vrncc/codegen.h"

#include <algorithm>
#include <deque>
#include <map>
#include <set>

#include "tools/vrncc/debug_record.h"
#include "tools/vrncc/emitter.h"
#include "tools/vrncc/parser.h"
#include "vm/opcodes.h"
#include "vm/typed_address.h"

namespace corvane::cc {
namespace {

int tagOf(const Type* t) {
    return width(t);
}

struct LV {
    enum Kind { Local, Global, Stack, Temp } kind = Stack;
    int addr = 0;
};

class CodeGen {
  public:
    CodeGen(Program& p, Diagnostics& d, const Layout& l, DebugRecorder* dbg)
        : p_(p), d_(d), layout_(l), dbg_(dbg) {}

    std::vector<uint8_t> run() {
        Symbol* main = nullptr;
        auto it = p_.externals.find("main");
        if (it != p_.externals.end() && isFunction(it->second->type) && it->second->body)
            main = it->second;
        if (!main) {
            d_.error("no function 'main' is defined");
            return {};
        }
        // Numbers for functions whose address is taken: a pointer to a function holds one.
        int n = 0;
        for (Symbol* f : p_.functions)
            if (f->dispatchIndex != 0) {
                f->dispatchIndex = ++n;
                dispatchTable_.push_back(f);
                if (f->body) enqueue(f);
            }
        layoutGlobals();
        if (d_.errorCount()) return {};
        // Start-up: frame stack, initial data, main, and its result left for EXIT.
        em_.emit(op::SETSP, int32_t(stackBase_));
        for (Symbol* g : laidOut_) initData(g);
        const bool mainArgs = !main->params.empty();
        if (mainArgs) {
            em_.push(0);
            em_.push(0);
        }
        em_.emit(op::CALL, labelOf(main));
        if (isVoid(main->type->base)) em_.push(0);
        em_.emit(op::EXIT);
        enqueue(main);
        while (!queue_.empty()) {
            Symbol* f = queue_.front();
            queue_.pop_front();
            function(f);
        }
        if (!dispatchTable_.empty()) dispatcher();
        if (d_.errorCount()) return {};
        em_.peephole();
        if (dbg_) dbg_->finish(p_, em_);
        return em_.encode();
    }

  private:
    // --- layout and data ---
    void layoutGlobals() {
        uint32_t at = layout_.dataStart + 2;  // after the dispatch word
        std::set<Symbol*> seen;
        for (Symbol* g : p_.globals) {
            if (!seen.insert(g).second) continue;
            if (!g->defined) continue;
            int64_t s = sizeOf(g->type);
            if (s < 0 && isArray(g->type)) {
                g->type = p_.types.arrayOf(g->type->base, 1);
                s = sizeOf(g->type);
            }
            if (s < 0) {
                d_.error(g->loc, "'" + g->name + "' has an incomplete type");
                continue;
            }
            g->address = at;
            g->laidOut = true;
            at += uint32_t(s);
            laidOut_.push_back(g);
        }
        stackBase_ = at;
        if (at + layout_.minStack > layout_.dataEnd)
            d_.error("the program's data does not fit: " + std::to_string(at - layout_.dataStart) +
                     " bytes of globals and " + std::to_string(layout_.minStack) +
                     " bytes of frame stack, but only " +
                     std::to_string(layout_.dataEnd - layout_.dataStart) + " bytes of DataArea");
    }

    uint32_t addressOf(Symbol* s, const Loc& loc) {
        if (!s->laidOut) {
            d_.error(loc, "undefined reference to '" + s->name + "'");
            s->laidOut = true;  // report it once
        }
        return s->address;
    }

    bool constAddress(Expr* e, Symbol*& sym, int64_t& off) {
        switch (e->op) {
            case Op::Str:
                sym = e->sym;
                off = 0;
                return true;
            case Op::Addr:
                if (e->a->op == Op::Var) {
                    sym = e->a->sym;
                    off = 0;
                    return sym->storage != Storage::Local && sym->storage != Storage::Param;
                }
                if (e->a->op == Op::Str) return constAddress(e->a, sym, off);
                if (e->a->op == Op::Member && constAddress(addrOf(e->a->a), sym, off)) {
                    off += e->a->value;
                    return true;
                }
                if (e->a->op == Op::Deref) return constAddress(e->a->a, sym, off);
                return false;
            case Op::Cast:
                return isScalar(e->type) && constAddress(e->a, sym, off);
            case Op::Add:
            case Op::Sub:
                if (e->b->op == Op::Num && constAddress(e->a, sym, off)) {
                    off += e->op == Op::Add ? e->b->value : -e->b->value;
                    return true;
                }
                return false;
            default:
                return false;
        }
    }

    // Bytes of a string literal that go into the char array it initialises: all of them, or as
    // many as the array holds (an array whose size the string gave takes them all).
    static int64_t stringCopySize(const InitItem& it) {
        const int64_t n = int64_t(it.expr->sym->bytes.size());
        const int64_t room = sizeOf(it.type);
        return room < 0 ? n : std::min(n, room);
    }

    Expr* addrOf(Expr* x) {
        Expr* a = p_.newExpr(Op::Addr, p_.types.pointerTo(x->type), x->loc);
        a->a = x;
        return a;
    }

    void initData(Symbol* g) {
        std::vector<uint8_t> bytes(size_t(sizeOf(g->type)), 0);
        if (g->isLiteral) bytes = g->bytes;
        for (const InitItem& it : g->init) {
            Expr* e = it.expr;
            if (e->op == Op::Str && isArray(it.type)) {
                size_t n = size_t(stringCopySize(it));
                std::copy_n(e->sym->bytes.begin(), n, bytes.begin() + it.offset);
                continue;
            }
            int64_t v = 0;
            Symbol* sym = nullptr;
            int64_t off = 0;
            if (e->op == Op::Num) {
                v = e->value;
            } else if (constAddress(e, sym, off)) {
                if (isFunction(sym->type))
                    v = sym->dispatchIndex + off;
                else
                    v = int64_t(addressOf(sym, e->loc)) + off;
            } else {
                d_.error(e->loc, "initialiser of '" + g->name + "' is not a constant");
                continue;
            }
            for (int b = 0; b < width(it.type); ++b)
                bytes[size_t(it.offset + b)] = uint8_t(uint32_t(v) >> (8 * b));
        }
        // DataArea is zero after a reset: only the runs that are not zero are copied.
        size_t i = 0;
        while (i < bytes.size()) {
            if (!bytes[i]) {
                ++i;
                continue;
            }
            size_t j = i, zeros = 0;
            while (j < bytes.size() && zeros < 8 && j - i < 60000) {
                zeros = bytes[j] ? 0 : zeros + 1;
                ++j;
            }
            j -= zeros;
            Ins ins{op::INITDATA, int32_t(g->address + i), 0, {}};
            ins.data.assign(bytes.begin() + std::ptrdiff_t(i), bytes.begin() + std::ptrdiff_t(j));
            em_.code.push_back(std::move(ins));
            i = j;
        }
    }

    // --- functions ---
    int labelOf(Symbol* f) {
        if (f->label < 0) f->label = em_.newLabel();
        return f->label;
    }

    void enqueue(Symbol* f) {
        if (queued_.insert(f).second) queue_.push_back(f);
    }

    Symbol* runtime(const char* name, const Loc& loc) {
        auto it = p_.externals.find(name);
        if (it == p_.externals.end() || !it->second->body) {
            d_.error(loc, std::string("the runtime library has no '") + name + "'");
            return nullptr;
        }
        enqueue(it->second);
        return it->second;
    }

    void function(Symbol* f) {
        fn_ = f;
        temps_ = f->localsSize;
        labels_.clear();
        em_.label(labelOf(f));
        const size_t enter = em_.code.size();
        const int argc = int(f->params.size()) + (f->varargs ? 1 : 0);
        em_.emit(op::ENTER, 0, argc);
        for (Symbol* p : f->params) {
            if (!p->paramCopy) continue;
            em_.emit(op::ADDRL, p->paramCopy->frameOffset);
            em_.emit(op::LDL_I, p->frameOffset);
            em_.push(sizeOf(p->type));
            em_.emit(call::memcpy);
        }
        // Every function pushes its marker: the machine's RET pops one whatever it returns from.
        if (dbg_) em_.emit(op::FUNC, int32_t(dbg_->beginFunction(f)));
        stmt(f->body);
        if (dbg_) lineMarker(dbg_->functionEnd());
        if (!isVoid(f->type->base)) em_.push(0);
        em_.emit(op::RET);
        if (dbg_) {
            const int end = em_.newLabel();
            em_.label(end);
            dbg_->endFunction(labelOf(f), end);
        }
        for (auto& [name, l] : labels_)
            if (!l.defined) d_.error(l.loc, "label '" + name + "' is used but not defined");
        if (temps_ > 0xFFFF) d_.error(f->loc, "the frame of '" + f->name + "' is too large");
        em_.code[enter].imm = temps_;
    }

    int temp(int bytes) {
        int at = temps_;
        temps_ += bytes;
        return at;
    }

    void dispatcher() {
        em_.label(dispatchLabel());
        const int bad = em_.newLabel();
        dispatchRange(1, int(dispatchTable_.size()), bad);
        em_.label(bad);
        em_.emit(op::EXIT);  // a call through a pointer that names no function
    }

    void dispatchRange(int lo, int hi, int bad) {
        if (hi - lo < 3) {
            for (int k = lo; k <= hi; ++k) {
                Symbol* f = dispatchTable_[size_t(k - 1)];
                em_.emit(op::LDG_I, int32_t(scratch()));
                em_.push(k);
                em_.emit(op::EQ);
                em_.emit(op::POP_COND);
                if (f->body)
                    em_.emit(op::JNZ, labelOf(f));
                else
                    d_.error(f->loc, "'" + f->name + "' has no body to call through a pointer");
            }
            em_.emit(op::JMP, bad);
            return;
        }
        const int mid = (lo + hi + 1) / 2;
        const int left = em_.newLabel();
        em_.emit(op::LDG_I, int32_t(scratch()));
        em_.push(mid);
        em_.emit(op::LT);
        em_.emit(op::POP_COND);
        em_.emit(op::JNZ, left);
        dispatchRange(mid, hi, bad);
        em_.label(left);
        dispatchRange(lo, mid - 1, bad);
    }

    int dispatchLabel() {
        if (dispatchLabel_ < 0) dispatchLabel_ = em_.newLabel();
        return dispatchLabel_;
    }

    // The number of the function a call through a pointer goes to: the first word of the data.
    uint32_t scratch() const { return layout_.dataStart; }

    // --- statements ---
    struct Target {
        int brk = -1, cont = -1;
    };

    struct UserLabel {
        int label = -1;
        bool defined = false;
        Loc loc;
    };

    int userLabel(const std::string& name, const Loc& loc) {
        UserLabel& l = labels_[name];
        if (l.label < 0) {
            l.label = em_.newLabel();
            l.loc = loc;
        }
        return l.label;
    }

    void lineMarker(uint32_t value) {
        if (value) em_.emit(op::LINE, int32_t(value));
    }

    void stmt(Stmt* s) {
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
                branch(s->e, true, top);
                em_.label(end);
                break;
            }
            case St::Do: {
                const int top = em_.newLabel(), test = em_.newLabel(), end = em_.newLabel();
                em_.label(top);
                loop(s->s1, end, test);
                em_.label(test);
                branch(s->e, true, top);
                em_.label(end);
                break;
            }
            case St::For: {
                const int top = em_.newLabel(), next = em_.newLabel(), test = em_.newLabel(),
                          end = em_.newLabel();
                if (s->s1) stmt(s->s1);
                em_.emit(op::JMP, test);
                em_.label(top);
                loop(s->s2, end, next);
                em_.label(next);
                if (s->e2) discard(s->e2);
                em_.label(test);
                if (s->e)
                    branch(s->e, true, top);
                else
                    em_.emit(op::JMP, top);
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
                        value(s->e);
                } else if (!isVoid(fn_->type->base)) {
                    em_.push(0);
                }
                em_.emit(op::RET);
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

    void loop(Stmt* body, int brk, int cont) {
        targets_.push_back({brk, cont});
        stmt(body);
        targets_.pop_back();
    }

    void switchStmt(Stmt* s) {
        const int slot = temp(4);
        em_.emit(op::PUSH_D, int32_t(kFrameRelative | 4u << 16 | uint32_t(slot)));
        value(s->e);
        em_.emit(op::ASSIGN);
        em_.emit(op::POP_COND);
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
        caseRange(cases, 0, int(cases.size()) - 1, slot, dflt);
        targets_.push_back({end, -1});
        stmt(s->s1);
        targets_.pop_back();
        em_.label(end);
    }

    void caseRange(const std::vector<Stmt*>& cases, int lo, int hi, int slot, int dflt) {
        if (hi - lo < 4) {
            for (int k = lo; k <= hi; ++k) {
                em_.emit(op::LDL_L, slot);
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
        em_.emit(op::LDL_L, slot);
        em_.push(cases[size_t(mid)]->value);
        em_.emit(op::LT);
        em_.emit(op::POP_COND);
        em_.emit(op::JNZ, left);
        caseRange(cases, mid, hi, slot, dflt);
        em_.label(left);
        caseRange(cases, lo, mid - 1, slot, dflt);
    }

    void localInit(Symbol* s) {
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
            } else if (isAggregate(it.type)) {
                em_.emit(op::ADDRL, at);
                value(it.expr);
                em_.push(sizeOf(it.type));
                em_.emit(call::memcpy);
            } else {
                em_.emit(op::PUSH_D,
                         int32_t(kFrameRelative | uint32_t(tagOf(it.type)) << 16 | uint32_t(at)));
                value(it.expr);
                em_.emit(op::ASSIGN);
                em_.emit(op::POP_COND);
            }
        }
    }

    // --- lvalues ---
    bool onStack(const Expr* e) const {
        switch (e->op) {
            case Op::Var:
            case Op::Str:
                return false;
            case Op::Member:
                return !e->a->lvalue || onStack(e->a) || e->a->op == Op::Call;
            default:
                return true;
        }
    }

    LV lvalue(Expr* e) {
        switch (e->op) {
            case Op::Var: {
                Symbol* s = e->sym;
                if (s->storage == Storage::Local || s->storage == Storage::Param)
                    return {LV::Local, s->frameOffset};
                return {LV::Global, int(addressOf(s, e->loc))};
            }
            case Op::Str:
                return {LV::Global, int(addressOf(e->sym, e->loc))};
            case Op::Deref:
                value(e->a, true);
                return {LV::Stack, 0};
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
    LV stableLvalue(Expr* e) {
        if (!onStack(e)) return lvalue(e);
        const int slot = temp(2);
        em_.emit(op::PUSH_D, int32_t(kFrameRelative | 2u << 16 | uint32_t(slot)));
        lvalue(e);
        em_.emit(op::ASSIGN);
        em_.emit(op::POP_COND);
        return {LV::Temp, slot};
    }

    static uint8_t byWidth(int w, uint8_t c, uint8_t i, uint8_t l) {
        return w == 1 ? c : w == 2 ? i : l;
    }

    void address(const LV& lv) {
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

    void load(const LV& lv, Type* t, bool low16 = false) {
        if (isAggregate(t) || isArray(t)) {
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
                em_.emit(byWidth(w, op::LDGX_C, op::LDGX_I, op::LDGX_L), 0);
                break;
            case LV::Temp:
                em_.emit(op::LDL_I, lv.addr);
                em_.emit(byWidth(w, op::LDGX_C, op::LDGX_I, op::LDGX_L), 0);
                break;
        }
        extendLoaded(t, low16);
    }

    // Loads sign-extend ints and zero-extend chars; the other types are mended here.
    void extendLoaded(Type* t, bool low16) {
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

    void ref(const LV& lv, Type* t) {
        const uint32_t tag = uint32_t(tagOf(t)) << 16;
        const int w = width(t);
        switch (lv.kind) {
            case LV::Local:
                em_.emit(op::PUSH_D, int32_t(kFrameRelative | tag | uint32_t(lv.addr)));
                break;
            case LV::Global:
                em_.emit(op::PUSH_D, int32_t(tag | uint32_t(lv.addr)));
                break;
            case LV::Stack:
                em_.emit(byWidth(w, op::REFGX_C, op::REFGX_I, op::REFGX_L), 0);
                break;
            case LV::Temp:
                em_.emit(op::LDL_I, lv.addr);
                em_.emit(byWidth(w, op::REFGX_C, op::REFGX_I, op::REFGX_L), 0);
                break;
        }
    }

    // Brings a 32-bit result of an operation back to the value of type `t`.
    void narrow(const Type* t) {
        switch (t->kind) {
            case Kind::Char:
            case Kind::UChar:
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
    void convertValue(const Type* from, const Type* to) {
        if (isVoid(to) || isAggregate(to)) return;
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

    // --- expressions ---
    void discard(Expr* e) {
        if (e->op == Op::Cast && isVoid(e->type)) {
            discard(e->a);
            return;
        }
        if (e->op == Op::Comma) {
            discard(e->a);
            discard(e->b);
            return;
        }
        value(e);
        if (!isVoid(e->type)) em_.emit(op::POP_COND);
    }

    bool isCompare(Op o) const {
        return o == Op::Lt || o == Op::Gt || o == Op::Le || o == Op::Ge || o == Op::Eq ||
               o == Op::Ne;
    }

    // Jumps to `label` when the truth of `e` is `when`.
    void branch(Expr* e, bool when, int label) {
        if (e->op == Op::Num) {
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
        if (isCompare(e->op))
            compare(e);
        else
            value(e, true);
        em_.emit(op::POP_COND);
        em_.emit(when ? op::JNZ : op::JZ, label);
    }

    // Pushes the machine's truth value (-1 or 0) of a comparison.
    void compare(Expr* e) {
        const bool ulong = e->a->type->kind == Kind::ULong;
        value(e->a);
        if (ulong) flipSign();
        value(e->b);
        if (ulong) flipSign();
        static const std::map<Op, uint8_t> kOps = {{Op::Lt, op::LT}, {Op::Gt, op::GT},
                                                   {Op::Le, op::LE}, {Op::Ge, op::GE},
                                                   {Op::Eq, op::EQ}, {Op::Ne, op::NE}};
        em_.emit(kOps.at(e->op));
    }

    // Unsigned 32-bit order through the machine's signed comparison.
    void flipSign() {
        em_.emit(op::PUSH_D, int32_t(0x80000000u));
        em_.emit(op::XOR);
    }

    void value(Expr* e, bool low16 = false) {
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
                value(e->a);
                em_.emit(op::NEG);
                narrow(e->type);
                return;
            case Op::BitNot:
                value(e->a);
                em_.emit(op::NOT);
                if (isUnsigned(e->type)) narrow(e->type);
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
            case Op::Xor:
                value(e->a);
                arith(e->op, e->type, e->b, e->loc, low16);
                return;
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
                assign(e);
                return;
            case Op::CompoundAssign:
                compound(e);
                return;
            case Op::PreInc:
            case Op::PreDec:
            case Op::PostInc:
            case Op::PostDec:
                incDec(e);
                return;
            case Op::Call:
                call(e);
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
    void arith(Op o, Type* t, Expr* right, const Loc& loc, bool low16) {
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
        value(right);
        static const std::map<Op, uint8_t> kOps = {
            {Op::Add, op::ADD}, {Op::Sub, op::SUB}, {Op::Mul, op::MUL}, {Op::Div, op::DIV},
            {Op::Mod, op::MOD}, {Op::Shl, op::SHL}, {Op::Shr, op::SHR}, {Op::And, op::AND},
            {Op::Or, op::OR},   {Op::Xor, op::XOR}};
        em_.emit(kOps.at(o));
        if (o == Op::And || o == Op::Or || o == Op::Xor || o == Op::Shr) return;
        if (o == Op::Mod && isUnsigned(t)) return;
        if (low16 && sizeOf(t) == 2) return;  // only the address bits are used
        narrow(t);
    }

    void assign(Expr* e) {
        Expr* lhs = e->a;
        if (isAggregate(lhs->type)) {
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
        value(e->b);
        em_.emit(op::ASSIGN);
    }

    void compound(Expr* e) {
        Expr* lhs = e->a;
        LV lv = stableLvalue(lhs);
        ref(lv, lhs->type);
        load(lv, lhs->type);
        convertValue(lhs->type, e->optype);
        arith(e->binop, e->optype, e->b, e->loc, false);
        convertValue(e->optype, lhs->type);
        em_.emit(op::ASSIGN);
    }

    void incDec(Expr* e) {
        Expr* x = e->a;
        const bool inc = e->op == Op::PreInc || e->op == Op::PostInc;
        const bool post = e->op == Op::PostInc || e->op == Op::PostDec;
        if (e->value == 1) {
            LV lv = lvalue(x);
            ref(lv, x->type);
            em_.emit(post ? (inc ? op::POSTINC : op::POSTDEC) : (inc ? op::PREINC : op::PREDEC));
            // The machine pushes the 32-bit sum or the value read through the tag.
            if (post)
                extendLoaded(x->type, false);
            else
                narrow(x->type);
            return;
        }
        LV lv = stableLvalue(x);
        if (post) load(lv, x->type);
        ref(lv, x->type);
        load(lv, x->type);
        em_.push(e->value);
        em_.emit(inc ? op::ADD : op::SUB);
        narrow(x->type);
        em_.emit(op::ASSIGN);
        if (post) em_.emit(op::POP_COND);
    }

    void call(Expr* e) {
        Expr* fe = e->a;
        Symbol* direct = fe->op == Op::Var && isFunction(fe->type) ? fe->sym : nullptr;
        Type* ft = isFunction(fe->type) ? fe->type : fe->type->base;
        if (direct && direct->syscall >= 0) return syscall(e, direct);
        const bool structResult = isAggregate(e->type);
        int resultSlot = 0;
        if (structResult) {
            resultSlot = temp(int(sizeOf(e->type)));
            em_.emit(op::ADDRL, resultSlot);
        }
        const size_t fixed = ft->prototype ? ft->params.size() : e->args.size();
        for (size_t i = 0; i < fixed && i < e->args.size(); ++i) {
            value(e->args[i]);
            // The callee loads a char, short or int parameter at its width: a cut to 16 bits
            // that made the argument is not needed.
            if (ft->prototype && isScalar(ft->params[i].type) && width(ft->params[i].type) <= 2)
                dropCut16();
        }
        if (ft->prototype && ft->variadic) {
            // Variable arguments go to a block in the caller's frame; the callee gets its address.
            const size_t extra = e->args.size() - fixed;
            const int block = temp(int(4 * std::max<size_t>(extra, 1)));
            for (size_t i = 0; i < extra; ++i) {
                Expr* a = e->args[fixed + i];
                if (isAggregate(a->type))
                    d_.error(a->loc, "a struct as a variable argument is not supported yet");
                em_.emit(op::PUSH_D,
                         int32_t(kFrameRelative | 4u << 16 | uint32_t(block + 4 * int(i))));
                value(a);
                em_.emit(op::ASSIGN);
                em_.emit(op::POP_COND);
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
        if (structResult) {
            em_.push(sizeOf(e->type));
            em_.emit(call::memcpy);
            em_.emit(op::ADDRL, resultSlot);
        }
    }

    // Removes a cut to 16 bits that ends the code emitted so far, as `narrow` writes it: a
    // shift left and right by 16 (sign) or an AND with 0xFFFF (zero).
    void dropCut16() {
        auto& c = em_.code;
        const size_t n = c.size();
        auto is = [&](size_t from_end, uint8_t o, int32_t imm) {
            return n >= from_end && c[n - from_end].op == o && c[n - from_end].imm == imm;
        };
        if (is(4, op::PUSH_B, 16) && is(3, op::SHL, 0) && is(2, op::PUSH_B, 16) &&
            is(1, op::SHR, 0))
            c.resize(n - 4);
        else if (is(2, op::PUSH_D, 0xFFFF) && is(1, op::AND, 0))
            c.resize(n - 2);
    }

    void syscall(Expr* e, Symbol* s) {
        size_t first = 0;
        int slot = 0;
        if (s->sysResult == SysResult::FirstArg && !e->args.empty()) {
            slot = temp(4);
            em_.emit(op::PUSH_D, int32_t(kFrameRelative | 4u << 16 | uint32_t(slot)));
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

    Program& p_;
    Diagnostics& d_;
    Layout layout_;
    DebugRecorder* dbg_;
    Emitter em_;
    std::vector<Symbol*> laidOut_;
    std::vector<Symbol*> dispatchTable_;
    std::deque<Symbol*> queue_;
    std::set<Symbol*> queued_;
    uint32_t stackBase_ = 0;
    int dispatchLabel_ = -1;
    Symbol* fn_ = nullptr;
    int temps_ = 0;
    std::vector<Target> targets_;
    std::map<std::string, UserLabel> labels_;
};

}  // namespace

std::vector<uint8_t> generate(Program& prog, Diagnostics& diag, const Layout& layout,
                              DebugRecorder* debug) {
    return CodeGen(prog, diag, layout, debug).run();
}

}  // namespace corvane::cc
