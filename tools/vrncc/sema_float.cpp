// Types of expressions: floating constants and the folding of floating-point expressions. The
// host computes in the same IEEE formats with the same rounding (to nearest, ties to even), so a
// folded constant has exactly the bits the runtime library would compute on the machine.

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "shared/bit_cast.h"
#include "tools/vrncc/parser.h"

namespace corvane::cc {

namespace {

// A constant of an arithmetic type as a double: exact for every float and every integer up to
// 2^53, rounded once for wider integers.
double valueOf(const Expr* e) {
    if (e->type->kind == Kind::Float) return double(bitCast<float>(uint32_t(e->value)));
    if (isDouble(e->type)) return bitCast<double>(uint64_t(e->value));
    if (e->type->kind == Kind::ULLong) return double(uint64_t(e->value));
    return double(e->value);
}

// The same for a float result: an integer is rounded to float once, not through a double.
float floatOf(const Expr* e) {
    if (isFloating(e->type)) return float(valueOf(e));
    if (e->type->kind == Kind::ULLong) return float(uint64_t(e->value));
    return float(e->value);
}

bool truthOf(const Expr* e) {
    return isFloating(e->type) ? valueOf(e) != 0 : e->value != 0;
}

}  // namespace

Expr* Parser::fnum(double v, Type* t, const Loc& loc) {
    Expr* e = prog_.newExpr(Op::Num, t, loc);
    e->value = t->kind == Kind::Float ? int64_t(bitCast<uint32_t>(float(v))) : bitCast<int64_t>(v);
    return e;
}

// float-constant = (decimal-float | hex-float) ("f" | "F" | "l" | "L")?
// decimal-float = digits? "." digits exponent? | digits "." exponent? | digits exponent
// hex-float = "0x" hex-digits? "." hex-digits? binary-exponent
// The host's conversion rounds correctly, to float directly for a float constant.
Expr* Parser::floatConstant(const std::string& text, const Loc& loc) {
    std::string s = text;
    Type* t = types_.doubleT;
    const bool hex = s.rfind("0x", 0) == 0 || s.rfind("0X", 0) == 0;
    if (!s.empty() && (s.back() == 'f' || s.back() == 'F')) {
        t = types_.floatT;
        s.pop_back();
    } else if (!s.empty() && (s.back() == 'l' || s.back() == 'L')) {
        s.pop_back();  // long double is double
    }
    if (hex && s.find_first_of("pP") == std::string::npos)
        fail(loc, "a hexadecimal floating constant needs an exponent (p) in '" + text + "'");
    char* end = nullptr;
    errno = 0;
    Expr* e = prog_.newExpr(Op::Num, t, loc);
    bool infinite;
    if (t == types_.floatT) {
        const float f = std::strtof(s.c_str(), &end);
        infinite = std::isinf(f);
        e->value = int64_t(bitCast<uint32_t>(f));
    } else {
        const double d = std::strtod(s.c_str(), &end);
        infinite = std::isinf(d);
        e->value = bitCast<int64_t>(d);
    }
    if (s.empty() || end != s.c_str() + s.size())
        fail(loc, "invalid floating constant '" + text + "'");
    if (infinite)
        diag_.warning(loc, "floating constant '" + text + "' exceeds the range of " + typeText(t),
                      Warn::Always, "overflow");
    return e;
}

bool Parser::involvesFloating(const Expr* e) {
    auto floating = [](const Expr* x) { return x && x->type && isFloating(x->type); };
    return floating(e) || floating(e->a) || floating(e->b) || floating(e->c);
}

Expr* Parser::foldFloat(Expr* e) {
    auto isNum = [](const Expr* x) { return x && x->op == Op::Num; };
    Type* t = e->type;
    switch (e->op) {
        case Op::Neg:
            if (!isNum(e->a)) return e;
            {
                // Only the sign bit changes: -0.0 and the NaNs too.
                Expr* n = prog_.newExpr(Op::Num, t, e->loc);
                n->value = t->kind == Kind::Float ? e->a->value ^ 0x80000000
                                                  : int64_t(uint64_t(e->a->value) ^ (1ull << 63));
                return n;
            }
        case Op::LogNot:
            return isNum(e->a) ? num(!truthOf(e->a), types_.intT, e->loc) : e;
        case Op::Cast: {
            if (!isNum(e->a) || !isScalar(t)) return e;
            if (t->kind == Kind::Float) return fnum(double(floatOf(e->a)), t, e->loc);
            if (isDouble(t)) return fnum(valueOf(e->a), t, e->loc);
            if (t->kind == Kind::Bool) return num(truthOf(e->a), t, e->loc);
            // To an integer: the value truncated; C leaves a value out of the type's range
            // undefined, and its bits wrap here.
            const double d = std::trunc(valueOf(e->a));
            if (!(d > -9.3e18 && d < 1.8e19)) {
                diag_.warning(e->loc, "the conversion of a floating constant to " + typeText(t) +
                                          " overflows");
                return num(0, t, e->loc);
            }
            const int64_t v = d >= 9.2e18 ? int64_t(uint64_t(d)) : int64_t(d);
            return num(v, t, e->loc);
        }
        case Op::Cond:
            if (isNum(e->a) && isNum(e->b) && isNum(e->c)) return truthOf(e->a) ? e->b : e->c;
            return e;
        default:
            break;
    }
    if (!isNum(e->a) || !isNum(e->b)) return e;
    const double a = valueOf(e->a), b = valueOf(e->b);
    switch (e->op) {
        case Op::Add:
        case Op::Sub:
        case Op::Mul:
        case Op::Div: {
            if (t->kind == Kind::Float) {
                // Computed in float: the host rounds each operation to binary32, as the runtime.
                const float x = float(a), y = float(b);
                const float r = e->op == Op::Add   ? x + y
                                : e->op == Op::Sub ? x - y
                                : e->op == Op::Mul ? x * y
                                                   : x / y;
                return fnum(double(r), t, e->loc);
            }
            const double r = e->op == Op::Add   ? a + b
                             : e->op == Op::Sub ? a - b
                             : e->op == Op::Mul ? a * b
                                                : a / b;
            return fnum(r, t, e->loc);
        }
        case Op::Lt:
            return num(a < b, types_.intT, e->loc);
        case Op::Gt:
            return num(a > b, types_.intT, e->loc);
        case Op::Le:
            return num(a <= b, types_.intT, e->loc);
        case Op::Ge:
            return num(a >= b, types_.intT, e->loc);
        case Op::Eq:
            return num(a == b, types_.intT, e->loc);
        case Op::Ne:
            return num(a != b, types_.intT, e->loc);
        case Op::LogAnd:
            return num(truthOf(e->a) && truthOf(e->b), types_.intT, e->loc);
        case Op::LogOr:
            return num(truthOf(e->a) || truthOf(e->b), types_.intT, e->loc);
        default:
            return e;
    }
}

}  // namespace corvane::cc
