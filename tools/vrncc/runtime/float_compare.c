/* Comparisons: the order of two values as -1, 0 or 1, and `unordered` when either is a NaN.
 * The compiler compares the answer with 0; the two unordered answers (2 for < <= == !=, -2 for
 * > >=) make every comparison with a NaN false but !=. -0 equals +0. */
#ifdef __VRNCC_FLOAT__
#include "float_internal.h"

/* The order of two values given as sign-magnitude words, most significant first. */
static int __order(__w32 ah, __w32 al, __w32 bh, __w32 bl)
{
    int c;
    if ((ah ^ bh) & __SIGN) return (ah & __SIGN) ? -1 : 1;
    if (ah != bh) c = ah < bh ? -1 : 1;
    else if (al != bl) c = al < bl ? -1 : 1;
    else return 0;
    return (ah & __SIGN) ? -c : c;
}

static int __dorder(const __w32 *a, const __w32 *b, int unordered)
{
    if (__DNAN(a[1], a[0]) || __DNAN(b[1], b[0])) return unordered;
    if (__DZERO(a[1], a[0]) && __DZERO(b[1], b[0])) return 0;
    return __order(a[1], a[0], b[1], b[0]);
}

int __dcmp(const __w32 *a, const __w32 *b)
{
    return __dorder(a, b, 2);
}

int __dcmpg(const __w32 *a, const __w32 *b)
{
    return __dorder(a, b, -2);
}

static int __forder(__w32 a, __w32 b, int unordered)
{
    if ((a & 0x7FFFFFFFUL) > 0x7F800000UL || (b & 0x7FFFFFFFUL) > 0x7F800000UL) return unordered;
    if (!((a | b) & 0x7FFFFFFFUL)) return 0;
    return __order(a, 0, b, 0);
}

int __fcmp(__w32 a, __w32 b)
{
    return __forder(a, b, 2);
}

int __fcmpg(__w32 a, __w32 b)
{
    return __forder(a, b, -2);
}
#endif
