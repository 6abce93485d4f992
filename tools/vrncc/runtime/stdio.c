/* printf and its family. %e %f %g are compiled in only for a program that uses floating point
 * (the compiler defines __VRNCC_FLOAT__ for it), so that every other program's printf stays as
 * small as it was. The formatting is done here, in C; the finished text goes to the
 * console through the machine's own printf ("%s" of a buffer), so the screen, the console's
 * double-byte handling and the runner's copy to standard output stay one path. */
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

int __console_print(const char *format, ...) __syscall(0x82, __counted);
int __file_putc(int c, FILE *f) __syscall(0xB7);

/* Where formatted bytes go: the console buffer, an open file, or a caller's array of `room`
 * bytes. */
struct __sink {
    char *p;
    size_t room;
    int console;
    FILE *file;
    int count;
};

/* Console text waits here until a call ends or the buffer fills; a double-byte character is
 * never split between two hand-overs, or the console would not pair its bytes. */
static char __con_buf[128];
static int __con_len;
static int __con_lead;

static void __con_flush(void)
{
    if (!__con_len) return;
    __con_buf[__con_len] = 0;
    __console_print("%s", __con_buf);
    __con_len = 0;
}

static void __con_end(void)
{
    __con_flush();
    __con_lead = 0;
}

static void __put(struct __sink *o, int c)
{
    o->count++;
    if (o->console) {
        if (c == 0) { /* a 0 byte would end the hand-over string */
            __con_flush();
            putchar(0);
            return;
        }
        __con_buf[__con_len++] = (char)c;
        if (__con_lead) __con_lead = 0;
        else if ((c & 0xFF) >= 0x80) __con_lead = 1;
        if (__con_len >= 126 && !__con_lead) __con_flush();
        return;
    }
    if (o->file) {
        __file_putc(c, o->file);
        return;
    }
    if (o->room > 1) {
        *o->p++ = (char)c;
        o->room--;
    }
}

static void __pad(struct __sink *o, int c, int n)
{
    for (; n > 0; n--) __put(o, c);
}

/* Digits of v in base 8, 10 or 16, least significant first; returns their number. The machine
 * divides signed, so a value with the top bit set is first halved to make it positive. */
static int __digits(char *buf, unsigned long v, int base, int upper)
{
    const char *dig = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    int n = 0;
    long s;
    if (base != 10) {
        int shift = base == 16 ? 4 : 3;
        do {
            buf[n++] = dig[(int)(v & (unsigned long)(base - 1))];
            v >>= shift;
        } while (v);
        return n;
    }
    if ((long)v < 0) {
        long q = (long)(v >> 1) / 5;
        buf[n++] = dig[(int)(v - (unsigned long)q * 10)];
        s = q;
    } else {
        s = (long)v;
    }
    do {
        buf[n++] = dig[(int)(s % 10)];
        s /= 10;
    } while (s);
    return n;
}

/* Digits of the 64-bit value hi:lo, least significant first. It is cut into four 16-bit limbs,
 * so that each step divides a number below 2^20 by the base with the machine's division. */
static int __digits64(char *buf, unsigned long lo, unsigned long hi, int base, int upper)
{
    const char *dig = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    long limb[4], rem, cur;
    int n = 0, i;
    if (hi == 0) return __digits(buf, lo, base, upper);
    limb[0] = (long)(hi >> 16);
    limb[1] = (long)(hi & 0xFFFFUL);
    limb[2] = (long)(lo >> 16);
    limb[3] = (long)(lo & 0xFFFFUL);
    while (limb[0] | limb[1] | limb[2] | limb[3]) {
        rem = 0;
        for (i = 0; i < 4; i++) {
            cur = (rem << 16) | limb[i];
            limb[i] = cur / base;
            rem = cur % base;
        }
        buf[n++] = dig[(int)rem];
    }
    return n;
}

enum { F_LEFT = 1, F_PLUS = 2, F_SPACE = 4, F_ALT = 8, F_ZERO = 16, F_PTR = 32 };

