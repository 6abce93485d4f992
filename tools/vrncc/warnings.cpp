// Function-wide warnings over the parsed body.

#include "tools/vrncc/warnings.h"

#include <map>
#include <set>
#include <string>

namespace corvane::cc {
namespace {

bool isNoReturnCall(const Expr* e) {
    if (!e || e->op != Op::Call || e->a->op != Op::Var || !e->a->sym) return false;
    const std::string& n = e->a->sym->name;
    return n == "exit" || n == "abort" || n == "_Exit" || n == "longjmp";
}

bool isTrue(const Expr* e) {
    return !e || (e->op == Op::Num && e->value != 0);
}

// Whether a break inside `s` leaves `s` itself (not a loop or switch nested in it).
bool breaksOut(const Stmt* s) {
    if (!s) return false;
    switch (s->kind) {
        case St::Break:
            return true;
        case St::While:
        case St::Do:
        case St::For:
        case St::Switch:
            return false;
        case St::Compound:
            for (const Stmt* c : s->list)
                if (breaksOut(c)) return true;
            return false;
        case St::If:
            return breaksOut(s->s1) || breaksOut(s->s2);
        case St::Case:
        case St::Default:
        case St::Label:
            return breaksOut(s->s1);
        default:
            return false;
    }
}

// Whether control can leave `s` at its end. A label makes what follows it reachable again.
bool fallsThrough(const Stmt* s) {
    if (!s) return true;
    switch (s->kind) {
        case St::Return:
        case St::Goto:
            return false;
        case St::Break:
        case St::Continue:
            return false;  // leaves the statement, not through its end
        case St::Expr:
            return !isNoReturnCall(s->e);
        case St::Compound: {
            bool reach = true;
            for (const Stmt* c : s->list) {
                if (c->kind == St::Label || c->kind == St::Case || c->kind == St::Default)
                    reach = true;
                if (reach) reach = fallsThrough(c);
            }
            return reach;
        }
        case St::If:
            return !s->s2 || fallsThrough(s->s1) || fallsThrough(s->s2);
        case St::While:
        case St::For:
            return !isTrue(s->e) || breaksOut(s->kind == St::For ? s->s2 : s->s1);
        case St::Do:
            return !isTrue(s->e) || breaksOut(s->s1);
        case St::Switch: {
            bool hasDefault = false;
            for (const Stmt* c : s->cases) hasDefault = hasDefault || c->kind == St::Default;
            return !hasDefault || breaksOut(s->s1) || fallsThrough(s->s1);
        }
        case St::Case:
        case St::Default:
        case St::Label:
            return fallsThrough(s->s1);
        default:
            return true;
    }
}

// Locals read before any path has set them. The walk follows the source order and keeps the
// set of locals that are surely set; where paths join it keeps what both set. A local that
// a loop sets anywhere is not reported inside that loop (the previous turn may have set it),
// nor is one whose address is taken. Functions with goto are left alone.
class Uninitialised {
  public:
    Uninitialised(const std::set<const Symbol*>& watched, Diagnostics& d)
        : watched_(watched), d_(d) {}

