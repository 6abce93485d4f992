/* Counts for ever, printing now and then: a program to attach to while it runs. */
#include <stdio.h>

int ticks;

int main(void)
{
    int i = 0;
    for (;;) {
        i = i + 1;
        ticks = i;
        if ((i & 0x3FFF) == 0)
            printf("%d\n", ticks);
    }
    return 0;
}
