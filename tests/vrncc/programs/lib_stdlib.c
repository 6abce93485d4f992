/* stdlib.h: number parsing with its edges, qsort and bsearch over several element sizes,
 * div, abs, atexit and exit's status. */
#include <errno.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

struct rec {
    char name[6];
    long key;
};

static int by_int(const void *a, const void *b)
{
    int x = *(const int *)a, y = *(const int *)b;
    return x < y ? -1 : x > y;
}

static int by_key(const void *a, const void *b)
{
    long x = ((const struct rec *)a)->key, y = ((const struct rec *)b)->key;
    return x < y ? -1 : x > y;
}

static int by_char_desc(const void *a, const void *b)
{
    return *(const unsigned char *)b - *(const unsigned char *)a;
}

static void goodbye(void) { printf("atexit: second registered, first run\n"); }
static void last(void) { printf("atexit: first registered, last run\n"); }

int main(void)
{
    static const struct { const char *text; int base; } nums[] = {
        {"  42", 10}, {"-17xyz", 10}, {"+0x1F", 16}, {"0x1f", 0}, {"0755", 0}, {"z", 36},
        {"2147483647", 10}, {"-2147483648", 10}, {"99999999999", 10}, {"-99999999999", 10},
        {"", 10}, {"  -", 10}, {"101", 2}, {"12", 3}, {"0x", 16},
    };
    int v[40], i, ok, key, *hit;
    struct rec recs[5];
    char letters[] = "qsortmeplease";
    char *end;
    div_t d;
    ldiv_t ld;

    for (i = 0; i < (int)(sizeof nums / sizeof nums[0]); i++) {
        long r;
        errno = 0;
        r = strtol(nums[i].text, &end, nums[i].base);
        printf("strtol(\"%s\", %d) = %ld, rest \"%s\"%s\n", nums[i].text, nums[i].base, r, end,
               errno == ERANGE ? ", ERANGE" : "");
    }
    printf("strtoul %lu %lu %lu\n", strtoul("4294967295", 0, 10), strtoul("ffffffff", 0, 16),
           strtoul("-1", 0, 10));
    errno = 0;
    printf("strtoul over %lu %s\n", strtoul("4294967296", 0, 10), errno == ERANGE ? "ERANGE" : "");
    printf("atoi %d %d %d, atol %ld\n", atoi("123abc"), atoi("-32768"), atoi("x"), atol("-100000"));

    for (i = 0; i < 40; i++) v[i] = (i * 79) % 101 - 50;
    qsort(v, 40, sizeof v[0], by_int);
    for (i = 1, ok = 1; i < 40; i++) ok &= v[i - 1] <= v[i];
    printf("qsort ints sorted %d: %d %d %d .. %d\n", ok, v[0], v[1], v[2], v[39]);
    for (i = 0, ok = 0; i < 40; i++) {
        key = v[i];
        hit = bsearch(&key, v, 40, sizeof v[0], by_int);
        ok += hit && *hit == key;
    }
    key = 51;
    printf("bsearch found %d of 40, missing %s\n", ok,
           bsearch(&key, v, 40, sizeof v[0], by_int) ? "found" : "null");
    qsort(v, 0, sizeof v[0], by_int);
    qsort(v, 1, sizeof v[0], by_int);

    for (i = 0; i < 5; i++) {
        sprintf(recs[i].name, "r%d", i);
        recs[i].key = 100000L * ((i * 3) % 5) - 150000L;
    }
    qsort(recs, 5, sizeof recs[0], by_key);
    for (i = 0; i < 5; i++) printf("%s:%ld ", recs[i].name, recs[i].key);
    printf("\n");
    qsort(letters, strlen(letters), 1, by_char_desc);
    printf("%s\n", letters);

    d = div(-7, 2);
    ld = ldiv(1000000L, 7L);
    printf("div %d %d, ldiv %ld %ld, abs %d %d, labs %ld\n", d.quot, d.rem, ld.quot, ld.rem,
           abs(-5), abs(INT_MIN + 1), labs(-2147483647L));

    atexit(last);
    atexit(goodbye);
    printf("exit with 7\n");
    exit(7);
    printf("not reached\n");
    return 0;
}
