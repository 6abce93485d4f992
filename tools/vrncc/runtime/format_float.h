/* printf's %e %f %g (%E %F %G): a part of stdio.c, which includes it for programs that use
 * floating point. The digits are those of the double's exact decimal value rounded to nearest,
 * ties to even, which is what the C libraries of the PC print. */
#include "float_decimal.h"

/* The j-th digit after the point. */
static int __frac_digit(const struct __decimal* d, int style, int j) {
    return __dec_digit(d, style == 'e' ? 1 + j : d->decpt + j);
}

static void __float(struct __sink* o, const unsigned long* x, int c, int flags, int width,
                    int prec) {
    struct __decimal d;
    int upper = c == 'E' || c == 'F' || c == 'G';
    int style = c | 0x20; /* 'e', 'f' or 'g' */
    int sign = 0, trim = 0, intlen = 1, fraclen, dot, exp10 = 0, explen = 0, total, i;
    if (x[1] & __SIGN)
        sign = '-';
    else if (flags & F_PLUS)
        sign = '+';
    else if (flags & F_SPACE)
        sign = ' ';
    if (__DEXP(x[1]) == 0x7FF) {
        const char* t = (__DFRAC(x[1]) | x[0]) ? (upper ? "NAN" : "nan") : (upper ? "INF" : "inf");
        total = 3 + (sign != 0);
        if (!(flags & F_LEFT)) __pad(o, ' ', width - total);
        if (sign) __put(o, sign);
        for (i = 0; i < 3; i++) __put(o, t[i]);
        if (flags & F_LEFT) __pad(o, ' ', width - total);
        return;
    }
    if (prec < 0) prec = 6;
    if (__DZERO(x[1], x[0])) {
        d.zero = 1;
        d.decpt = 0;
    } else {
        __dec_exact(&d, x);
    }
    if (style == 'g') {
        /* The exponent X of the %e form with P digits decides: %f with P - 1 - X digits after
         * the point when -4 <= X < P, else %e with P - 1; trailing zeros go unless #. */
        int p = prec ? prec : 1, xexp = 0;
        if (!d.zero) {
            __dec_round(&d, p);
            xexp = d.decpt - 1;
        }
        if (xexp < p && xexp >= -4) {
            style = 'f';
            prec = p - 1 - xexp;
        } else {
            style = 'e';
            prec = p - 1;
        }
        trim = !(flags & F_ALT);
    }
    if (!d.zero) {
        if (style == 'e')
            __dec_round(&d, prec + 1);
        else
            __dec_round(&d, d.point + prec);
    }
    if (style == 'e') {
        if (!d.zero) exp10 = d.decpt - 1;
        explen = exp10 >= 100 || exp10 <= -100 ? 5 : 4;
    } else if (!d.zero && d.decpt > 0) {
        intlen = d.decpt;
    }
    fraclen = prec;
    if (trim)
        while (fraclen > 0 && !__frac_digit(&d, style, fraclen - 1)) fraclen--;
    dot = fraclen > 0 || (flags & F_ALT);
    total = (sign != 0) + intlen + dot + fraclen + explen;
    if (!(flags & (F_LEFT | F_ZERO))) __pad(o, ' ', width - total);
    if (sign) __put(o, sign);
    if ((flags & F_ZERO) && !(flags & F_LEFT)) __pad(o, '0', width - total);
    if (style == 'e' || d.zero || d.decpt <= 0)
        __put(o, '0' + __dec_digit(&d, 0) * (style == 'e'));
    else
        for (i = 0; i < intlen; i++) __put(o, '0' + __dec_digit(&d, i));
    if (dot) __put(o, '.');
    for (i = 0; i < fraclen; i++) __put(o, '0' + __frac_digit(&d, style, i));
    if (style == 'e') {
        __put(o, upper ? 'E' : 'e');
        __put(o, exp10 < 0 ? '-' : '+');
        if (exp10 < 0) exp10 = -exp10;
        if (exp10 >= 100) __put(o, '0' + exp10 / 100);
        __put(o, '0' + exp10 / 10 % 10);
        __put(o, '0' + exp10 % 10);
    }
    if (flags & F_LEFT) __pad(o, ' ', width - total);
}
