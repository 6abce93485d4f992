// Types of expressions: conversions, operators and constant folding.

#include <map>
#include <optional>

#include "tools/vrncc/parser.h"

namespace corvane::cc {

int64_t normalize(int64_t v, const Type* t) {
    if (t->bits && t->bits < 64 && t->kind != Kind::Bool) {
        // A bit-field holds its low `bits` bits, sign-extended when it is signed.
        const uint64_t mask = (uint64_t(1) << t->bits) - 1, u = uint64_t(v) & mask;
        if (isUnsigned(t) || !(u >> (t->bits - 1))) return int64_t(u);
        return int64_t(u | ~mask);
    }
    uint32_t u = uint32_t(v);
    switch (t->kind) {
        case Kind::Char:
        case Kind::UChar:
            return int64_t(u & 0xFF);
        case Kind::Bool:
            return v != 0;
        case Kind::SChar:
            return int64_t(int8_t(u & 0xFF));
        case Kind::Short:
        case Kind::Int:
        case Kind::Enum:
            return int64_t(int16_t(u & 0xFFFF));
        case Kind::UShort:
        case Kind::UInt:
        case Kind::Pointer:
            return int64_t(u & 0xFFFF);
        case Kind::Long:
            return int64_t(int32_t(u));
        case Kind::ULong:
            return int64_t(u);
        default:
            return v;  // long long; unsigned long long keeps its bits in the int64_t
    }
}

// "a 16-bit int", "an 8-bit char", "a 3-bit unsigned int bit-field": how the warnings name a
// type with its width.
std::string widthText(const Type* t) {
    const int bits = valueBits(t);
    const bool an = bits == 8 || bits == 11 || bits == 18;
    return std::string(an ? "an " : "a ") + std::to_string(bits) + "-bit " + typeText(t) +
           (t->bits ? " bit-field" : "");
}

// A constant as C sees it: an unsigned long long above 2^63 - 1 is not negative.
std::string constantText(int64_t v, const Type* t) {
    return t->kind == Kind::ULLong ? std::to_string(uint64_t(v)) : std::to_string(v);
}

Expr* Parser::num(int64_t v, Type* t, const Loc& loc) {
    Expr* e = prog_.newExpr(Op::Num, t, loc);
    e->value = normalize(v, t);
    return e;
}

Expr* Parser::rvalue(Expr* e) {
    if (isArray(e->type)) {
        Expr* a = prog_.newExpr(Op::Addr, types_.pointerTo(e->type->base), e->loc);
        a->a = e;
        return a;
    }
    if (isFunction(e->type)) {
        Expr* a = prog_.newExpr(Op::Addr, types_.pointerTo(e->type), e->loc);
        a->a = e;
        if (e->op == Op::Var && e->sym) {
            e->sym->referenced = true;
            if (e->sym->dispatchIndex == 0) e->sym->dispatchIndex = -1;  // numbered at layout
        }
        return a;
    }
    return e;
}

Expr* Parser::convert(Expr* e, Type* t) {
    e = rvalue(e);
    if (isVoid(t)) {
        Expr* c = prog_.newExpr(Op::Cast, t, e->loc);
        c->a = e;
        return c;
    }
    if (e->type == t) return e;
    if (t->kind == Kind::Bool && isScalar(e->type) && e->type->kind != Kind::Bool) {
        // Any scalar becomes 1 when it is not 0: compare, then narrow the 0 or 1.
        if (e->op == Op::Num && !isFloating(e->type)) return num(e->value != 0, t, e->loc);
        Expr* ne = makeBinary(Op::Ne, e, num(0, types_.intT, e->loc), e->loc);
        Expr* c = prog_.newExpr(Op::Cast, t, e->loc);
        c->a = ne;
        return c;
    }
    if (e->op == Op::Num && isInteger(t) && isInteger(e->type) && width(t) > width(e->type))
        widenedOverflow(e, t);
    if (isScalar(e->type) && isScalar(t) && e->type->kind == t->kind && !isPointer(t)) return e;
    if (e->op == Op::Num && isScalar(t) && !isFloating(t) && !isFloating(e->type))
        return num(e->value, t, e->loc);
    Expr* c = prog_.newExpr(Op::Cast, t, e->loc);
    c->a = e;
    return isFloating(t) || isFloating(e->type) ? fold(c) : c;
}

static bool isNullConstant(const Expr* e) {
    return e->op == Op::Num && isInteger(e->type) && e->value == 0;
}

Expr* Parser::assignConvert(Expr* e, Type* t, const Loc& loc, const char* what) {
    e = rvalue(e);
    if (isAggregate(t)) {
        if (!isAggregate(e->type) || !compatible(e->type, t))
            fail(loc, std::string("incompatible types in ") + what + ": " + typeText(e->type) +
                          " to " + typeText(t));
        return e;
    }
    if (isVoid(e->type)) fail(loc, std::string("a void value used in ") + what);
    if (isPointer(t)) {
        if (isPointer(e->type)) {
            if (!isVoid(t->base) && !isVoid(e->type->base) && !compatible(t->base, e->type->base))
                diag_.warning(loc, std::string("incompatible pointer types in ") + what + ": " +
                                       typeText(e->type) + " to " + typeText(t));
        } else if (isInteger(e->type) && !isNullConstant(e)) {
            diag_.warning(loc, std::string("integer made a pointer without a cast in ") + what);
        } else if (!isInteger(e->type)) {
            fail(loc, std::string("incompatible types in ") + what);
        }
    } else if (isFloating(t)) {
        if (!isArithmetic(e->type))
            fail(loc, std::string("incompatible types in ") + what + ": " + typeText(e->type) +
                          " to " + typeText(t));
    } else if (isInteger(t)) {
        if (isPointer(e->type)) {
            if (t->kind != Kind::Bool)  // to _Bool a pointer's truth is meant
                diag_.warning(loc,
                              std::string("pointer made an integer without a cast in ") + what);
        } else if (!isArithmetic(e->type))
            fail(loc, std::string("incompatible types in ") + what + ": " + typeText(e->type) +
                          " to " + typeText(t));
    } else {
        fail(loc, std::string("cannot convert to ") + typeText(t) + " in " + what);
    }
    if (isInteger(t) && isInteger(e->type) && e->op == Op::Num) constantChange(e, t, loc);
    return convert(e, t);
}

// A constant that the implicit conversion to `t` changes: "40000 becomes -25536 in a 16-bit
// int". A signed constant must keep its value; an unsigned one, or one going to an unsigned
// type, only needs to fit in the width (-1 to unsigned is the usual way to write all ones).
void Parser::constantChange(const Expr* e, const Type* t, const Loc& loc) {
    const int64_t v = e->value, r = normalize(v, t);
    if (r == v) return;
    const int bits = valueBits(t);
    if (bits >= 63) return;  // 64: the same bits, only the sign's reading differs
    if (bits >= 32 && (isUnsigned(e->type) || isUnsigned(t))) {
        // A 32-bit unsigned target takes any 32-bit pattern; a wider constant loses bits.
        if (!isLLong(e->type) || (v >= INT32_MIN && v <= int64_t(UINT32_MAX))) return;
    }
    const int64_t umax = (int64_t(1) << bits) - 1, smin = -(int64_t(1) << (bits - 1));
    bool fits = false;
    if (isUnsigned(e->type))
        fits = uint64_t(v) <= uint64_t(umax);
    else if (isUnsigned(t))
        fits = v >= smin && v <= umax;
    if (!fits)
        diag_.warning(
            loc,
            constantText(v, e->type) + " becomes " + constantText(r, t) + " in " + widthText(t),
            Warn::Always, "overflow");
}

Expr* Parser::cond(Expr* e) {
    if (e->op == Op::Assign && !e->paren)
        diag_.warning(e->loc,
                      "an assignment used as a condition: write == to compare, or put "
                      "the assignment in parentheses",
                      Warn::All, "parentheses");
    e = rvalue(e);
    if (!isScalar(e->type))
        fail(e->loc, "a scalar is needed as a condition, not " + typeText(e->type));
    return e;
}

void Parser::checkLvalue(Expr* e, const Loc& loc, const char* what) {
    if (!e->lvalue) fail(loc, std::string("the operand of ") + what + " must be an lvalue");
    if (isArray(e->type) || isFunction(e->type))
        fail(loc, std::string("cannot ") + what + " an array or a function");
    if (e->type->isConst) diag_.warning(loc, std::string(what) + " of a const object");
}

namespace {

// The operators whose folding is the same at every width: bitwise, comparisons (ordered as
// unsigned when `unsignedOrder`), equality and logic. Nothing for any other operator.
std::optional<int64_t> foldOrderOrBits(Op op, int64_t a, int64_t b, uint64_t ua, uint64_t ub,
                                       bool unsignedOrder) {
    switch (op) {
        case Op::And:
            return a & b;
        case Op::Or:
            return a | b;
        case Op::Xor:
            return a ^ b;
        case Op::Lt:
            return unsignedOrder ? ua < ub : a < b;
        case Op::Gt:
            return unsignedOrder ? ua > ub : a > b;
        case Op::Le:
            return unsignedOrder ? ua <= ub : a <= b;
        case Op::Ge:
            return unsignedOrder ? ua >= ub : a >= b;
        case Op::Eq:
            return a == b;
        case Op::Ne:
            return a != b;
        case Op::LogAnd:
            return a && b;
        case Op::LogOr:
            return a || b;
        default:
            return std::nullopt;
    }
}

}  // namespace

Expr* Parser::fold(Expr* e) {
    auto isNum = [](const Expr* x) { return x && x->op == Op::Num; };
    if (involvesFloating(e)) return foldFloat(e);
    switch (e->op) {
        case Op::Neg:
        case Op::BitNot:
        case Op::LogNot:
            if (isNum(e->a)) {
                int64_t v = e->a->value;
                int64_t r = e->op == Op::Neg      ? int64_t(0 - uint64_t(v))
                            : e->op == Op::BitNot ? ~v
                                                  : !v;
                const bool lost = isLLong(e->type) ? v == INT64_MIN : normalize(r, e->type) != r;
                if (e->op == Op::Neg && !quietFold_ && isInteger(e->type) && !isUnsigned(e->type) &&
                    lost) {
                    Expr* n = num(r, e->type, e->loc);
                    overflows_.push_back(
                        {n, "-(" + std::to_string(v) + ")",
                         isLLong(e->type) ? "9223372036854775808" : std::to_string(r), false});
                    return n;
                }
                return num(r, e->type, e->loc);
            }
            return e;
        case Op::Cast:
            if (isNum(e->a) && isScalar(e->type)) return num(e->a->value, e->type, e->loc);
            return e;
        case Op::Cond:
            if (isNum(e->a) && isNum(e->b) && isNum(e->c)) return e->a->value ? e->b : e->c;
            return e;
        default:
            break;
    }
    if (!isNum(e->a) || !isNum(e->b) || !isScalar(e->type)) return e;
    if (isLLong(e->a->type)) return fold64(e);
    const Type* ot = e->a->type;
    const bool uns = isUnsigned(ot) && !(ot->kind == Kind::Char);
    const uint32_t ua = uint32_t(e->a->value), ub = uint32_t(e->b->value);
    const int64_t a = e->a->value, b = e->b->value;
    int64_t r;
    const bool ulong = ot->kind == Kind::ULong;
    switch (e->op) {
        case Op::Add:
            r = int64_t(ua + ub);
            break;
        case Op::Sub:
            r = int64_t(ua - ub);
            break;
        case Op::Mul:
            r = int64_t(ua * ub);
            break;
        case Op::Div:
        case Op::Mod:
            if (b == 0) {
                diag_.warning(e->loc, "division by zero");
                return e;
            }
            if (ulong)
                r = e->op == Op::Div ? int64_t(ua / ub) : int64_t(ua % ub);
            else
                r = e->op == Op::Div ? a / b : a % b;
            break;
        case Op::Shl:
            r = int64_t(ua << (ub & 31));
            break;
        case Op::Shr:
            r = (uns || ulong) ? int64_t(ua >> (ub & 31)) : (a >> (ub & 31));
            break;
        default:
            if (const auto v = foldOrderOrBits(e->op, a, b, ua, ub, ulong)) {
                r = *v;
                break;
            }
            return e;
    }
    (void)uns;
    if (!quietFold_ && isInteger(e->type) && !isUnsigned(e->type) &&
        (e->op == Op::Add || e->op == Op::Sub || e->op == Op::Mul ||
         (e->op == Op::Shl && a >= 0 && b >= 0 && b < 32))) {
        // The exact result of signed operands, to see whether the type holds it. A shift may
        // reach the sign bit (1 << 15 is how the lowest int is written); it may not go past it.
        const int64_t exact = e->op == Op::Add   ? a + b
                              : e->op == Op::Sub ? a - b
                              : e->op == Op::Mul ? a * b
                                                 : a * (int64_t(1) << b);
        static const std::map<Op, const char*> kSigns = {
            {Op::Add, " + "}, {Op::Sub, " - "}, {Op::Mul, " * "}, {Op::Shl, " << "}};
        const bool lost = e->op == Op::Shl ? exact >> (width(e->type) * 8) != 0
                                           : normalize(exact, e->type) != exact;
        if (lost) {
            Expr* n = num(r, e->type, e->loc);
            overflows_.push_back({n, std::to_string(a) + kSigns.at(e->op) + std::to_string(b),
                                  std::to_string(exact), false});
            return n;
        }
    }
    return num(r, e->type, e->loc);
}

namespace {

__extension__ typedef __int128 Int128;
__extension__ typedef unsigned __int128 UInt128;

std::string int128Text(Int128 v) {
    if (v == 0) return "0";
    const bool neg = v < 0;
    UInt128 u = neg ? 0 - UInt128(v) : UInt128(v);
    std::string s;
    for (; u; u /= 10) s.insert(s.begin(), char('0' + int(u % 10)));
    return neg ? "-" + s : s;
}

}  // namespace

// Folds a binary operator whose operands are long long or unsigned long long constants (an
// unsigned long long keeps its bits in the int64_t). Signed overflow is reported as for the
// narrower types, with the exact value.
Expr* Parser::fold64(Expr* e) {
    const bool uns = isUnsigned(e->a->type);
    const int64_t a = e->a->value, b = e->b->value;
    const uint64_t ua = uint64_t(a), ub = uint64_t(b);
    int64_t r;
    switch (e->op) {
        case Op::Add:
            r = int64_t(ua + ub);
            break;
        case Op::Sub:
            r = int64_t(ua - ub);
            break;
        case Op::Mul:
            r = int64_t(ua * ub);
            break;
        case Op::Div:
        case Op::Mod:
            if (b == 0) {
                diag_.warning(e->loc, "division by zero");
                return e;
            }
            if (uns)
                r = int64_t(e->op == Op::Div ? ua / ub : ua % ub);
            else if (a == INT64_MIN && b == -1) {
                r = e->op == Op::Div ? a : 0;  // the machine's wrap-around
                if (e->op == Op::Div && !quietFold_) {
                    Expr* n = num(r, e->type, e->loc);
                    overflows_.push_back(
                        {n, std::to_string(a) + " / -1", "9223372036854775808", false});
                    return n;
                }
            } else
                r = e->op == Op::Div ? a / b : a % b;
            break;
        case Op::Shl:
            r = int64_t(ua << (ub & 63));
            break;
        case Op::Shr:
            r = uns ? int64_t(ua >> (ub & 63)) : a >> (ub & 63);
            break;
        default:
            if (const auto v = foldOrderOrBits(e->op, a, b, ua, ub, uns)) {
                r = *v;
                break;
            }
            return e;
    }
    if (!quietFold_ && !uns && isLLong(e->type) &&
        (e->op == Op::Add || e->op == Op::Sub || e->op == Op::Mul ||
         (e->op == Op::Shl && a >= 0 && b >= 0 && b < 64))) {
        const Int128 exact = e->op == Op::Add   ? Int128(a) + b
                             : e->op == Op::Sub ? Int128(a) - b
                             : e->op == Op::Mul ? Int128(a) * b
                                                : Int128(a) << b;
        // As for the narrower types, a shift may reach the sign bit but not go past it.
        const bool lost = e->op == Op::Shl ? (exact >> 64) != 0 : exact != Int128(r);
        if (lost) {
            static const std::map<Op, const char*> kSigns = {
                {Op::Add, " + "}, {Op::Sub, " - "}, {Op::Mul, " * "}, {Op::Shl, " << "}};
            Expr* n = num(r, e->type, e->loc);
            overflows_.push_back({n, std::to_string(a) + kSigns.at(e->op) + std::to_string(b),
                                  int128Text(exact), false});
            return n;
        }
    }
    return num(r, e->type, e->loc);
}

// A constant expression that overflowed its type and is now widened: the trap of a 16-bit int
// ("long m = 1000 * 1000;" is 16960), reported whenever warnings are on.
void Parser::widenedOverflow(const Expr* e, const Type* t) {
    for (Overflow& o : overflows_)
        if (o.expr == e && !o.reported) {
            o.reported = true;
            diag_.warning(e->loc,
                          o.text + " overflows " + widthText(e->type) + " before it becomes " +
                              typeText(t) + ": " + o.exact + " becomes " +
                              std::to_string(e->value) + " (make an operand " + typeText(t) +
                              " to compute in it)",
                          Warn::Always, "overflow");
        }
}

// The constant expressions that overflowed and stayed in their type: with -Wextra, as the
// program may mean the wrap-around (300 * 300 printed as an int).
void Parser::reportOverflows() {
    for (Overflow& o : overflows_)
        if (!o.reported) {
            o.reported = true;
            diag_.warning(o.expr->loc,
                          o.text + " overflows " + widthText(o.expr->type) + ": " + o.exact +
                              " becomes " + std::to_string(o.expr->value),
                          Warn::Extra, "overflow");
        }
    overflows_.clear();
}

// Folds the machine's own arithmetic (a pointer's step times an index): its wrap-around is the
// 16-bit address arithmetic, no mistake of the program.
Expr* Parser::foldQuietly(Expr* e) {
    quietFold_ = true;
    e = fold(e);
    quietFold_ = false;
    return e;
}

// A comparison of a value of type `t` with a constant that the type's range decides: an
// unsigned value is never below 0, an 8-bit char never 300. Only where the comparison is done
// in a type that holds all of `t`, so that the range is the one the comparison sees.
void Parser::rangeComparison(Op op, const Expr* x, int64_t c, Type* common, const Loc& loc) {
    if (!isInteger(x->type) || isFloating(common) || (isUnsigned(common) && !isUnsigned(x->type)))
        return;
    if (x->op == Op::Num || isLLong(x->type)) return;
    int64_t lo, hi;
    integerRange(x->type, lo, hi);
    c = normalize(c, common);
    if (common->kind == Kind::ULLong && c < 0) return;  // above 2^63: beyond every range here
    int verdict = -1;                                   // 1 always true, 0 always false
    switch (op) {
        case Op::Lt:
            verdict = c > hi ? 1 : c <= lo ? 0 : -1;
            break;
        case Op::Le:
            verdict = c >= hi ? 1 : c < lo ? 0 : -1;
            break;
        case Op::Gt:
            verdict = c < lo ? 1 : c >= hi ? 0 : -1;
            break;
        case Op::Ge:
            verdict = c <= lo ? 1 : c > hi ? 0 : -1;
            break;
        case Op::Eq:
            verdict = c < lo || c > hi ? 0 : -1;
            break;
        case Op::Ne:
            verdict = c < lo || c > hi ? 1 : -1;
            break;
        default:
            break;
    }
    // x <= max and x >= 0 of unsigned types are true but often written for clarity: GCC keeps
    // quiet on the first too; only the "< 0" and ">= 0" of unsigned values and the constants
    // out of range are reported.
    const bool outside = c < lo || c > hi;
    const bool unsignedZero = isUnsigned(x->type) && c == 0 && (op == Op::Lt || op == Op::Ge);
    if (verdict < 0 || !(outside || unsignedZero)) return;
    diag_.warning(loc,
                  std::string("comparison is always ") + (verdict ? "true" : "false") + ": " +
                      widthText(x->type) + " holds " + std::to_string(lo) + " to " +
                      std::to_string(hi),
                  Warn::Extra, "type-limits");
}

Expr* Parser::makeBinary(Op op, Expr* a, Expr* b, const Loc& loc) {
    a = rvalue(a);
    b = rvalue(b);
    if (isVoid(a->type) || isVoid(b->type)) fail(loc, "a void value used in an expression");
    auto make = [&](Type* t, Expr* x, Expr* y) {
        Expr* e = prog_.newExpr(op, t, loc);
        e->a = x;
        e->b = y;
        return fold(e);
    };
    if (op == Op::LogAnd || op == Op::LogOr) {
        return make(types_.intT, cond(a), cond(b));
    }
    if (op == Op::Add || op == Op::Sub) {
        if (isPointer(a->type) && isInteger(b->type)) {
            int64_t step = sizeOf(a->type->base);
            if (step < 0) fail(loc, "arithmetic on a pointer to an incomplete type");
            Expr* scaled = convert(b, types_.intT);
            if (step != 1) {
                Expr* m = prog_.newExpr(Op::Mul, types_.intT, loc);
                m->a = scaled;
                m->b = num(step, types_.intT, loc);
                scaled = foldQuietly(m);
            }
            Expr* e = prog_.newExpr(op, a->type, loc);
            e->a = a;
            e->b = scaled;
            return e;
        }
        if (op == Op::Add && isInteger(a->type) && isPointer(b->type))
            return makeBinary(op, b, a, loc);
        if (op == Op::Sub && isPointer(a->type) && isPointer(b->type)) {
            if (!compatible(a->type->base, b->type->base))
                diag_.warning(loc, "subtraction of pointers to different types");
            Expr* e = prog_.newExpr(Op::PtrDiff, types_.intT, loc);
            e->a = a;
            e->b = b;
            e->value = std::max<int64_t>(1, sizeOf(a->type->base));
            return e;
        }
    }
    if (op == Op::Lt || op == Op::Gt || op == Op::Le || op == Op::Ge || op == Op::Eq ||
        op == Op::Ne) {
        if (isPointer(a->type) || isPointer(b->type)) {
            if (isPointer(a->type) && isPointer(b->type)) {
                if (!isVoid(a->type->base) && !isVoid(b->type->base) &&
                    !compatible(a->type->base, b->type->base))
                    diag_.warning(loc, "comparison of pointers to different types");
            } else if (isFloating(a->type) || isFloating(b->type)) {
                fail(loc, "invalid operands to a comparison (" + typeText(a->type) + " and " +
                              typeText(b->type) + ")");
            } else if (!isNullConstant(isPointer(a->type) ? b : a)) {
                diag_.warning(loc, "comparison between a pointer and an integer");
            }
            Expr* e = prog_.newExpr(op, types_.intT, loc);
            e->a = convert(a, types_.uintT);
            e->b = convert(b, types_.uintT);
            return fold(e);
        }
        if (!isArithmetic(a->type) || !isArithmetic(b->type))
            fail(loc, "invalid operands to a comparison (" + typeText(a->type) + " and " +
                          typeText(b->type) + ")");
        Type* t = commonType(types_, a->type, b->type);
        static const std::map<Op, Op> kMirror = {{Op::Lt, Op::Gt}, {Op::Gt, Op::Lt},
                                                 {Op::Le, Op::Ge}, {Op::Ge, Op::Le},
                                                 {Op::Eq, Op::Eq}, {Op::Ne, Op::Ne}};
        if (b->op == Op::Num) rangeComparison(op, a, b->value, t, loc);
        if (a->op == Op::Num) rangeComparison(kMirror.at(op), b, a->value, t, loc);
        Expr* e = prog_.newExpr(op, types_.intT, loc);
        e->a = convert(a, t);
        e->b = convert(b, t);
        return fold(e);
    }
    const bool floatingOp = op == Op::Add || op == Op::Sub || op == Op::Mul || op == Op::Div;
    if (floatingOp && isArithmetic(a->type) && isArithmetic(b->type) &&
        (isFloating(a->type) || isFloating(b->type))) {
        Type* t = commonType(types_, a->type, b->type);
        return make(t, convert(a, t), convert(b, t));
    }
    if (!isInteger(a->type) || !isInteger(b->type))
        fail(loc, "invalid operands to a binary operator (" + typeText(a->type) + " and " +
                      typeText(b->type) + ")");
    if (op == Op::Shl || op == Op::Shr) {
        Type* t = promote(types_, a->type);
        return make(t, convert(a, t), convert(b, types_.intT));
    }
    Type* t = commonType(types_, a->type, b->type);
    return make(t, convert(a, t), convert(b, t));
}

Expr* Parser::makeAssign(Expr* lhs, Expr* rhs, const Loc& loc) {
    checkLvalue(lhs, loc, "assignment");
    if (isAggregate(lhs->type) && sizeOf(lhs->type) < 0)
        fail(loc, "assignment of an incomplete type");
    Expr* e = prog_.newExpr(Op::Assign, lhs->type, loc);
    e->a = lhs;
    e->b = assignConvert(rhs, lhs->type, loc, "assignment");
    return e;
}

Expr* Parser::makeCompound(Op op, Expr* lhs, Expr* rhs, const Loc& loc) {
    checkLvalue(lhs, loc, "assignment");
    rhs = rvalue(rhs);
    Expr* e = prog_.newExpr(Op::CompoundAssign, lhs->type, loc);
    e->a = lhs;
    e->binop = op;
    if (isPointer(lhs->type)) {
        if ((op != Op::Add && op != Op::Sub) || !isInteger(rhs->type))
            fail(loc, "invalid operands to a compound assignment of a pointer");
        int64_t step = sizeOf(lhs->type->base);
        if (step < 0) fail(loc, "arithmetic on a pointer to an incomplete type");
        Expr* r = convert(rhs, types_.intT);
        if (step != 1) {
            Expr* m = prog_.newExpr(Op::Mul, types_.intT, loc);
            m->a = r;
            m->b = num(step, types_.intT, loc);
            r = foldQuietly(m);
        }
        e->b = r;
        e->optype = lhs->type;
        return e;
    }
    const bool floating = isFloating(lhs->type) || isFloating(rhs->type);
    const bool floatingOp = op == Op::Add || op == Op::Sub || op == Op::Mul || op == Op::Div;
    if (floating ? !(floatingOp && isArithmetic(lhs->type) && isArithmetic(rhs->type))
                 : !isInteger(lhs->type) || !isInteger(rhs->type))
        fail(loc, "invalid operands to a compound assignment");
    Type* t = (op == Op::Shl || op == Op::Shr) ? promote(types_, lhs->type)
                                               : commonType(types_, lhs->type, rhs->type);
    e->optype = t;
    e->b = convert(rhs, (op == Op::Shl || op == Op::Shr) ? types_.intT : t);
    return e;
}

Expr* Parser::makeIncDec(Op op, Expr* x, const Loc& loc) {
    checkLvalue(x, loc, op == Op::PreInc || op == Op::PostInc ? "increment" : "decrement");
    if (!isScalar(x->type)) fail(loc, "increment or decrement of a " + typeText(x->type));
    Expr* e = prog_.newExpr(op, x->type, loc);
    e->a = x;
    e->value = 1;
    if (isPointer(x->type)) {
        e->value = sizeOf(x->type->base);
        if (e->value < 0) fail(loc, "arithmetic on a pointer to an incomplete type");
    }
    return e;
}

Expr* Parser::makeDeref(Expr* p, const Loc& loc) {
    p = rvalue(p);
    if (!isPointer(p->type)) fail(loc, "cannot dereference a " + typeText(p->type));
    if (isFunction(p->type->base))
        return p->op == Op::Addr ? p->a : [&] {
            Expr* d = prog_.newExpr(Op::Deref, p->type->base, loc);
            d->a = p;
            return d;
        }();
    if (isVoid(p->type->base)) fail(loc, "cannot dereference a void pointer");
    Expr* e = prog_.newExpr(Op::Deref, p->type->base, loc);
    e->a = p;
    e->lvalue = true;
    return e;
}

Expr* Parser::makeAddr(Expr* x, const Loc& loc) {
    if (isFunction(x->type)) return rvalue(x);
    if (!x->lvalue && !(x->op == Op::Str)) fail(loc, "cannot take the address of an rvalue");
    if (x->type->bits) fail(loc, "cannot take the address of a bit-field");
    Expr* e = prog_.newExpr(Op::Addr, types_.pointerTo(x->type), loc);
    e->a = x;
    return e;
}

Expr* Parser::makeMember(Expr* base, const std::string& name, const Loc& loc) {
    if (!isAggregate(base->type))
        fail(loc, "request for member '" + name + "' in a " + typeText(base->type));
    if (!base->type->record->complete) fail(loc, "use of an incomplete " + typeText(base->type));
    const Member* m = base->type->record->find(name);
    if (!m && base->type->record->broken) throw CompileError{};  // its error was reported
    if (!m) fail(loc, typeText(base->type) + " has no member '" + name + "'");
    Type* t = m->type;
    if (base->type->isConst && !t->isConst) {
        t = types_.copy(t);
        t->isConst = true;
    }
    Expr* e = prog_.newExpr(Op::Member, t, loc);
    e->a = base;
    e->value = m->offset;
    e->lvalue = base->lvalue || isAggregate(base->type);
    return e;
}

}  // namespace corvane::cc
