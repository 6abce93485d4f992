/* exit() ends the program with its status; main is not finished. */
#include <stdio.h>
#include <stdlib.h>
void fail(int code) { printf("bye\n"); exit(code); }
int main(void) { fail(7); printf("not here\n"); return 1; }
