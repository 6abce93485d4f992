#include <ctype.h>
#include <errno.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int errno;

long labs(long n) { return n < 0 ? -n : n; }

div_t div(int a, int b)
{
    div_t r;
    r.quot = a / b;
    r.rem = a % b;
    return r;
}

ldiv_t ldiv(long a, long b)
{
    ldiv_t r;
    r.quot = a / b;
    r.rem = a % b;
    return r;
}

/* The digits of a number in `base` (0: from its prefix) after optional space and sign. The
 * magnitude saturates at `limit` (errno ERANGE); `*neg` tells the sign. */
static unsigned long __scan(const char *s, char **end, int base, unsigned long limit, int *neg)
{
    const char *p = s;
    unsigned long v = 0;
    int any = 0, over = 0;
    *neg = 0;
    while (isspace(*p)) p++;
    if (*p == '-' || *p == '+') *neg = *p++ == '-';
    if ((base == 0 || base == 16) && p[0] == '0' && (p[1] == 'x' || p[1] == 'X') &&
        isxdigit(p[2])) {
        p += 2;
        base = 16;
    } else if (base == 0) {
        base = *p == '0' ? 8 : 10;
    }
    if (base < 2 || base > 36) {
        errno = EINVAL;
        if (end) *end = (char *)s;
        return 0;
    }
    for (;; p++) {
        int d;
        if (isdigit(*p)) d = *p - '0';
        else if (isalpha(*p)) d = tolower(*p) - 'a' + 10;
        else break;
        if (d >= base) break;
        any = 1;
        if (over) continue;
        if (v > (limit - (unsigned long)d) / (unsigned long)base) {
            over = 1;
            v = limit;
        } else {
            v = v * (unsigned long)base + (unsigned long)d;
        }
    }
    if (end) *end = (char *)(any ? p : s);
    if (over) errno = ERANGE;
    return v;
}

long strtol(const char *s, char **end, int base)
{
    int neg;
    unsigned long v = __scan(s, end, base, 0x80000000UL, &neg);
    if (neg) return (long)(0UL - v);
    if (v > (unsigned long)LONG_MAX) {
        errno = ERANGE;
        return LONG_MAX;
    }
    return (long)v;
}

unsigned long strtoul(const char *s, char **end, int base)
{
    int neg;
    unsigned long v = __scan(s, end, base, ULONG_MAX, &neg);
    return neg && v != ULONG_MAX ? 0UL - v : v;
}

int atoi(const char *s) { return (int)strtol(s, 0, 10); }
long atol(const char *s) { return strtol(s, 0, 10); }

long long llabs(long long n) { return n < 0 ? -n : n; }

lldiv_t lldiv(long long a, long long b)
{
    lldiv_t r;
    r.quot = a / b;
    r.rem = a % b;
    return r;
}

/* __scan for the 64-bit conversions: a separate copy, so that strtol and strtoul stay 32-bit. */
static unsigned long long __scan64(const char *s, char **end, int base, unsigned long long limit,
                                   int *neg)
{
    const char *p = s;
    unsigned long long v = 0;
    int any = 0, over = 0;
    *neg = 0;
    while (isspace(*p)) p++;
    if (*p == '-' || *p == '+') *neg = *p++ == '-';
    if ((base == 0 || base == 16) && p[0] == '0' && (p[1] == 'x' || p[1] == 'X') &&
        isxdigit(p[2])) {
        p += 2;
        base = 16;
    } else if (base == 0) {
        base = *p == '0' ? 8 : 10;
    }
    if (base < 2 || base > 36) {
        errno = EINVAL;
        if (end) *end = (char *)s;
        return 0;
    }
    for (;; p++) {
        int d;
        if (isdigit(*p)) d = *p - '0';
        else if (isalpha(*p)) d = tolower(*p) - 'a' + 10;
        else break;
        if (d >= base) break;
        any = 1;
        if (over) continue;
        if (v > (limit - (unsigned long long)d) / (unsigned long long)base) {
            over = 1;
            v = limit;
        } else {
            v = v * (unsigned long long)base + (unsigned long long)d;
        }
    }
    if (end) *end = (char *)(any ? p : s);
    if (over) errno = ERANGE;
    return v;
}

