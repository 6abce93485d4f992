#include <stdio.h>
#include <stdlib.h>
#include <ctype.h>

long labs(long n) { return n < 0 ? -n : n; }

long strtol(const char *s, char **end, int base)
{
    const char *p = s;
    long v = 0;
    int neg = 0, any = 0;
    while (isspace(*p)) p++;
    if (*p == '-' || *p == '+') neg = *p++ == '-';
    if ((base == 0 || base == 16) && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        p += 2;
        base = 16;
    } else if (base == 0) {
        base = *p == '0' ? 8 : 10;
    }
    for (;; p++) {
        int d;
        if (isdigit(*p)) d = *p - '0';
        else if (isalpha(*p)) d = tolower(*p) - 'a' + 10;
        else break;
        if (d >= base) break;
        v = v * base + d;
        any = 1;
    }
    if (end) *end = (char *)(any ? p : s);
    return neg ? -v : v;
}

int atoi(const char *s) { return (int)strtol(s, 0, 10); }
long atol(const char *s) { return strtol(s, 0, 10); }

int puts(const char *s)
{
    printf("%s\n", s);
    return 0;
}

int fputs(const char *s, FILE *f)
{
    for (; *s; s++)
        if (putc(*s, f) < 0) return EOF;
    return 0;
}
