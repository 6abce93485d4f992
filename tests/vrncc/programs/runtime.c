/* The runtime library compiled from C, and variable arguments of our own functions. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <stdarg.h>

int sum(int n, ...)
{
    va_list ap;
    int s = 0;
    va_start(ap, n);
    while (n-- > 0) s += va_arg(ap, int);
    va_end(ap);
    return s;
}

long lsum(int n, ...)
{
    va_list ap;
    long s = 0;
    va_start(ap, n);
    while (n-- > 0) s += va_arg(ap, long);
    va_end(ap);
    return s;
}

int main(void)
{
    char buf[20];
    char *end;
    printf("%d %d %d\n", atoi("123"), atoi("-42"), (int)strtol("0x1F", &end, 0));
    printf("%d %d\n", strncmp("abcd", "abcf", 3), strncmp("abcd", "abcf", 4));
    strncpy(buf, "truncate", 5);
    buf[5] = 0;
    printf("%s %s\n", buf, strrchr("a/b/c", '/'));
    printf("%d %d\n", sum(3, 1, 2, 3), sum(0));
    printf("%d\n", lsum(2, 100000L, 200000L));
    printf("%d\n", labs(-70000L));
    puts("done");
    return 0;
}
