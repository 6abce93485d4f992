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
