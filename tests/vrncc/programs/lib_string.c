/* string.h and ctype.h as a C program uses them; the same text under the host's compiler. */
#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int sign(int v) { return v < 0 ? -1 : v > 0; }

int main(void)
{
    char buf[64], *p, *tok;
    const char *s = "hello, world";
    static const char text[] = "alpha beta  gamma,delta";
    int i, classes[6];

    strcpy(buf, "abc");
    strcat(buf, "def");
    printf("%s %u\n", buf, (unsigned)strlen(buf));
    printf("cmp %d %d %d %d\n", sign(strcmp("abc", "abd")), sign(strcmp("b", "a")),
           sign(strcmp("same", "same")), sign(strcmp("ab", "abc")));
    printf("ncmp %d %d %d\n", sign(strncmp("abcx", "abcy", 3)), sign(strncmp("abcx", "abcy", 4)),
           sign(strncmp("a", "b", 0)));
    printf("high bytes compare unsigned: %d\n", sign(strcmp("a", "\xb0\xa1")));
    printf("chr %s|%s|%s\n", strchr(s, 'o'), strrchr(s, 'o'), strchr(s, 'z') ? "found" : "null");
    printf("chr end %d\n", (int)(strchr(s, 0) - s));
    printf("str %s|%s|%s\n", strstr(s, "wor"), strstr(s, ""), strstr(s, "xyz") ? "found" : "null");
    printf("spn %u %u\n", (unsigned)strspn("aabbcd", "ab"), (unsigned)strcspn("hello", "lo"));
    printf("pbrk %s\n", strpbrk(s, ",w"));

    memset(buf, 'x', 5);
    buf[5] = 0;
    printf("memset %s\n", buf);
    strncpy(buf, "ab", 5);
    printf("strncpy pads: %d %d %d\n", buf[2], buf[3], buf[4]);
    strncpy(buf, "abcdefgh", 3);
    buf[3] = 0;
    printf("strncpy cuts: %s\n", buf);
    strcpy(buf, "0123456789");
    memmove(buf + 2, buf, 5);
    printf("memmove up %s\n", buf);
    strcpy(buf, "0123456789");
    memmove(buf, buf + 3, 5);
    printf("memmove down %s\n", buf);
    memcpy(buf, "XYZ", 3);
    printf("memcpy %s\n", buf);
    printf("memcmp %d %d\n", sign(memcmp("abc", "abd", 3)), sign(memcmp("abc", "abd", 2)));
    p = memchr("find the x here", 'x', 15);
    printf("memchr %s\n", p ? p : "null");
    strcpy(buf, "abc");
    strncat(buf, "defgh", 2);
    printf("strncat %s\n", buf);

    strcpy(buf, text);
    for (tok = strtok(buf, " ,"), i = 0; tok; tok = strtok(0, " ,"), i++)
        printf("token %d: %s\n", i, tok);

    for (i = 0; i < 6; i++) classes[i] = 0;
    for (i = 0; i < 128; i++) {
        classes[0] += isalpha(i) != 0;
        classes[1] += isdigit(i) != 0;
        classes[2] += isspace(i) != 0;
        classes[3] += ispunct(i) != 0;
        classes[4] += isxdigit(i) != 0;
        classes[5] += isprint(i) != 0;
    }
    printf("classes %d %d %d %d %d %d\n", classes[0], classes[1], classes[2], classes[3],
           classes[4], classes[5]);
    for (p = strcpy(buf, "Mixed Case 123"); *p; p++) *p = (char)toupper(*p);
    printf("%s\n", buf);
    for (p = buf; *p; p++) *p = (char)tolower(*p);
    printf("%s\n", buf);
    p = strdup("copied");
    printf("strdup %s\n", p);
    free(p);
    return 0;
}