/* The magnitude hi:v with its sign, flags, width and precision. */
static void __integer(struct __sink *o, unsigned long v, unsigned long hi, int negative, int base,
                      int upper, int flags, int width, int prec)
{
    char buf[24];
    char prefix[3];
    int np = 0, nd, zeros, total, i;
    if (negative) prefix[np++] = '-';
    else if (flags & F_PLUS) prefix[np++] = '+';
    else if (flags & F_SPACE) prefix[np++] = ' ';
    if (prec == 0 && (v | hi) == 0) nd = 0;
    else nd = __digits64(buf, v, hi, base, upper);
    zeros = prec > nd ? prec - nd : 0;
    if ((flags & F_ALT) && base == 8 && zeros == 0 && (nd == 0 || buf[nd - 1] != '0')) zeros = 1;
    if (((flags & F_ALT) && base == 16 && (v | hi) != 0) || (flags & F_PTR)) {
        prefix[np++] = '0';
        prefix[np++] = upper ? 'X' : 'x';
    }
    total = np + zeros + nd;
    if ((flags & F_ZERO) && !(flags & F_LEFT) && prec < 0 && width > total) {
        zeros += width - total;
        total = width;
    }
    if (!(flags & F_LEFT)) __pad(o, ' ', width - total);
    for (i = 0; i < np; i++) __put(o, prefix[i]);
    __pad(o, '0', zeros);
    while (nd > 0) __put(o, buf[--nd]);
    if (flags & F_LEFT) __pad(o, ' ', width - total);
}

static void __text(struct __sink *o, const char *s, int n, int flags, int width)
{
    int i;
    if (!(flags & F_LEFT)) __pad(o, ' ', width - n);
    for (i = 0; i < n; i++) __put(o, s[i]);
    if (flags & F_LEFT) __pad(o, ' ', width - n);
}

#ifdef __VRNCC_FLOAT__
#include "format_float.h"
#endif

static int __format(struct __sink *o, const char *f, va_list ap)
{
    for (; *f; f++) {
        int flags = 0, width = 0, prec = -1, size = 0, c;
        if (*f != '%') {
            __put(o, *f);
            continue;
        }
        for (;; f++) {
            c = f[1];
            if (c == '-') flags |= F_LEFT;
            else if (c == '+') flags |= F_PLUS;
            else if (c == ' ') flags |= F_SPACE;
            else if (c == '#') flags |= F_ALT;
            else if (c == '0') flags |= F_ZERO;
            else break;
        }
        f++;
        if (*f == '*') {
            width = va_arg(ap, int);
            if (width < 0) {
                flags |= F_LEFT;
                width = -width;
            }
            f++;
        } else {
            while (*f >= '0' && *f <= '9') width = width * 10 + (*f++ - '0');
        }
        if (*f == '.') {
            f++;
            prec = 0;
            if (*f == '*') {
                prec = va_arg(ap, int);
                f++;
            } else {
                while (*f >= '0' && *f <= '9') prec = prec * 10 + (*f++ - '0');
            }
        }
        /* h and hh narrow the value; l widens it; z, t and j name int-sized types here. */
        for (;; f++) {
            if (*f == 'h') size--;
            else if (*f == 'l') size++;
            else if (*f == 'j') size = 2; /* intmax_t is long long */
#ifdef __VRNCC_FLOAT__
            else if (*f == 'L') size = 2; /* long double is double; %Ld is a long long */
#endif
            else if (*f != 'z' && *f != 't') break;
        }
        c = *f;
        if (size >= 2 && (c == 'd' || c == 'i' || c == 'u' || c == 'x' || c == 'X' || c == 'o')) {
            /* ll: a long long takes two slots, the low half first. */
            unsigned long lo = va_arg(ap, unsigned long), hi = va_arg(ap, unsigned long);
            int neg = (c == 'd' || c == 'i') && (long)hi < 0;
            if (neg) {
                hi = ~hi + (lo == 0UL);
                lo = 0UL - lo;
            }
            __integer(o, lo, hi, neg, c == 'o' ? 8 : c == 'x' || c == 'X' ? 16 : 10, c == 'X',
                      c == 'd' || c == 'i' ? flags & ~F_ALT : flags & ~(F_PLUS | F_SPACE), width,
                      prec);
        } else if (c == 'd' || c == 'i') {
            /* The whole 4-byte slot: an int arrives sign-extended, so this is its value, and a
             * long or unsigned passed without `l` still prints what it holds. */
            long v = va_arg(ap, long);
            if (size == -1) v = (short)v;
            else if (size < -1) v = (signed char)v;
            __integer(o, v < 0 ? 0UL - (unsigned long)v : (unsigned long)v, 0UL, v < 0, 10, 0,
                      flags & ~F_ALT, width, prec);
        } else if (c == 'u' || c == 'x' || c == 'X' || c == 'o') {
            unsigned long v;
            if (size > 0) v = va_arg(ap, unsigned long);
            else v = va_arg(ap, unsigned);
            if (size == -1) v = (unsigned short)v;
            else if (size < -1) v = (unsigned char)v;
            __integer(o, v, 0UL, 0, c == 'u' ? 10 : c == 'o' ? 8 : 16, c == 'X',
                      flags & ~(F_PLUS | F_SPACE), width, prec);
        } else if (c == 'p') {
            /* A data address: 0x and four hexadecimal digits. */
            __integer(o, (unsigned)va_arg(ap, void *), 0UL, 0, 16, 0, (flags & F_LEFT) | F_PTR,
                      width, 4);
#ifdef __VRNCC_FLOAT__
        } else if (c == 'f' || c == 'F' || c == 'e' || c == 'E' || c == 'g' || c == 'G') {
            /* A double takes two slots, the low half first. */
            unsigned long x[2];
            x[0] = va_arg(ap, unsigned long);
            x[1] = va_arg(ap, unsigned long);
            __float(o, x, c, flags, width, prec);
#endif
        } else if (c == 'c') {
            char ch = (char)va_arg(ap, int);
            __text(o, &ch, 1, flags, width);
        } else if (c == 's') {
            const char *s = va_arg(ap, const char *);
            int n = 0;
            if (!s) s = "(null)";
            while (s[n] && (prec < 0 || n < prec)) n++;
            __text(o, s, n, flags, width);
        } else if (c == 'n') {
            int *at = va_arg(ap, int *);
            if (at) *at = o->count;
        } else if (c == '%') {
            __put(o, '%');
        } else if (c) {
            /* An unknown conversion is printed as written. */
            __put(o, '%');
            __put(o, c);
        } else {
            break;
        }
    }
    return o->count;
}