    void stmt(const Stmt* s, std::set<const Symbol*>& set) {
        if (!s) return;
        switch (s->kind) {
            case St::Compound:
                for (const Stmt* c : s->list) stmt(c, set);
                break;
            case St::Expr:
                expr(s->e, set);
                break;
            case St::Decl:
                if (s->sym->hasInit) {
                    for (const InitItem& it : s->sym->init) expr(it.expr, set);
                    set.insert(s->sym);
                } else {
                    set.erase(s->sym);  // a new object each time the declaration is reached
                }
                break;
            case St::If: {
                expr(s->e, set);
                std::set<const Symbol*> other = set;
                stmt(s->s1, set);
                stmt(s->s2, other);
                const bool thenEnds = !fallsThrough(s->s1),
                           elseEnds = s->s2 && !fallsThrough(s->s2);
                if (thenEnds && !elseEnds)
                    set = other;
                else if (!(elseEnds && !thenEnds))
                    set = both(set, other);
                break;
            }
            case St::While:
            case St::Do:
            case St::For: {
                if (s->kind == St::For) stmt(s->s1, set);
                std::set<const Symbol*> inLoop = set;
                const Stmt* body = s->kind == St::For ? s->s2 : s->s1;
                std::set<const Symbol*> written;
                writes(body, written);
                writesExpr(s->e, written);
                writesExpr(s->e2, written);
                for (const Symbol* w : written) quiet_.insert(w);
                if (s->kind == St::Do || isTrue(s->e)) {  // the body runs once at least
                    stmt(body, inLoop);
                    expr(s->e, inLoop);
                    set = inLoop;
                } else {
                    expr(s->e, inLoop);
                    std::set<const Symbol*> afterCond = inLoop;
                    stmt(body, inLoop);
                    expr(s->e2, inLoop);
                    set = afterCond;
                }
                for (const Symbol* w : written) quiet_.erase(w);
                break;
            }
            case St::Switch: {
                expr(s->e, set);
                std::set<const Symbol*> inside = set;
                std::set<const Symbol*> written;
                writes(s->s1, written);
                for (const Symbol* w : written) quiet_.insert(w);  // cases jump in anywhere
                stmt(s->s1, inside);
                for (const Symbol* w : written) quiet_.erase(w);
                break;
            }
            case St::Case:
            case St::Default:
            case St::Label:
                stmt(s->s1, set);
                break;
            case St::Return:
                expr(s->e, set);
                break;
            default:
                break;
        }
    }

    void expr(const Expr* e, std::set<const Symbol*>& set) {
        if (!e) return;
        switch (e->op) {
            case Op::Var:
                read(e, set);
                return;
            case Op::Assign:
                if (e->a->op == Op::Var) {
                    expr(e->b, set);
                    set.insert(e->a->sym);
                    return;
                }
                break;
            case Op::LogAnd:
            case Op::LogOr: {
                expr(e->a, set);
                std::set<const Symbol*> maybe = set;
                expr(e->b, maybe);  // may not run
                return;
            }
            case Op::Cond: {
                expr(e->a, set);
                std::set<const Symbol*> other = set;
                expr(e->b, set);
                expr(e->c, other);
                set = both(set, other);
                return;
            }
            default:
                break;
        }
        expr(e->a, set);
        expr(e->b, set);
        expr(e->c, set);
        for (const Expr* a : e->args) expr(a, set);
    }

  private:
    static std::set<const Symbol*> both(const std::set<const Symbol*>& a,
                                        const std::set<const Symbol*>& b) {
        std::set<const Symbol*> r;
        for (const Symbol* s : a)
            if (b.count(s)) r.insert(s);
        return r;
    }

    void read(const Expr* e, const std::set<const Symbol*>& set) {
        const Symbol* s = e->sym;
        if (!watched_.count(s) || set.count(s) || quiet_.count(s) || !reported_.insert(s).second)
            return;
        d_.warning(e->loc, "'" + s->name + "' is used before it is set", Warn::All,
                   "uninitialized");
    }

    static void writesExpr(const Expr* e, std::set<const Symbol*>& out) {
        if (!e) return;
        if ((e->op == Op::Assign || e->op == Op::CompoundAssign || e->op == Op::PreInc ||
             e->op == Op::PreDec || e->op == Op::PostInc || e->op == Op::PostDec) &&
            e->a->op == Op::Var)
            out.insert(e->a->sym);
        writesExpr(e->a, out);
        writesExpr(e->b, out);
        writesExpr(e->c, out);
        for (const Expr* a : e->args) writesExpr(a, out);
    }

    static void writes(const Stmt* s, std::set<const Symbol*>& out) {
        if (!s) return;
        if (s->kind == St::Decl && s->sym->hasInit) out.insert(s->sym);
        if (s->kind == St::Decl)
            for (const InitItem& it : s->sym->init) writesExpr(it.expr, out);
        writesExpr(s->e, out);
        writesExpr(s->e2, out);
        writes(s->s1, out);
        writes(s->s2, out);
        for (const Stmt* c : s->list) writes(c, out);
    }

