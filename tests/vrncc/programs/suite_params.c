/* Arguments that wrap when converted to the parameter's type: the callee sees the value at its
 * own width, whether it reads it, compares it, widens it or takes its address. */
#include <stdio.h>

static long widen_int(int v) { return v; }
static long widen_uint(unsigned v) { return v; }
static long widen_char(signed char v) { return v; }
static long widen_uchar(unsigned char v) { return v; }
static int is_negative(int v) { return v < 0; }
static int via_address(int v)
{
    int *p = &v;
    return *p == -32768;
}
static long take_long(long v) { return v; }
static int (*fp)(int) = is_negative;

int main(void)
{
    int i = 32767;
    unsigned u = 65535U;
    long l = 40000L;
    printf("%ld %ld %ld %ld\n", widen_int(i + 1), widen_uint(u + 1), widen_char(i), widen_uchar(i));
    printf("%d %d %d\n", is_negative(i + 1), via_address(i + 1), fp(i + 1));
    printf("%ld %ld %ld\n", take_long(i + 1), take_long(u + 1), take_long(l * 2));
    printf("%ld %ld\n", widen_int((int)l), widen_uint((unsigned)(l + 30000)));
    return 0;
}
