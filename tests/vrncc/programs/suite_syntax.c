/* The syntax a C test suite leans on: # and ## macros, do-while(0) macros, function-pointer
 * typedefs and functions returning them or arrays, struct values with arrays, old-style
 * definitions, variadic longs, escapes, goto into a loop, unions of bytes. */
#include <stdio.h>
#include <stdarg.h>
#include <string.h>
#define STR(x) #x
#define XSTR(x) STR(x)
#define CAT(a, b) a##b
#define SWAP(t, a, b) do { t tmp_ = a; a = b; b = tmp_; } while (0)
typedef int (*binop)(int, int);
typedef struct { int w[3]; char tag; } Vec;
struct pt { int x, y; };
enum sign { NEG = -1, ZERO, POS };
static int plus(int a, int b) { return a + b; }
static int minus(int a, int b) { return a - b; }
static binop pick(int k) { return k ? minus : plus; }
static int (*table(void))[3] { static int t[2][3] = {{1, 2, 3}, {4, 5, 6}}; return t; }
static Vec scale(Vec v, int k) { int i; for (i = 0; i < 3; i++) v.w[i] *= k; v.tag++; return v; }
static struct pt mk(int x, int y) { struct pt p; p.x = x; p.y = y; return p; }
static long total(int n, ...) { va_list ap; long s = 0; va_start(ap, n); while (n--) s += va_arg(ap, long); va_end(ap); return s; }
static int kr(a, b) int a; char *b; { return a + (int)strlen(b); }
static void cp(char *d, const char *s) { while ((*d++ = *s++)) ; }
int main(void) {
    int CAT(my, var) = 5, x = 1, y = 2, (*row)[3] = table(), i;
    struct pt pts[3] = {{1, 2}, {3, 4}, {5, 6}};
    Vec v = {{1, 2, 3}, 'a'}, w;
    char buf[16];
    union { struct { unsigned char lo, hi; } b; unsigned short s; } u;
    printf("%s %s %d\n", STR(a + b), XSTR(CAT(1, 2)), myvar);
    SWAP(int, x, y);
    printf("%d %d\n", x, y);
    printf("%d %d\n", pick(0)(7, 3), pick(1)(7, 3));
    printf("%d %d\n", row[1][2], (*row)[1]);
    w = scale(v, 10);
    printf("%d %d %d %c %d %c\n", w.w[0], w.w[1], w.w[2], w.tag, v.w[0], v.tag);
    printf("%d %d\n", mk(3, 4).y, pts[2].x + pts[0].y);
    printf("%ld\n", total(3, 100000L, 200000L, -1L));
    printf("%d\n", kr(2, "abc"));
    cp(buf, "copy" "cat");
    printf("%s %d %d %d\n", buf, '\x41', '\101', "\0abc"[0]);
    printf("%d %d %d %d\n", NEG, ZERO, POS, 017);
    u.s = 0x1234;
    printf("%x %x\n", u.b.lo, u.b.hi);
    for (i = 0;; i++) if (i * i > 50) break;
    printf("%d\n", i);
    printf("%d\n", &pts[2] - &pts[0]);
    printf("%d %d\n", &pts[1] > &pts[0], (char *)&pts[1] - (char *)&pts[0] == sizeof(struct pt));
    x = 0;
    i = 10;
    goto inside;
    while (i < 5) {
inside:
        x++;
        i = i > 5 ? 0 : i + 1;
    }
    printf("goto %d %d\n", x, i);
    x ? (void)0 : (void)printf("never\n");
    printf("%ld %ld %ld\n", 0xF0F0F0F0L & 0x0FF00FF0L, 1L << 20 | 5, ~0L ^ 0xFFL);
    {
        unsigned char a = 200, b = 100;
        printf("%d %d\n", a + b, (unsigned char)(a + b));
    }
    return 0;
}
