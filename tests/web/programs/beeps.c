/* beeps.c: calls Beep twice, a tenth of a second apart, says "beeped" and waits for a key. With
   the Beep setting on, each call is a tone through the page's Web Audio. */
#include <handheld.h>
#include <stdio.h>

int main(void) {
    Beep();
    Delay(100);
    Beep();
    printf("beeped\n");
    getchar();
    return 0;
}
