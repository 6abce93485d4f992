/* Classic small algorithms with known answers: eight queens, gcd, bit counts, a matrix
 * product, an insertion sort of strings, run-length coding, a linked stack, binary search,
 * Collatz lengths and a dense switch. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int cols[8], solutions;

static int safe(int row, int col)
{
    int r;
    for (r = 0; r < row; r++)
        if (cols[r] == col || abs(cols[r] - col) == row - r) return 0;
    return 1;
}

static void queens(int row)
{
    int c;
    if (row == 8) {
        solutions++;
        return;
    }
    for (c = 0; c < 8; c++)
        if (safe(row, c)) {
            cols[row] = c;
            queens(row + 1);
        }
}

static unsigned gcd(unsigned a, unsigned b) { return b ? gcd(b, a % b) : a; }

static int bits(unsigned long v)
{
    int n = 0;
    while (v) {
        v &= v - 1;
        n++;
    }
    return n;
}

static void sort_words(const char **w, int n)
{
    int i, j;
    for (i = 1; i < n; i++) {
        const char *k = w[i];
        for (j = i - 1; j >= 0 && strcmp(w[j], k) > 0; j--) w[j + 1] = w[j];
        w[j + 1] = k;
    }
}

static void rle(const char *s, char *out)
{
    while (*s) {
        const char *t = s;
        while (*t == *s) t++;
        out += sprintf(out, "%d%c", (int)(t - s), *s);
        s = t;
    }
    *out = 0;
}

struct cell {
    int v;
    struct cell *below;
};

static const char *name_of(int d)
{
    switch (d) {
    case 0: return "zero";
    case 1: return "one";
    case 2: return "two";
    case 3: return "three";
    case 4: return "four";
    case 5: return "five";
    case 6: return "six";
    case 7: return "seven";
    case 8: return "eight";
    case 9: return "nine";
    case 100: return "hundred";
    case -1: return "minus one";
    default: return "many";
    }
}

int main(void)
{
    static const int sorted[] = {2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 37};
    const char *words[] = {"pear", "apple", "fig", "banana", "cherry", "apricot"};
    int a[3][3] = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}, b[3][3], c[3][3];
    int i, j, k, lo, hi, found, longest = 0, at = 0;
    char out[64];
    struct cell *top = 0, *p;

    queens(0);
    printf("queens %d\n", solutions);
    printf("gcd %u %u %u\n", gcd(1071, 462), gcd(65535U, 255), gcd(17, 5));
    printf("bits %d %d %d\n", bits(0), bits(0xFFFFFFFFUL), bits(0x80000001UL));
    for (i = 0; i < 3; i++)
        for (j = 0; j < 3; j++) b[i][j] = i == j ? 2 : (i + j) % 2;
    for (i = 0; i < 3; i++)
        for (j = 0; j < 3; j++)
            for (c[i][j] = 0, k = 0; k < 3; k++) c[i][j] += a[i][k] * b[k][j];
    for (i = 0; i < 3; i++) printf("%4d%4d%4d\n", c[i][0], c[i][1], c[i][2]);
    sort_words(words, 6);
    for (i = 0; i < 6; i++) printf("%s%c", words[i], i == 5 ? '\n' : ' ');
    rle("aaabccddddde", out);
    printf("rle %s\n", out);
    for (i = 0; i < 5; i++) {
        p = malloc(sizeof *p);
        p->v = i * i;
        p->below = top;
        top = p;
    }
    while (top) {
        printf("%d ", top->v);
        p = top->below;
        free(top);
        top = p;
    }
    printf("\n");
    for (k = 0; k < 40; k += 7) {
        lo = 0;
        hi = 11;
        found = -1;
        while (lo <= hi) {
            int mid = (lo + hi) / 2;
            if (sorted[mid] == k) { found = mid; break; }
            if (sorted[mid] < k) lo = mid + 1; else hi = mid - 1;
        }
        printf("%d:%d ", k, found);
    }
    printf("\n");
    for (i = 1; i < 1000; i++) {
        long n = i;
        int len = 1;
        while (n != 1) {
            n = n % 2 ? 3 * n + 1 : n / 2;
            len++;
        }
        if (len > longest) {
            longest = len;
            at = i;
        }
    }
    printf("collatz %d %d\n", at, longest);
    for (i = -1; i < 12; i++) printf("%s ", name_of(i));
    printf("%s\n", name_of(100));
    return 0;
}
