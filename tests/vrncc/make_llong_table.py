#!/usr/bin/env python3
"""Writes programs/llong_table.c and its .expected: long long and unsigned long long operators
at their edge values (0, 1, -1, the extremes, the 2^15, 2^16, 2^31 and 2^32 boundaries), the
usual arithmetic conversions with the narrower types, conversions both ways, compound
assignments, increments and printf's %ll conversions. Every type is named through <stdint.h>
and every binary operator has a 64-bit operand, so the program means the same with a 16-bit and
a 32-bit int: the host's compiler checks it too (llong_table.portable). Cases C leaves undefined
(signed overflow, division by zero, shifts out of range) are left out. Run it again after
changing it:
    python3 tests/vrncc/make_llong_table.py
"""
import os
import random

# name: (bits, signed)
TYPES = {
    "int8_t": (8, True),
    "uint8_t": (8, False),
    "int16_t": (16, True),
    "uint16_t": (16, False),
    "int32_t": (32, True),
    "uint32_t": (32, False),
    "int64_t": (64, True),
    "uint64_t": (64, False),
}
WIDE = ["int64_t", "uint64_t"]
VAR = {t: "v_" + t[:-2] for t in TYPES}


def wrap(v, t):
    bits, signed = TYPES[t]
    v &= (1 << bits) - 1
    if signed and v >= 1 << (bits - 1):
        v -= 1 << bits
    return v


