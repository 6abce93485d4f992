/* printf on the handheld's widths: unsigned conversions of 16-bit values, %d of the whole
 * argument slot, %p, and long text with double-byte characters, which reaches the console in
 * more than one piece without splitting a character. */
#include <stdio.h>

int main(void)
{
    int i, n;
    unsigned u = 40000U;
    long big = 70000L;
    char *p = (char *)0x2a10;
    printf("%u %x %o %X\n", -1, -1, -1, -2);
    printf("%d %d %ld\n", u, big, big);
    printf("%hd %hu\n", u, -3);
    printf("[%p] [%8p] [%-8p]\n", (void *)p, (void *)p, (void *)0);
    /* 66 characters of two bytes after 7 or 8 of one byte: the console's buffer fills in
     * the middle of a character once, between two characters the other time */
    for (i = 0; i < 2; i++) {
        n = printf("%s%s%s%s%s%s%s%s%s%s%s%s <%d>\n", i ? "xxxxxxxx" : "xxxxxxx", "中文字符测试",
                   "中文字符测试", "中文字符测试", "中文字符测试", "中文字符测试", "中文字符测试",
                   "中文字符测试", "中文字符测试", "中文字符测试", "中文字符测试", "中文字符测试",
                   i);
        printf("%d bytes\n", n);
    }
    printf("a%cb\n", 0);
    return 0;
}