    const std::set<const Symbol*>& watched_;
    Diagnostics& d_;
    std::set<const Symbol*> quiet_, reported_;
};

// Locals whose address is taken (they may be set through the pointer) and whether the body
// has goto or labels (paths the walk does not follow).
void scan(const Expr* e, std::set<const Symbol*>& addressed) {
    if (!e) return;
    if (e->op == Op::Addr && e->a->op == Op::Var) addressed.insert(e->a->sym);
    if (e->op == Op::VaStart || e->op == Op::VaArg) {
        if (e->a->op == Op::Var) addressed.insert(e->a->sym);
    }
    scan(e->a, addressed);
    scan(e->b, addressed);
    scan(e->c, addressed);
    for (const Expr* a : e->args) scan(a, addressed);
}

void scan(const Stmt* s, std::set<const Symbol*>& addressed, bool& jumps) {
    if (!s) return;
    if (s->kind == St::Goto || s->kind == St::Label) jumps = true;
    if (s->kind == St::Decl)
        for (const InitItem& it : s->sym->init) scan(it.expr, addressed);
    scan(s->e, addressed);
    scan(s->e2, addressed);
    scan(s->s1, addressed, jumps);
    scan(s->s2, addressed, jumps);
    for (const Stmt* c : s->list) scan(c, addressed, jumps);
}

// What an argument is, as printf's conversions see it after the default promotions.
enum class ArgKind { Int, Long, LLong, Double, CharPointer, Pointer, Other };

ArgKind kindOf(const Type* t) {
    if (isPointer(t)) return isCharType(t->base) ? ArgKind::CharPointer : ArgKind::Pointer;
    if (isLLong(t)) return ArgKind::LLong;
    if (isFloating(t)) return ArgKind::Double;  // a float arrives as a double
    if (isInteger(t)) return width(t) == 4 ? ArgKind::Long : ArgKind::Int;
    return ArgKind::Other;
}

const char* kindText(ArgKind k) {
    switch (k) {
        case ArgKind::Int:
            return "an int";
        case ArgKind::Long:
            return "a long";
        case ArgKind::LLong:
            return "a long long";
        case ArgKind::Double:
            return "a double";
        case ArgKind::CharPointer:
            return "a char pointer";
        case ArgKind::Pointer:
            return "a pointer";
        default:
            return "a value of another type";
    }
}

}  // namespace

void checkFormat(const Expr* call, Diagnostics& diag) {
    if (call->a->op != Op::Var || !call->a->sym) return;
    static const std::map<std::string, size_t> kFormatArg = {
        {"printf", 0}, {"fprintf", 1}, {"sprintf", 1}, {"snprintf", 2}};
    auto found = kFormatArg.find(call->a->sym->name);
    if (found == kFormatArg.end() || call->args.size() <= found->second) return;
    size_t next = found->second + 1;
    const Expr* f = call->args[found->second];
    while (f->op == Op::Cast) f = f->a;
    if (f->op == Op::Addr) f = f->a;
    if (f->op != Op::Str || !f->sym) return;
    const std::vector<uint8_t>& fmt = f->sym->bytes;
    auto take = [&](const std::string& conv, ArgKind want) {
        if (next >= call->args.size()) {
            diag.warning(call->loc, "format '" + conv + "' has no argument", Warn::All, "format");
            return false;
        }
        const Expr* a = call->args[next++];
        const ArgKind got = kindOf(a->type);
        // %d and %i print the whole argument slot, a long's too; a long constant that a 16-bit
        // conversion prints whole (48879 for %x) loses nothing.
        const bool wholeSlot = conv.back() == 'd' || conv.back() == 'i';
        const bool fits16 = a->op == Op::Num && a->value >= -32768 && a->value <= 65535;
        const bool ok = got == want || (want == ArgKind::Pointer && got == ArgKind::CharPointer) ||
                        (want == ArgKind::Int && got == ArgKind::Long && (wholeSlot || fits16));
        if (!ok)
            diag.warning(a->loc,
                         "format '" + conv + "' expects " + kindText(want) + ", but argument " +
                             std::to_string(next) + " is " + kindText(got),
                         Warn::All, "format");
        return true;
    };
    for (size_t i = 0; i < fmt.size() && fmt[i]; ++i) {
        if (fmt[i] != '%') continue;
        const size_t start = i++;
        while (i < fmt.size() && std::string("-+ #0").find(char(fmt[i])) != std::string::npos) ++i;
        if (i < fmt.size() && fmt[i] == '*') {
            if (!take("*", ArgKind::Int)) return;
            ++i;
        }
        while (i < fmt.size() && fmt[i] >= '0' && fmt[i] <= '9') ++i;
        if (i < fmt.size() && fmt[i] == '.') {
            ++i;
            if (i < fmt.size() && fmt[i] == '*') {
                if (!take(".*", ArgKind::Int)) return;
                ++i;
            }
            while (i < fmt.size() && fmt[i] >= '0' && fmt[i] <= '9') ++i;
        }
        int longs = 0;
        for (; i < fmt.size() && (fmt[i] == 'h' || fmt[i] == 'l' || fmt[i] == 'L'); ++i)
            longs = fmt[i] == 'L' ? 2 : fmt[i] == 'l' ? longs + 1 : 0;  // %Ld is a long long
        if (i >= fmt.size() || !fmt[i]) return;
        const std::string conv(fmt.begin() + std::ptrdiff_t(start),
                               fmt.begin() + std::ptrdiff_t(i) + 1);
        switch (fmt[i]) {
            case '%':
                break;
            case 'd':
            case 'i':
            case 'u':
            case 'o':
            case 'x':
            case 'X':
                if (!take(conv, longs >= 2   ? ArgKind::LLong
                                : longs == 1 ? ArgKind::Long
                                             : ArgKind::Int))
                    return;
                break;
            case 'f':
            case 'F':
            case 'e':
            case 'E':
            case 'g':
            case 'G':
                if (!take(conv, ArgKind::Double)) return;
                break;
            case 'c':
                if (!take(conv, ArgKind::Int)) return;
                break;
            case 's':
                if (!take(conv, ArgKind::CharPointer)) return;
                break;
            case 'p':
            case 'n':
                if (!take(conv, ArgKind::Pointer)) return;
                break;
            default:
                return;  // a conversion the library does not know: no more checking
        }
    }
    if (next < call->args.size())
        diag.warning(call->args[next]->loc, "more arguments than the format uses", Warn::Extra,
                     "format-extra-args");
}

void checkFunction(const Symbol* f, const std::vector<Symbol*>& locals, Diagnostics& diag) {
    if (!f->body) return;
    if (!isVoid(f->type->base) && f->name != "main" && fallsThrough(f->body))
        diag.warning(f->body->end,
                     "control reaches the end of '" + f->name + "', which returns " +
                         typeText(f->type->base) + ", without a return",
                     Warn::Always, "return-type");
    for (const Symbol* l : locals)
        if (!l->used && !l->name.empty())
            diag.warning(l->loc, "unused variable '" + l->name + "'", Warn::All, "unused-variable");
    for (const Symbol* p : f->params)
        if (!p->used && !p->name.empty())
            diag.warning(p->loc, "unused parameter '" + p->name + "'", Warn::Extra,
                         "unused-parameter");
    std::set<const Symbol*> addressed;
    bool jumps = false;
    scan(f->body, addressed, jumps);
    if (jumps) return;
    std::set<const Symbol*> watched;
    for (const Symbol* l : locals)
        if (isScalar(l->type) && !addressed.count(l)) watched.insert(l);
    std::set<const Symbol*> set;
    Uninitialised(watched, diag).stmt(f->body, set);
}

}  // namespace corvane::cc
