/* Shared by the runtime's floating-point files. A double is two 32-bit words in memory, the low
 * word first (its bits 0-31, then the sign, the 11-bit exponent and the top 20 bits of the
 * fraction); a float is its 32-bit pattern. The helpers the compiler calls take a double's
 * address, write a double result through the pointer that comes last and return it. Written
 * for a 16-bit int: every 32-bit quantity is a __w32 or an int32_t. */
#ifndef __FLOAT_INTERNAL_H
#define __FLOAT_INTERNAL_H
#include <stdint.h>

typedef uint32_t __w32;

#define __SIGN 0x80000000UL
#define __DEXP(h) ((int)(((h) >> 20) & 0x7FF))
#define __DFRAC(h) ((h)&0xFFFFFUL)
/* Not 0 when the high word `h` and low word `l` hold a NaN. */
#define __DNAN(h, l) \
    (((h)&0x7FFFFFFFUL) > 0x7FF00000UL || (((h)&0x7FFFFFFFUL) == 0x7FF00000UL && (l)))
#define __DZERO(h, l) (!(((h)&0x7FFFFFFFUL) | (l)))

/* Rounds (hi:lo + a sticky fraction below it) x 2^e2 to nearest, ties to even, into a double
 * (subnormals, overflow to infinity included); hi:lo may be any value but 0. */
__w32* __dpack(int sign, int e2, __w32 hi, __w32 lo, int sticky, __w32* r);
/* The same into a float's pattern. */
__w32 __fpack(int sign, int e2, __w32 hi, __w32 lo, int sticky);
/* Shifts hi:lo right by n (any n >= 0); returns 1 when a 1 bit fell off. */
int __shr64s(__w32* hi, __w32* lo, int n);
/* Shifts a subnormal's fraction left until bit 52 (bit 20 of hi) is set; returns the shift. */
int __dnormal(__w32* hi, __w32* lo);
__w32* __dset(__w32 hi, __w32 lo, __w32* r);
/* The NaN an invalid operation makes: the one the PC's processors make, sign bit set, so that
 * programs print it as the host's compilers do. */
__w32* __dnan(__w32* r);
/* x's NaN, made quiet. */
__w32* __dquiet(const __w32* x, __w32* r);

__w32* __ftod(__w32 f, __w32* r);
__w32 __dtof(const __w32* p);
__w32* __dadd(const __w32* a, const __w32* b, __w32* r);
__w32* __dsub(const __w32* a, const __w32* b, __w32* r);
__w32* __dmul(const __w32* a, const __w32* b, __w32* r);
__w32* __ddiv(const __w32* a, const __w32* b, __w32* r);
int32_t __dtol(const __w32* p);
__w32 __dtoul(const __w32* p);
__w32* __dtoll(const __w32* p, __w32* r);
__w32* __dtoull(const __w32* p, __w32* r);
#endif