int vsnprintf(char *s, size_t n, const char *format, va_list ap)
{
    struct __sink o;
    o.p = s;
    o.room = n;
    o.console = 0;
    o.file = 0;
    o.count = 0;
    __format(&o, format, ap);
    if (n) *o.p = 0;
    return o.count;
}

int vsprintf(char *s, const char *format, va_list ap)
{
    return vsnprintf(s, 0xFFFF, format, ap);
}

int snprintf(char *s, size_t n, const char *format, ...)
{
    va_list ap;
    int r;
    va_start(ap, format);
    r = vsnprintf(s, n, format, ap);
    va_end(ap);
    return r;
}

int sprintf(char *s, const char *format, ...)
{
    va_list ap;
    int r;
    va_start(ap, format);
    r = vsnprintf(s, 0xFFFF, format, ap);
    va_end(ap);
    return r;
}

int vprintf(const char *format, va_list ap)
{
    struct __sink o;
    o.p = 0;
    o.room = 0;
    o.console = 1;
    o.file = 0;
    o.count = 0;
    __format(&o, format, ap);
    __con_end();
    return o.count;
}

int printf(const char *format, ...)
{
    va_list ap;
    int r;
    va_start(ap, format);
    r = vprintf(format, ap);
    va_end(ap);
    return r;
}

/* The console stands for standard output and standard error; other handles are files. */
static int __is_console(FILE *f)
{
    return f == stdout || f == stderr;
}

int fputc(int c, FILE *f)
{
    if (__is_console(f)) {
        putchar(c);
        return c & 0xFF;
    }
    return __file_putc(c, f);
}

int putc(int c, FILE *f)
{
    return fputc(c, f);
}

int vfprintf(FILE *f, const char *format, va_list ap)
{
    struct __sink o;
    if (__is_console(f)) return vprintf(format, ap);
    o.p = 0;
    o.room = 0;
    o.console = 0;
    o.file = f;
    o.count = 0;
    return __format(&o, format, ap);
}

