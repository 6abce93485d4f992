/* Corners of C that real programs reach: a block's own typedef of an outer name, prose in a
 * skipped group, operands #if does not evaluate, a library function the program declares or
 * defines itself, and fread/fwrite counting whole elements of any size. */
#include <stdio.h>

typedef int T;

#if 0
This group is skipped, so the apostrophe in don't is only prose.
#endif
#if 0 != (0 && (0 / 0))
#error the right operand of && was evaluated
#endif
#if 1 || 1 % 0
#else
#error the right operand of || was evaluated
#endif
#if (1 ? 2 : 1 / 0) != 2 || (0 ? 1 / 0 : 3) != 3
#error the branch ?: did not choose was evaluated
#endif

int strlen(char *s); /* the program's own declaration, without string.h */

int atoi(const char *s) /* the program's own atoi replaces the library's */
{
    return s[0] == '7' ? 700 : -1;
}

struct rec {
    long id;
    int score;
    char name[6];
};

static void files(void)
{
    struct rec best = {123456L, -7, "abc"}, back, many[3];
    FILE *f = fopen("rec.bin", "wb");
    int codes[4] = {1, 2, 3, 4};
    printf("fwrite whole: %d\n", (int)fwrite(&best, sizeof best, 1, f));
    printf("fwrite 3 x 4: %d\n", (int)fwrite(codes, sizeof codes[0], 3, f));
    printf("fwrite empty: %d %d\n", (int)fwrite(codes, 0, 3, f), (int)fwrite(codes, 2, 0, f));
    fclose(f);
    f = fopen("rec.bin", "rb");
    printf("fread whole: %d\n", (int)fread(&back, sizeof back, 1, f));
    printf("back: %ld %d %s\n", back.id, back.score, back.name);
    /* 6 bytes are left: no whole 12-byte element */
    printf("fread short: %d\n", (int)fread(many, sizeof many[0], 3, f));
    fclose(f);
    f = fopen("rec.bin", "rb");
    printf("fread 5 x 4: %d\n", (int)fread(many, 4, 5, f)); /* 18 bytes: 4 whole elements */
    fclose(f);
    printf("to the console: %d\n", (int)fwrite("ok\n", 1, 3, stdout));
}

int main(void)
{
    T outer = 3;
    {
        typedef char T;
        T c = 'x';
        printf("inner T: %c %d\n", c, (int)sizeof(T));
    }
    {
        int T = 5; /* and an object may take the name too */
        printf("object T: %d\n", T + outer);
    }
    printf("outer T: %d %d\n", outer, (int)sizeof(T));
    printf("strlen: %d\n", strlen("hello"));
    printf("atoi: %d\n", atoi("7"));
    files();
    return 0;
}
