/* runs.c: counts its runs in "\runs.dat" (one byte). It says which run this is on the console,
   and three seconds later (time for the test to note the storage writes so far, even on a busy
   machine), with no input in between, writes the new count and says "saved": the file must
   reach the browser's storage because it was closed, and be read in the next visit of the
   page. */
#include <handheld.h>
#include <stdio.h>

int main(void) {
    unsigned char runs = 0;
    FILE* f = fopen("\\runs.dat", "rb");
    if (f) {
        fread(&runs, 1, 1, f);
        fclose(f);
    }
    ++runs;
    printf("run %d\n", runs);
    Delay(3000);
    f = fopen("\\runs.dat", "wb");
    if (f) {
        fwrite(&runs, 1, 1, f);
        fclose(f);
    }
    printf("saved\n");
    getchar();
    return 0;
}
