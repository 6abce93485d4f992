/* Idioms of the bundled demos: ring indices in unsigned char, tables of signed steps, scaled
   fixed-point products in long, tables of records and of functions, assignments inside
   conditions, and hexadecimal digits of unsigned values. */
#include <stdio.h>
#include <string.h>
#include <stdlib.h>

struct record {
    unsigned char code;
    char name[7];
};

static const struct record table[] = {
    {13, "enter"}, {27, "esc"}, {32, "space"}, {0, "none"},
};
static const signed char steps[4] = {1, 0, -1, 0};
static unsigned char ring[256];
static int calls;
static char hexbuf[5];

static const char* name_of(int code)
{
    int i;
    for (i = 0; table[i].code != code; ++i)
        if (!table[i].code) return "?";
    return table[i].name;
}

static const char* hex(unsigned value)
{
    static const char digits[] = "0123456789ABCDEF";
    int i;
    for (i = 0; i < 4; ++i) hexbuf[i] = digits[value >> (12 - 4 * i) & 15];
    hexbuf[4] = 0;
    return hexbuf;
}

static int next_key(void)
{
    static const int keys[] = {0, 0, 0, 27};
    return keys[calls++ & 3];
}

static void first(void) { printf("first\n"); }
static void second(void) { printf("second\n"); }
static void (*const screens[2])(void) = {first, second};

/* Sine in 1024ths of a few angles, as the machine's Sin answers them. */
static int sine(int degrees)
{
    switch (degrees) {
        case 90: return 1024;
        case 200: return -350;
        case 270: return -1024;
        default: return 0;
    }
}

int main(void)
{
    unsigned char head = 254, tail;
    int len = 3, i, key, x;
    long t, size = 70000L;
    for (i = 0; i < 4; ++i) {
        ++head;
        ring[head] = i + 8;
    }
    tail = head - len + 1;
    printf("head %d tail %d ring %d %d\n", head, tail, ring[tail], ring[(unsigned char)(head - 1)]);
    for (i = 0; i < 4; ++i) printf("%d ", ring[head] + steps[i]);
    printf("\n");
    for (i = 0; i < 4; ++i) {
        int a = (i & 1 ? 200 : 270) - 4 * i + 360 - 360;
        printf("%d:%d:%d ", a, 39 + (int)((long)sine(a) * 38 / 1024),
               39 - (int)((long)sine(a) * 35 / 1024));
    }
    printf("\n");
    for (t = 0; t < 130; t += 31) printf("%d ", abs((int)(t % 64) - 32) + 16);
    printf("\n");
    printf("%s %s %s\n", name_of(27), name_of(32), name_of(99));
    printf("%s ", hex(0xB282));
    printf("%s ", hex(0x06E7));
    printf("%s\n", hex(65535u));
    calls = 0;
    i = 0;
    while (!(key = next_key())) ++i;
    printf("waited %d for %d\n", i, key);
    for (i = 0; i < 2; ++i) screens[i]();
    x = i > 1 ? 5 | 0x20 : 5;
    printf("%d %d %d\n", x, (i + 6 - 1) % 6, -7 % 3);
    printf(x > 10 ? "yes\n" : "no\n");
    len = 28;
    printf("%d %d\n", len < size, (len + 2) > 24 || len + 2 > len);
    {
        unsigned char data[4];
        int cut;
        data[0] = 'a';
        data[1] = 0xB6;
        data[2] = 0xCC;
        data[3] = 0xB6;
        for (cut = 0; cut < 4 && data[cut];) {
            int width = data[cut] >= 0x80 ? 2 : 1;
            if (cut + width > 24 || cut + width > 4) break;
            cut += width;
        }
        printf("cut %d\n", cut);
    }
    return 0;
}
