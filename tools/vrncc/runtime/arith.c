/* Unsigned 32-bit division and shifts: the machine divides and shifts signed. */

unsigned long __udiv32(unsigned long a, unsigned long b)
{
    unsigned long q = 0, r = 0;
    int i;
    if (b == 0) return (unsigned long)((long)a / 0L);
    for (i = 31; i >= 0; i--) {
        r = (r << 1) | (((long)a >> i) & 1);
        if (r >= b) {
            r -= b;
            q |= 1UL << i;
        }
    }
    return q;
}

unsigned long __umod32(unsigned long a, unsigned long b)
{
    return a - __udiv32(a, b) * b;
}

unsigned long __ushr32(unsigned long a, int n)
{
    n &= 31;
    if (n == 0) return a;
    return (unsigned long)((long)a >> n) & ~(unsigned long)(-1L << (32 - n));
}
