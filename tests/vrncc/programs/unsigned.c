/* Unsigned and mixed arithmetic: conversions, compares, division and shifts at 32 bits. */
#include <stdio.h>

unsigned long mix(unsigned long h, unsigned char c)
{
    return (h << 5) + h + c;
}

int main(void)
{
    unsigned long h = 5381;
    unsigned long big = 0xF0000000UL;
    unsigned int u = 50000;
    int n = -3;
    long l = -100000L;
    const char *s = "hash";
    int shift = 4;

    while (*s) h = mix(h, *s++);
    printf("%d\n", (int)(h & 0x7FFF));
    printf("%d %d\n", (int)(h >> 16), (int)(h % 1000));
    printf("%d %d\n", big > 1, (long)big < 0);
    printf("%d\n", (int)(big / 0x10000000UL));
    printf("%d\n", (int)(big >> shift >> 24));
    printf("%d\n", u > n);            /* n converts to 65533: 0 */
    printf("%d\n", u / 7);
    printf("%d\n", (long)u * 2);
    printf("%d\n", l / 7);
    printf("%d\n", l % 7);
    printf("%d\n", l >> 4);
    printf("%d\n", (unsigned)n);
    printf("%d\n", (unsigned long)n == 0xFFFFFFFDUL);
    printf("%d\n", (char)-1 == 255);
    printf("%d\n", ~0u);
    printf("%d\n", -u);
    u = 3;
    u -= 5;
    printf("%d\n", u);
    u <<= 4;
    printf("%d\n", u);
    u >>= 8;
    printf("%d\n", u);
    return 0;
}
