/* float arithmetic, comparisons and the conversions of float to integers. Each operation is done
 * in double and rounded to float: a double holds the exact sum, difference, product or a
 * quotient of two floats closely enough (53 >= 2 x 24 + 2 bits) that the second rounding gives
 * the correctly rounded float. */
#ifdef __VRNCC_FLOAT__
#include "float_internal.h"

__w32 __fadd(__w32 a, __w32 b)
{
    __w32 x[2], y[2];
    return __dtof(__dadd(__ftod(a, x), __ftod(b, y), x));
}

__w32 __fsub(__w32 a, __w32 b)
{
    __w32 x[2], y[2];
    return __dtof(__dsub(__ftod(a, x), __ftod(b, y), x));
}

__w32 __fmul(__w32 a, __w32 b)
{
    __w32 x[2], y[2];
    return __dtof(__dmul(__ftod(a, x), __ftod(b, y), x));
}

__w32 __fdiv(__w32 a, __w32 b)
{
    __w32 x[2], y[2];
    return __dtof(__ddiv(__ftod(a, x), __ftod(b, y), x));
}

int32_t __ftol(__w32 f)
{
    __w32 x[2];
    return __dtol(__ftod(f, x));
}

__w32 __ftoul(__w32 f)
{
    __w32 x[2];
    return __dtoul(__ftod(f, x));
}

__w32 *__ftoll(__w32 f, __w32 *r)
{
    __w32 x[2];
    return __dtoll(__ftod(f, x), r);
}

__w32 *__ftoull(__w32 f, __w32 *r)
{
    __w32 x[2];
    return __dtoull(__ftod(f, x), r);
}
#endif