long long strtoll(const char *s, char **end, int base)
{
    int neg;
    unsigned long long v = __scan64(s, end, base, 0x8000000000000000ULL, &neg);
    if (neg) return (long long)(0ULL - v);
    if (v > (unsigned long long)LLONG_MAX) {
        errno = ERANGE;
        return LLONG_MAX;
    }
    return (long long)v;
}

unsigned long long strtoull(const char *s, char **end, int base)
{
    int neg;
    unsigned long long v = __scan64(s, end, base, ULLONG_MAX, &neg);
    return neg && v != ULLONG_MAX ? 0ULL - v : v;
}

long long atoll(const char *s) { return strtoll(s, 0, 10); }

static void __swap(char *a, char *b, size_t size)
{
    while (size--) {
        char t = *a;
        *a++ = *b;
        *b++ = t;
    }
}

/* Quicksort with a median-of-three pivot; short runs by insertion. Recursion goes into the
 * smaller part only, so the frame stack stays shallow. */
void qsort(void *base, size_t count, size_t size, int (*cmp)(const void *, const void *))
{
    char *a = base;
    while (count > 7) {
        char *lo = a, *hi = a + (count - 1) * size, *mid = a + (count / 2) * size;
        size_t i, j, left;
        if (cmp(mid, lo) < 0) __swap(mid, lo, size);
        if (cmp(hi, mid) < 0) {
            __swap(hi, mid, size);
            if (cmp(mid, lo) < 0) __swap(mid, lo, size);
        }
        __swap(mid, lo, size); /* the pivot waits at the start */
        i = 0;
        j = count;
        for (;;) {
            do i++; while (i < count && cmp(a + i * size, lo) < 0);
            do j--; while (cmp(a + j * size, lo) > 0);
            if (i >= j) break;
            __swap(a + i * size, a + j * size, size);
        }
        __swap(lo, a + j * size, size);
        left = j;
        if (left < count - j - 1) {
            qsort(a, left, size, cmp);
            a += (j + 1) * size;
            count -= j + 1;
        } else {
            qsort(a + (j + 1) * size, count - j - 1, size, cmp);
            count = left;
        }
    }
    {
        size_t i, j;
        for (i = 1; i < count; i++)
            for (j = i; j > 0 && cmp(a + (j - 1) * size, a + j * size) > 0; j--)
                __swap(a + (j - 1) * size, a + j * size, size);
    }
}

void *bsearch(const void *key, const void *base, size_t count, size_t size,
              int (*cmp)(const void *, const void *))
{
    const char *a = base;
    while (count) {
        const char *mid = a + (count / 2) * size;
        int c = cmp(key, mid);
        if (c == 0) return (void *)mid;
        if (c > 0) {
            a = mid + size;
            count -= count / 2 + 1;
        } else {
            count /= 2;
        }
    }
    return 0;
}

static void (*__at_exit[32])(void);
static int __at_exit_count;

int atexit(void (*f)(void))
{
    if (__at_exit_count == 32) return -1;
    __at_exit[__at_exit_count++] = f;
    return 0;
}

void __machine_exit(int status) __syscall(0x8D, __none);

/* Runs the functions given to atexit, last first, and ends the program with `status` on top
 * of the operand stack. */
void exit(int status)
{
    while (__at_exit_count > 0) __at_exit[--__at_exit_count]();
    __machine_exit(status);
}

/* An abnormal end: status 134, as a shell reports a program killed by its abort signal. */
void abort(void)
{
    __machine_exit(134);
}

void __assert_fail(const char *expr, const char *file, int line)
{
    printf("%s:%d: assertion failed: %s\n", file, line, expr);
    abort();
}