int fprintf(FILE *f, const char *format, ...)
{
    va_list ap;
    int r;
    va_start(ap, format);
    r = vfprintf(f, format, ap);
    va_end(ap);
    return r;
}

int puts(const char *s)
{
    __console_print("%s\n", s);
    return 0;
}

int fputs(const char *s, FILE *f)
{
    if (__is_console(f)) {
        __console_print("%s", s);
        return 0;
    }
    for (; *s; s++)
        if (__file_putc(*s, f) < 0) return EOF;
    return 0;
}

int fflush(FILE *f)
{
    (void)f;
    return 0;
}

int __file_getc(FILE *f) __syscall(0xB6);

int __file_seek(FILE *f, long offset, int origin) __syscall(0xB2);
void __file_rewind(FILE *f) __syscall(0xB5, __none);

/* The byte ungetc pushed back, plus 1, per stream: the three file slots (handles 0x80 to 0x82)
 * and the keyboard; 0 when there is none, so that the table starts as zero DataArea and adds no
 * initial data to every program. */
static unsigned __back[4];

static unsigned *__back_of(FILE *f)
{
    return &__back[f == stdin ? 3 : ((int)f - 0x80) & 3];
}

int fgetc(FILE *f)
{
    unsigned *back = __back_of(f);
    if (*back) {
        int c = (int)*back - 1;
        *back = 0;
        return c;
    }
    if (f == stdin) return getchar();
    return __file_getc(f);
}

int ungetc(int c, FILE *f)
{
    if (c == EOF) return EOF;
    *__back_of(f) = (c & 0xFF) + 1;
    return c & 0xFF;
}

int fseek(FILE *f, long offset, int origin)
{
    *__back_of(f) = 0;
    return __file_seek(f, offset, origin);
}

void rewind(FILE *f)
{
    *__back_of(f) = 0;
    __file_rewind(f);
}

char *fgets(char *s, int n, FILE *f)
{
    int i = 0, c = 0;
    if (n <= 0) return 0;
    while (i < n - 1 && (c = fgetc(f)) != EOF) {
        if (f == stdin && c == '\r') c = '\n'; /* Enter */
        s[i++] = (char)c;
        if (c == '\n') break;
    }
    s[i] = 0;
    return i == 0 && c == EOF ? 0 : s;
}

int getc(FILE *f)
{
    return fgetc(f);
}

/* The machine's calls move a number of bytes and ignore their second argument; C's fread and
 * fwrite move size x count bytes and count whole elements. The console goes byte by byte. */
unsigned __file_read(void *buffer, int ignored, unsigned count, FILE *f) __syscall(0xB0);
unsigned __file_write(const void *buffer, int ignored, unsigned count, FILE *f) __syscall(0xB1);

/* The bytes of `count` elements of `size`, cut to whole elements within the 64 KiB memory. */
static unsigned __span(size_t size, size_t *count)
{
    if ((unsigned long)size * *count > 0xFFFFu) *count = 0xFFFFu / size;
    return size * *count;
}

size_t fread(void *buffer, size_t size, size_t count, FILE *f)
{
    unsigned bytes, done;
    if (!size || !count) return 0;
    bytes = __span(size, &count);
    if (f == stdin || *__back_of(f)) {
        /* The keyboard, or a byte pushed back first: byte by byte. */
        unsigned char *p = (unsigned char *)buffer;
        int c;
        for (done = 0; done < bytes && (c = fgetc(f)) != EOF; done++) p[done] = (unsigned char)c;
    } else {
        done = __file_read(buffer, 0, bytes, f);
    }
    return done / size;
}

size_t fwrite(const void *buffer, size_t size, size_t count, FILE *f)
{
    unsigned bytes, done;
    if (!size || !count) return 0;
    bytes = __span(size, &count);
    if (__is_console(f)) {
        const unsigned char *p = (const unsigned char *)buffer;
        for (done = 0; done < bytes; done++) fputc(p[done], f);
    } else {
        done = __file_write(buffer, 0, bytes, f);
    }
    return done / size;
}
