#!/usr/bin/env python3
"""Writes programs/arith_table.c and its .expected: a few hundred expressions over every integer
type at its edge values, each printed as `(unsigned long)(expr)`. The expected values come from
a model of C on the handheld (char 8, short and int 16, long 32 bits; plain char unsigned;
signed overflow wraps; >> of a negative value is arithmetic). Run it again after changing it:
    python3 tests/vrncc/make_arith_table.py
"""
import os
import random

# name: (bits, signed, rank)
TYPES = {
    "char": (8, False, 1),
    "signed char": (8, True, 1),
    "unsigned char": (8, False, 1),
    "short": (16, True, 2),
    "unsigned short": (16, False, 2),
    "int": (16, True, 3),
    "unsigned": (16, False, 3),
    "long": (32, True, 4),
    "unsigned long": (32, False, 4),
}
VAR = {t: "v_" + t.replace(" ", "_") for t in TYPES}


def wrap(v, t):
    bits, signed, _ = TYPES[t]
    v &= (1 << bits) - 1
    if signed and v >= 1 << (bits - 1):
        v -= 1 << bits
    return v


def promote(t):
    # unsigned short cannot fit in a 16-bit int, so it promotes to unsigned int.
    if t == "unsigned short":
        return "unsigned"
    return "int" if TYPES[t][2] < 3 else t


def common(a, b):
    a, b = promote(a), promote(b)
    if "unsigned long" in (a, b):
        return "unsigned long"
    if "long" in (a, b):
        return "long"  # long holds every unsigned int
    if "unsigned" in (a, b):
        return "unsigned"
    return "int"


def edges(t):
    bits, signed, _ = TYPES[t]
    lo = -(1 << (bits - 1)) if signed else 0
    hi = (1 << (bits - 1)) - 1 if signed else (1 << bits) - 1
    return [lo, lo + 1, -1 if signed else 1, 0, 1, 2, 7, hi - 1, hi, hi // 3]


def literal(v, t):
    # A constant of type t whatever the value: cast an unsigned long literal.
    return "(%s)%dUL" % (t, v & 0xFFFFFFFF)


def cdiv(a, b):
    q = abs(a) // abs(b)
    return q if (a < 0) == (b < 0) else -q


def apply(op, x, tx, y, ty):
    """Returns (value, type) of `x op y`, or None where C leaves it undefined."""
    if op in ("<<", ">>"):
        t = promote(tx)
        if y < 0 or y >= TYPES[t][0]:
            return None
        a = wrap(x, t)
        if op == "<<":
            if TYPES[t][1] and (a < 0 or a << y >= 1 << (TYPES[t][0] - 1)):
                return None
            return wrap(a << y, t), t
        return wrap(a >> y, t), t
    t = common(tx, ty)
    a, b = wrap(x, t), wrap(y, t)
    if op in ("<", ">", "<=", ">=", "==", "!="):
        return int(eval("a %s b" % op)), "int"
    if op in ("/", "%"):
        if b == 0:
            return None
        q = cdiv(a, b)
        if op == "/":
            return wrap(q, t), t
        return wrap(a - q * b, t), t
    return wrap(eval("a %s b" % op), t), t


def main():
    rnd = random.Random(2026)
    here = os.path.dirname(os.path.abspath(__file__))
    lines, expected = [], []
    names = list(TYPES)

    def emit(expr, value, t):
        lines.append('    printf("%%lu\\n", (unsigned long)(%s));' % expr)
        expected.append(str(wrap(value, t) & 0xFFFFFFFF))

    # Conversions between every pair of types.
    for src in names:
        for dst in names:
            for v in edges(src)[:2] + edges(src)[-2:]:
                emit("(%s)%s" % (dst, literal(v, src)), wrap(v, src), dst)
    # Binary operators on variables (not folded) and on constants (folded by the compiler).
    ops = ["+", "-", "*", "/", "%", "&", "|", "^", "<<", ">>", "<", ">", "<=", ">=", "==", "!="]
    body = []
    count = 0
    while count < 320:
        tx, ty = rnd.choice(names), rnd.choice(names)
        op = rnd.choice(ops)
        x = rnd.choice(edges(tx))
        y = rnd.choice(edges(ty)) if op not in ("<<", ">>") else rnd.randrange(0, 33)
        if op in ("<<", ">>"):
            ty = "int"
        r = apply(op, x, tx, y, ty)
        if r is None:
            continue
        count += 1
        if count % 2:
            body.append("    %s = %d; %s = %d;" % (VAR[tx], x, VAR[ty], y) if tx != ty else
                        "    %s = %d;" % (VAR[tx], x))
            if tx == ty:
                y = x
                r = apply(op, x, tx, y, ty)
                if r is None:
                    body.pop()
                    count -= 1
                    continue
            lines.extend(body)
            body = []
            emit("%s %s %s" % (VAR[tx], op, VAR[ty]), *r)
        else:
            emit("%s %s %s" % (literal(x, tx), op, literal(y, ty)), *r)
    # Compound assignment and increments convert back to the left operand's type.
    for t in names:
        for v in (edges(t)[0], edges(t)[-2]):
            lines.append("    %s = %d;" % (VAR[t], v))
            lines.append("    %s += 1000;" % VAR[t])
            emit(VAR[t], wrap(v, t) + 1000, t)
            lines.append("    %s = %d;" % (VAR[t], v))
            lines.append("    %s *= 3;" % VAR[t])
            emit(VAR[t], wrap(v, t) * 3, t)
            lines.append("    %s = %d;" % (VAR[t], v))
            emit("++%s" % VAR[t], wrap(v, t) + 1, t)
            emit("%s--" % VAR[t], wrap(v, t) + 1, t)
            emit("%s" % VAR[t], wrap(v, t), t)
            lines.append("    %s = %d;" % (VAR[t], v))
            lines.append("    %s >>= 1;" % VAR[t])
            emit(VAR[t], wrap(wrap(v, t) >> 1, promote(t)), t)

    decls = ["    %s %s;" % (t, VAR[t]) for t in names]
    src = ["/* Generated by make_arith_table.py: integer conversions, operators, compound",
           " * assignments and increments at the edge values of every type. */",
           "#include <stdio.h>", "", "int main(void)", "{"]
    src += decls + lines + ["    return 0;", "}", ""]
    with open(os.path.join(here, "programs", "arith_table.c"), "w") as f:
        f.write("\n".join(src))
    with open(os.path.join(here, "programs", "arith_table.expected"), "w") as f:
        f.write("\n".join(expected) + "\n")


main()
