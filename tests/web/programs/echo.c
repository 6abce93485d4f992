/* echo.c: writes the device code of every key that arrives on the console, as [code]. */
#include <stdio.h>

int main(void) {
    for (;;) printf("[%d]", getchar());
    return 0;
}