def edges(t):
    bits, signed = TYPES[t]
    lo = -(1 << (bits - 1)) if signed else 0
    hi = (1 << (bits - 1)) - 1 if signed else (1 << bits) - 1
    vals = [lo, lo + 1, 0, 1, 2, 10, hi - 1, hi, hi // 3]
    if signed:
        vals.append(-1)
    for p in (15, 16, 31, 32):
        for d in (-1, 0, 1):
            vals.append((1 << p) + d)
            if signed:
                vals.append(-(1 << p) + d)
    return sorted({wrap(v, t) for v in vals})


def literal(v, t):
    return "(%s)0x%XULL" % (t, v & 0xFFFFFFFFFFFFFFFF)


def common(a, b):
    # Only pairs with a 64-bit operand: int64_t holds every narrower type.
    return "uint64_t" if "uint64_t" in (a, b) else "int64_t"


def cdiv(a, b):
    q = abs(a) // abs(b)
    return q if (a < 0) == (b < 0) else -q


def apply(op, x, tx, y, ty):
    """(value, type) of `x op y`, or None where C leaves it undefined."""
    if op in ("<<", ">>"):
        t = tx
        if y < 0 or y >= 64:
            return None
        a = wrap(x, t)
        if op == "<<":
            if TYPES[t][1] and (a < 0 or a << y >= 1 << 63):
                return None
            return wrap(a << y, t), t
        return wrap(a >> y, t), t
    if op in ("&&", "||"):
        a, b = x != 0, y != 0
        return int(a and b if op == "&&" else a or b), "int16_t"
    t = common(tx, ty)
    a, b = wrap(x, t), wrap(y, t)
    if op in ("<", ">", "<=", ">=", "==", "!="):
        return int(eval("a %s b" % op)), "int16_t"
    if op in ("/", "%"):
        if b == 0 or (TYPES[t][1] and a == -(1 << 63) and b == -1):
            return None
        q = cdiv(a, b)
        return wrap(q if op == "/" else a - q * b, t), t
    r = eval("a %s b" % op)
    if TYPES[t][1] and wrap(r, t) != r:
        return None  # signed overflow
    return wrap(r, t), t


def main():
    rnd = random.Random(2026)
    here = os.path.dirname(os.path.abspath(__file__))
    lines, expected = [], []
    M = 1 << 64
    names = list(TYPES)

    def emit(expr, value, t):
        lines.append('    printf("%%llu\\n", (unsigned long long)(%s));' % expr)
        expected.append(str(wrap(value, t) & 0xFFFFFFFFFFFFFFFF))

    def setvar(t, v):
        lines.append("    %s = %s;" % (VAR[t], literal(v, t)))

    # Conversions: every narrower type to both 64-bit types, and back.
    for wide in WIDE:
        for t in names:
            for v in edges(t)[:3] + edges(t)[-3:]:
                emit("(%s)%s" % (wide, literal(v, t)), wrap(v, t), wide)
                setvar(t, v)
                emit("(%s)%s" % (wide, VAR[t]), wrap(v, t), wide)
        for t in names:
            for v in (edges(wide)[0], edges(wide)[-1], -5, (1 << 40) + 0x12345678):
                setvar(wide, wrap(v, wide))
                emit("(%s)%s" % (t, VAR[wide]), wrap(v, t), t)
    # Binary operators: a 64-bit operand with any other, on variables and on constants.
    ops = ["+", "-", "*", "/", "%", "&", "|", "^", "<<", ">>", "<", ">", "<=", ">=", "==",
           "!=", "&&", "||"]
    count = 0
    while count < 360:
        tx = rnd.choice(WIDE)
        ty = rnd.choice(names)
        if rnd.random() < 0.5:
            tx, ty = ty, tx
        op = rnd.choice(ops)
        if op in ("<<", ">>"):
            tx, ty = rnd.choice(WIDE), "int16_t"
        x = rnd.choice(edges(tx))
        y = rnd.choice(edges(ty)) if op not in ("<<", ">>") else rnd.choice(
            [0, 1, 15, 16, 31, 32, 33, 48, 63, rnd.randrange(64)])
        r = apply(op, x, tx, y, ty)
        if r is None:
            continue
        count += 1
        if count % 2 and tx != ty:
            setvar(tx, x)
            setvar(ty, y)
            emit("%s %s %s" % (VAR[tx], op, VAR[ty]), *r)
        else:
            emit("%s %s %s" % (literal(x, tx), op, literal(y, ty)), *r)
    # Division and remainder over operands of every length, which take the helper's paths:
    # the machine's division, 16 bits at a time, and shift-and-subtract with short and long
    # quotients.
    for _ in range(48):
        a, b = [rnd.getrandbits(n) | 1 << (n - 1)
                for n in (rnd.choice([16, 31, 33, 48, 63, 64]), rnd.choice([3, 15, 16, 17, 32,
                                                                             40, 64]))]
        for t in WIDE:
            for op in ("/", "%"):
                r = apply(op, a, t, b, t)
                if r is None:
                    continue
                if rnd.random() < 0.2:
                    emit("%s %s %s" % (literal(a, t), op, literal(b, t)), *r)
                else:
                    setvar(t, a)
                    emit("%s %s %s" % (VAR[t], op, literal(b, t)), *r)
    # Unary operators.
    for t in WIDE:
        for v in edges(t):
            setvar(t, v)
            if not (TYPES[t][1] and v == -(1 << 63)):
                emit("-%s" % VAR[t], -v, t)
            emit("~%s" % VAR[t], ~v, t)
            emit("!%s" % VAR[t], int(v == 0), "int16_t")
    # Compound assignments and increments, some with a narrower right operand.
    for t in WIDE:
        for v in (edges(t)[1], 0xFFFFFFFF, (1 << 32), -(1 << 32), 65535, 7):
            v = wrap(v, t)
            for op, y, ty in (("+=", 1000, "int16_t"), ("-=", 70000, "int32_t"),
                              ("*=", 3, "uint8_t"), ("/=", -7, "int8_t"), ("%=", 10, "uint16_t"),
                              ("<<=", 4, "int16_t"), (">>=", 33, "int16_t"),
                              ("^=", 0x5555, "uint16_t"), ("|=", 1 << 31, "uint32_t"),
                              ("&=", -256, "int32_t")):
                r = apply(op[:-1], v, t, y, ty)
                if r is None:
                    continue
                setvar(t, v)
                setvar(ty, y)
                lines.append("    %s %s %s;" % (VAR[t], op, VAR[ty]))
                emit(VAR[t], r[0], t)
            r = apply("+", v, t, 1, t)
            if r is not None:
                setvar(t, v)
                emit("++%s" % VAR[t], r[0], t)
                emit("%s--" % VAR[t], r[0], t)
                emit(VAR[t], v, t)
            r = apply("-", v, t, 1, t)
            if r is not None:
                setvar(t, v)
                emit("%s--" % VAR[t], v, t)
                emit(VAR[t], r[0], t)
    # A narrower left operand with a 64-bit right one: computed in 64 bits, stored cut.
    for t in ("int16_t", "uint16_t", "int32_t", "uint8_t"):
        for op, y in (("+=", (1 << 32) + 5), ("*=", -3), ("-=", 1 << 40), ("/=", -2)):
            v = edges(t)[-2]
            r = apply(op[:-1], v, t, y, "int64_t")
            if r is None:
                continue
            setvar(t, v)
            setvar("int64_t", y)
            lines.append("    %s %s %s;" % (VAR[t], op, VAR["int64_t"]))
            emit(VAR[t], r[0], t)
    # printf's 64-bit conversions with flags, widths and precisions.
    fmts = ["%lld", "%lli", "%llu", "%llx", "%llX", "%llo", "%+lld", "% lld", "%25lld",
            "%-22lld|", "%020lld", "%.20llu", "%#llx", "%#llX", "%5llu", "%jd"]
    for v in (0, 1, -1, -(1 << 63), (1 << 63) - 1, 1 << 32, -(1 << 32) - 1, 1234567890123456789):
        for f in fmts:
            conv = f.rstrip("|")[-1]
            signed = conv in "di"
            arg = v if signed else v & 0xFFFFFFFFFFFFFFFF
            t = "int64_t" if signed else "uint64_t"
            setvar(t, v)
            lines.append('    printf("%s\\n", %s);' % (f, VAR[t]))
            py = f.replace("ll", "").replace("j", "").replace("u", "d")
            # C's %#x prints 0 without its prefix; Python's does not.
            expected.append("0" if "#" in f and arg == 0 else py % arg)

    # switch on 64-bit values: the labels compare all 64 bits.
    labels = [(0, 1), (M - 1, 2), (1 << 32, 3), (5, 4), (-(1 << 63) & (M - 1), 6)]
    for t in WIDE:
        for v in (0, -1, 1 << 32, 5, (1 << 32) + 5, -(1 << 63), 1 << 31):
            v = wrap(v, t)
            setvar(t, v)
            cases = " ".join("case %s: sw = %d; break;" % (literal(c, t), n) for c, n in labels)
            lines.append("    sw = 0;")
            lines.append("    switch (%s) { %s default: sw = 5; }" % (VAR[t], cases))
            got = [n for c, n in labels if wrap(c, t) == v]
            emit("sw", got[0] if got else 5, "int16_t")

    # The library's 64-bit functions and limits.
    for expr, value in (
            ('strtoll("-9223372036854775808", 0, 10)', -(1 << 63)),
            ('strtoll("  +12345678901234xyz", &end, 0)', 12345678901234),
            ("*end", ord("x")),
            ('strtoll("0x7fffffffffffffff", 0, 0)', (1 << 63) - 1),
            ('strtoull("0XFFFFFFFFFFFFFFFF", 0, 16)', M - 1),
            ('strtoull("-1", 0, 10)', M - 1),
            ('strtoull("01777777777777777777777", 0, 0)', M - 1),
            ('atoll("-4294967296")', -(1 << 32)),
            ("llabs(-5000000000LL)", 5000000000),
            ("lldiv(-7000000000LL, 3).quot", -2333333333),
            ("lldiv(-7000000000LL, 3).rem", -1),
            ("LLONG_MAX", (1 << 63) - 1),
            ("LLONG_MIN", -(1 << 63)),
            ("ULLONG_MAX", M - 1),
            ("INT64_MIN + UINT64_MAX", (1 << 63) - 1),
            ("INT64_C(1) << 40", 1 << 40)):
        emit(expr, value, "uint64_t")
    lines.append("    errno = 0;")
    emit('strtoll("9223372036854775808", 0, 10)', (1 << 63) - 1, "uint64_t")
    emit("errno == ERANGE", 1, "uint64_t")

    decls = ["    %s %s;" % (t, VAR[t]) for t in names] + ["    char *end;", "    int sw;"]
    src = ["/* Generated by make_llong_table.py: long long and unsigned long long operators,",
           " * conversions, compound assignments, increments and printf conversions at the edge",
           " * values. */",
           "#include <errno.h>", "#include <limits.h>", "#include <stdint.h>",
           "#include <stdio.h>", "#include <stdlib.h>", "", "int main(void)", "{"]
    src += decls + lines + ["    return 0;", "}", ""]
    with open(os.path.join(here, "programs", "llong_table.c"), "w") as f:
        f.write("\n".join(src))
    with open(os.path.join(here, "programs", "llong_table.expected"), "w") as f:
        f.write("\n".join(expected) + "\n")


main()
