/* Conversions into unsigned types and operators on them that must come back to the type's width:
   a signed value widened to a wider unsigned type, ~ of unsigned values, and unsigned constants
   shifted right while the compiler folds them; a string that fills its array exactly, with no
   room for the terminating zero, leaves the next member alone. */
#include <stdio.h>

static unsigned long wide(unsigned int u) { return u; }

struct exact {
    char name[3];
    char after;
};
static struct exact global_exact = {"abc", 'g'};

int main(void) {
    signed char c = -1;
    short s = -2;
    unsigned int u = c, v = s;
    unsigned short us = 0;
    unsigned int zero = 0;
    char folded[(~0u >> 12) + 1];

    printf("widen %lu %lu\n", (unsigned long)u, wide(v));
    printf("widen above half %d %d\n", u >= 32768u, v > 65000u);
    printf("widen shifted %u %u\n", u >> 15, v >> 8);
    printf("widen divided %u\n", u / 3u);
    printf("widen unstored %lu %d %u %u\n", (unsigned long)(unsigned)c, (unsigned)c > 60000u,
           (unsigned)s >> 8, (unsigned)c / 3u);

    printf("not %lu %lu\n", (unsigned long)~zero, wide(~us));
    printf("not compared %d %d\n", ~zero == 65535u, ~zero > 1u);
    printf("not divided %u %u\n", ~zero / 2u, ~us >> 12);

    printf("folded %u %u %u\n", (unsigned)-1 >> 4, -1u >> 12, (0u - 2u) >> 1);
    printf("folded size %u\n", (unsigned)sizeof folded);
    {
        struct exact local_exact = {"xyz", 'l'};
        printf("exact %c%c%c %c %c%c%c %c\n", global_exact.name[0], global_exact.name[1],
               global_exact.name[2], global_exact.after, local_exact.name[0], local_exact.name[1],
               local_exact.name[2], local_exact.after);
    }
    return 0;
}
