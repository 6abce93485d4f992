/* Arithmetic at the edges of every width: char 8, int 16, long 32 bits. */
#include <stdio.h>
#include <limits.h>

int main(void)
{
    unsigned u = 65535u;
    int i = INT_MAX;
    long l = LONG_MAX;
    unsigned long ul = 0;
    unsigned char uc = 255;
    signed char sc = 127;
    char c = 200;
    short s = -32768;
    unsigned short us = 1;

    u = u + 1;
    printf("%d\n", u);               /* 0: unsigned wraps */
    u = 0; u--;
    printf("%d\n", u);               /* 65535 */
    i = i + 1;                       /* wraps on this machine */
    printf("%d\n", i);
    l = l + 1;
    printf("%d\n", l);
    ul = ul - 1;
    printf("%d\n", ul > 0);          /* 1: unsigned long compares unsigned */
    uc++;
    printf("%d\n", uc);              /* 0 */
    sc++;
    printf("%d\n", sc);              /* -128 */
    printf("%d\n", c);               /* 200: plain char is unsigned */
    printf("%d\n", (signed char)c);  /* -56 */
    s--;
    printf("%d\n", s);               /* 32767 */
    printf("%d\n", us - 2);          /* -1: unsigned short promotes... to unsigned int */
    printf("%d\n", sizeof(int) + sizeof(long) * 10 + sizeof(char *) * 100);
    printf("%d\n", -1 < 0u);         /* 0: -1 converts to 65535 */
    printf("%d\n", -1L < 0u);        /* 1: long holds every unsigned int */
    printf("%d\n", 40000u / 3);      /* 13333 */
    printf("%d\n", 60000u % 7);
    printf("%d\n", -7 / 2);
    printf("%d\n", -7 % 2);
    printf("%d\n", 0xFFFFu >> 4);    /* 4095: logical */
    printf("%d\n", -16 >> 2);        /* -4 */
    printf("%d\n", 1 << 15);         /* -32768 */
    printf("%d\n", 1L << 31 < 0);
    printf("%d\n", 0xFFFFFFFFUL / 16 == 0x0FFFFFFFUL);
    printf("%d\n", (int)(0xFFFFFFFFUL % 10));
    printf("%d\n", (int)(0x80000000UL >> 28));
    printf("%d\n", 300 * 300);       /* 24464 at 16 bits */
    printf("%d\n", 300L * 300);
    printf("%d\n", (unsigned char)0x1234);
    printf("%d\n", (int)0x12345L);
    return 0;
}
