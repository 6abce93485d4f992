/* printf conversions, flags, widths and precisions, checked against a table of expected texts. */
#include <stdio.h>
#include <string.h>

static int failures;

static void check(const char *got, const char *want)
{
    if (strcmp(got, want) != 0) {
        printf("FAIL: got [%s] want [%s]\n", got, want);
        failures++;
    }
}

int main(void)
{
    char b[80];
    int n;

    sprintf(b, "%d|%i|%u", 42, -42, 65000U); check(b, "42|-42|65000");
    sprintf(b, "%5d|%-5d|%05d", 42, 42, 42); check(b, "   42|42   |00042");
    sprintf(b, "%+d|%+d|% d|% d", 5, -5, 5, -5); check(b, "+5|-5| 5|-5");
    sprintf(b, "%+05d|%-+6d|% 05d", 7, 7, -7); check(b, "+0007|+7    |-0007");
    sprintf(b, "%.3d|%.0d|%5.3d|%-6.2d|", 7, 0, -7, 3); check(b, "007|| -007|03    |");
    sprintf(b, "%05.2d|%.0u|%3.0d|", 9, 0U, 0); check(b, "   09||   |");
    sprintf(b, "%x|%X|%#x|%#X|%#o|%o", 255, 255, 255, 255, 8, 8); check(b, "ff|FF|0xff|0XFF|010|10");
    sprintf(b, "%#x|%#o|%#.3o|%08x|%#08x", 0, 0, 8, 0xbeef, 0xbeef);
    check(b, "0|0|010|0000beef|0x00beef");
    sprintf(b, "%c%c%c|%3c|%-3c|", 'a', 'b', 'c', 'x', 'y'); check(b, "abc|  x|y  |");
    sprintf(b, "%s|%8s|%-8s|%.2s|%8.3s|", "str", "right", "left", "cut", "trunc");
    check(b, "str|   right|left    |cu|     tru|");
    sprintf(b, "%*d|%-*d|%.*d|%*.*s|", 6, 1, 4, 2, 3, 5, 6, 2, "abcdef");
    check(b, "     1|2   |005|    ab|");
    sprintf(b, "%*d|", -4, 9); check(b, "9   |");
    sprintf(b, "%ld|%lu|%lx|%10ld|%-10ld|", 2147483647L, 4294967295UL, 0xdeadbeefUL,
            -123456L, 123456L);
    check(b, "2147483647|4294967295|deadbeef|   -123456|123456    |");
    sprintf(b, "%ld|%ld", -2147483647L - 1, 0L); check(b, "-2147483648|0");
    sprintf(b, "%lu|%lu|%lo", 3000000000UL, 2147483648UL, 4294967295UL);
    check(b, "3000000000|2147483648|37777777777");
    sprintf(b, "%hd|%hu|%hx", 1234, 4321, 0xabc); check(b, "1234|4321|abc");
    sprintf(b, "100%%|%%d|%5%|"); check(b, "100%|%d|%|");
    sprintf(b, "%s%s%s", "", "a", ""); check(b, "a");
    sprintf(b, "%hhd|%hhu|%s", 300, 511, (char *)0); check(b, "44|255|(null)");
    sprintf(b, "ab%nc", &n); check(b, "abc");
    if (n != 2) { printf("FAIL: %%n stored %d\n", n); failures++; }

    n = sprintf(b, "%d-%s", 12345, "xyz"); /* returns the characters written */
    if (n != 9 || strlen(b) != 9) { printf("FAIL: count %d\n", n); failures++; }

    n = snprintf(b, 6, "%s", "overflowing"); /* truncated but counted whole */
    check(b, "overf");
    if (n != 11) { printf("FAIL: snprintf count %d\n", n); failures++; }
    n = snprintf(b, 1, "%d", 99); check(b, "");
    if (n != 2) { printf("FAIL: snprintf count %d\n", n); failures++; }

    /* printf itself, and its count */
    n = printf("[%6.2d] [%-4s] [%x]\n", 5, "ab", 48879);
    printf("printed %d\n", n);
    puts("puts adds a newline");
    fputs("fputs does not\n", stdout);
    putchar('o'); putchar('k'); putchar('\n');
    fprintf(stdout, "fprintf to stdout %03d\n", 7);
    printf("%s\n", failures ? "FAILED" : "all printf cases pass");
    return failures;
}
