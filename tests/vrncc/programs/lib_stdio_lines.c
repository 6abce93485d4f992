/* fgets, fputs, fgetc and ungetc on the machine's files: lines cut to the buffer, a byte
 * pushed back read first (by fread too), and fseek and rewind dropping it. */
#include <stdio.h>
int main(void)
{
    char line[16];
    FILE *f = fopen("lines.txt", "wb");
    int c;
    fputs("first line\nsecond, longer line\nend", f);
    fclose(f);
    f = fopen("lines.txt", "rb");
    while (fgets(line, sizeof line, f)) printf("[%s]", line);
    printf("\n");
    rewind(f);
    c = fgetc(f);
    printf("%c %d ", c, ungetc(c + 1, f));
    printf("%c%c ", fgetc(f), fgetc(f));
    ungetc('X', f);
    fseek(f, 0L, SEEK_SET);
    printf("%c ", fgetc(f));
    ungetc('Y', f);
    printf("%d:", (int)fread(line, 1, 4, f));
    line[4] = 0;
    printf("%s %d\n", line, ungetc(EOF, f));
    fclose(f);
    return 0;
}
