#include <errno.h>
#include <stdlib.h>
#include <string.h>

char *strncpy(char *d, const char *s, size_t n)
{
    char *p = d;
    while (n && *s) { *p++ = *s++; n--; }
    while (n) { *p++ = 0; n--; }
    return d;
}

int strncmp(const char *a, const char *b, size_t n)
{
    for (; n; n--, a++, b++) {
        if (*a != *b) return *(unsigned char *)a < *(unsigned char *)b ? -1 : 1;
        if (!*a) return 0;
    }
    return 0;
}

char *strrchr(const char *s, int c)
{
    const char *found = 0;
    for (;; s++) {
        if (*s == (char)c) found = s;
        if (!*s) return (char *)found;
    }
}

void *memchr(const void *s, int c, size_t n)
{
    const unsigned char *p = s;
    for (; n; n--, p++)
        if (*p == (unsigned char)c) return (void *)p;
    return 0;
}

int memcmp(const void *a, const void *b, size_t n)
{
    const unsigned char *p = a, *q = b;
    for (; n; n--, p++, q++)
        if (*p != *q) return *p < *q ? -1 : 1;
    return 0;
}

char *strncat(char *d, const char *s, size_t n)
{
    char *p = d + strlen(d);
    while (n && *s) { *p++ = *s++; n--; }
    *p = 0;
    return d;
}

size_t strspn(const char *s, const char *accept)
{
    size_t n = 0;
    while (s[n] && strchr(accept, s[n])) n++;
    return n;
}

size_t strcspn(const char *s, const char *reject)
{
    size_t n = 0;
    while (s[n] && !strchr(reject, s[n])) n++;
    return n;
}

char *strpbrk(const char *s, const char *accept)
{
    s += strcspn(s, accept);
    return *s ? (char *)s : 0;
}

char *strtok(char *s, const char *delim)
{
    static char *next;
    char *start;
    if (!s) s = next;
    if (!s) return 0;
    s += strspn(s, delim);
    if (!*s) {
        next = 0;
        return 0;
    }
    start = s;
    s += strcspn(s, delim);
    if (*s) {
        *s = 0;
        next = s + 1;
    } else {
        next = 0;
    }
    return start;
}

char *strdup(const char *s)
{
    size_t n = strlen(s) + 1;
    char *d = malloc(n);
    if (d) memcpy(d, s, n);
    return d;
}

char *strerror(int code)
{
    if (code == 0) return "no error";
    if (code == EDOM) return "argument out of domain";
    if (code == ERANGE) return "result out of range";
    if (code == EINVAL) return "invalid argument";
    return "unknown error";
}

int strcoll(const char *a, const char *b)
{
    return strcmp(a, b);
}
