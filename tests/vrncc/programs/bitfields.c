/* Bit-fields: their packing (sizeof, the bytes of the units), reads with sign extension, masked
 * writes, compound assignments and ++/-- on fields, the value of an assignment to a field,
 * zero-width and unnamed fields, initialisers (designated too), a union, fields reached through
 * pointers and in arrays, 64-bit units; and a flexible array member. Apart from the sizeof line
 * (the first), the output is what a compiler for a 32-bit int prints too. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

struct flags {
    unsigned a : 1;
    unsigned b : 3;
    int c : 4;
    unsigned d : 8;
}; /* one 16-bit unit: a bit 0, b bits 1-3, c bits 4-7, d bits 8-15 */

struct mixed {
    unsigned char x : 3; /* a 1-byte unit */
    unsigned char y : 6; /* 3 + 6 > 8: a new byte */
    int z : 5;           /* another size: a new 2-byte unit */
    int : 0;             /* closes it */
    int w : 2;           /* a new 2-byte unit */
    long big : 20;       /* a 4-byte unit */
    long : 4;            /* unnamed: bits 20-23 stay unused */
    long top : 8;        /* bits 24-31 */
    char tail;
}; /* 1 + 1 + 2 + 2 + 4 + 1 bytes */

struct wide {
    unsigned long long lo : 40;
    long long hi : 24;            /* 40 + 24: the same 8-byte unit */
    unsigned long long more : 33; /* a new unit */
    _Bool flag : 1;
};

union word {
    unsigned short all;
    struct {
        unsigned short lo : 8;
        unsigned short hi : 8;
    } parts;
    short low4 : 4;
};

struct packet {
    int n;
    char data[]; /* flexible: the struct ends where it starts */
};

struct flags g_flags = {1, 7, -8, 255};
struct mixed g_mixed = {5, 60, -16, 1, -524288, -128, 'T'};

static void bytes(const void *p, int n)
{
    const unsigned char *b = (const unsigned char *)p;
    int i;
    for (i = 0; i < n; i++) printf("%02x%s", b[i], i + 1 < n ? " " : "\n");
}

static int sum(struct flags f)
{
    return f.a + f.b + f.c + f.d;
}

int main(void)
{
    struct flags f, arr[3], *p;
    struct flags l = {.d = 3, .c = -1};
    struct mixed m;
    struct wide w = {.hi = -2, .flag = 1};
    union word u;
    struct packet *pk;
    int n, i;
    long big;

    printf("%u %u %u %u %u\n", (unsigned)sizeof(struct flags), (unsigned)sizeof(struct mixed),
           (unsigned)sizeof(struct wide), (unsigned)sizeof(union word),
           (unsigned)sizeof(struct packet));

    /* Writes land in their own bits; signed fields read back sign-extended. */
    memset(&f, 0, sizeof f);
    f.a = 1;
    f.b = 5;
    f.c = -3;
    f.d = 0xAB;
    bytes(&f, 2);
    printf("%d %d %d %d\n", f.a, f.b, f.c, f.d);
    n = 13;
    printf("%d\n", f.b = n);  /* the value the field holds: 13 & 7 */
    n = 12;
    f.c = n;                  /* 12 in 4 signed bits */
    printf("%d %d %d %d\n", f.a, f.b, f.c, f.d);
    printf("%d %d\n", f.b - 6 < 0, f.d - 200 < 0); /* the fields promote to int */

    /* Compound assignments and increments wrap in the field. */
    f.d += 200;
    f.b *= 3;
    f.c -= 5;
    printf("%d %d %d\n", f.d, f.b, f.c);
    f.c = 7;
    printf("%d ", f.c++);
    printf("%d ", f.c);
    printf("%d ", --f.c);
    printf("%d ", ++f.a);
    printf("%d\n", f.a--);
    f.b = 0;
    f.b--;
    printf("%d %d\n", f.b, f.a);
    f.d <<= 4;
    f.d |= 0x0F;
    f.d >>= 1;
    printf("%d\n", f.d);

    /* Initialisers: positional and designated; the others are 0. */
    printf("%d %d %d %d\n", g_flags.a, g_flags.b, g_flags.c, g_flags.d);
    printf("%d %d %d %d\n", l.a, l.b, l.c, l.d);
    printf("%d %d %d %d %ld %ld %c\n", g_mixed.x, g_mixed.y, g_mixed.z, g_mixed.w, g_mixed.big,
           g_mixed.top, g_mixed.tail);

    /* Fields of several sizes; the unnamed bits stay 0; the char after them is untouched. */
    memset(&m, 0, sizeof m);
    m.tail = 'Z';
    m.x = 7;
    m.y = 63;
    m.z = -16;
    m.w = -2;
    m.big = -1;
    m.top = 0x7F;
    memcpy(&big, (char *)&m + 6, 4);
    printf("%d %d %d %d %ld %ld %c %lx\n", m.x, m.y, m.z, m.w, m.big, m.top, m.tail, big);
    m.big = 0x7FFFF;
    m.top -= 0x80;
    memcpy(&big, (char *)&m + 6, 4);
    printf("%ld %ld %lx\n", m.big, m.top, big);

    /* 64-bit units. */
    w.lo = 0xFFFFFFFFFFULL;
    w.more = (1ULL << 33) - 1;
    printf("%llx %lld %llx %d\n", (unsigned long long)w.lo, (long long)w.hi,
           (unsigned long long)w.more, w.flag);
    w.lo += 1;
    w.hi++;
    w.more >>= 1;
    printf("%llx %lld %llx\n", (unsigned long long)w.lo, (long long)w.hi,
           (unsigned long long)w.more);
    w.hi = -8388608;
    w.lo = 0x123456789AULL;
    printf("%lld %llx\n", (long long)w.hi, (unsigned long long)w.lo);

    /* A union: the fields are the low bits of the word. */
    u.all = 0x12F5;
    printf("%x %x %d\n", u.parts.lo, u.parts.hi, u.low4);
    u.low4 = -1;
    printf("%x\n", u.all);

    /* Through pointers, in arrays, by value. */
    memset(arr, 0, sizeof arr);
    p = &arr[1];
    p->c = -2;
    (p + 1)->b = 3;
    p[-1].d = 99;
    for (i = 0; i < 3; i++) printf("%d %d %d %d\n", arr[i].a, arr[i].b, arr[i].c, arr[i].d);
    arr[2] = f;
    printf("%d %d\n", sum(arr[2]), sum(g_flags));

    /* A flexible array member takes its room from malloc. */
    pk = (struct packet *)malloc(sizeof(struct packet) + 6);
    pk->n = 5;
    for (i = 0; i < pk->n; i++) pk->data[i] = (char)('a' + i);
    pk->data[pk->n] = 0;
    printf("%d %s\n", pk->n, pk->data);
    free(pk);
    return 0;
}
