/* Text: UTF-8 literals stored as GB2312 and copied back as UTF-8, putchar, sprintf, the
   character classes and the string calls with what they return. */
#include <stdio.h>
#include <string.h>
#include <ctype.h>

#define GREETING "你好"
#define SHOW(x) printf("%s=%d\n", #x, (x))

int main(void)
{
    char buf[32];
    char *p;
    printf("%s %d\n", GREETING, strlen(GREETING));
    putchar('o');
    putchar('k');
    putchar('\n');
    sprintf(buf, "%d-%s-%c", -12, "ab", 'z');
    printf("%s\n", buf);
    p = strcpy(buf, "abc");
    printf("%d %s\n", p == buf, strcat(buf, "def"));
    SHOW(isdigit('7') != 0);
    SHOW(toupper('q'));
    SHOW(strcmp("abc", "abd"));
    SHOW(strchr("hello", 'l') - "hello" >= 0);
    printf("%s:%d\n", __FILE__ + strlen(__FILE__) - 6, __LINE__);
    return 0;
}
