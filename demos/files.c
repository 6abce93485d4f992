/* files.c: the file demo. Four pages on the small console, each until a key is pressed (Esc
   leaves):
     1. counts its runs in "\runs.dat" (one byte appended per run, counted with fseek and ftell),
        writes "note.txt", reads it back and compares the CRC-16 of both;
     2. shows what was read back;
     3. ChDir: the current folder ".", a folder that does not exist, out of the root (refused),
        back to the root "\" (a program cannot make folders: MakeDir does nothing);
     4. FileList: the chosen file's name, size and CRC-16, and its first bytes (cut whole
        characters only). */
#include "demo.h"

#define FILES_SHOW 24  /* bytes of the chosen file shown as text */
#define FILES_MAX 4096 /* bytes of the chosen file read */

static char files_text[128];                /* what is written */
static char files_back[128];                /* what is read back */
static char files_name[264];                /* the name FileList gives (up to 260 bytes) */
static unsigned char files_data[FILES_MAX]; /* the chosen file's first bytes */
static char files_hexbuf[5];

/* Waits for a key; true for Esc. */
static int files_wait(void) {
    return getchar() == KEY_ESC;
}

/* The four hexadecimal digits of `value`. */
static const char* files_hex(unsigned value) {
    static const char digits[] = "0123456789ABCDEF";
    int i;
    for (i = 0; i < 4; ++i) files_hexbuf[i] = digits[value >> (12 - 4 * i) & 15];
    files_hexbuf[4] = 0;
    return files_hexbuf;
}

/* Page 1. */
static void files_write_read(void) {
    FILE* h;
    int n, len;
    long runs = 0;
    SetScreen(1);
    printf("文件演示\n");
    ChDir("\\");

    h = fopen("runs.dat", "ab"); /* one more byte in runs.dat for this run */
    if (h) {
        putc('x', h);
        fclose(h);
    }
    h = fopen("runs.dat", "rb");
    if (h) {
        fseek(h, 0, SEEK_END);
        runs = ftell(h);
        fclose(h);
    }

    sprintf(files_text, "你好，文件！\r\n这是第%d次运行。\r\n", runs);
    len = strlen(files_text);
    n = 0;
    h = fopen("note.txt", "wb");
    if (h) {
        n = fwrite(files_text, 1, len, h);
        fclose(h);
    }
    printf("写 note.txt %d字节\n", n);

    memset(files_back, 0, 128);
    n = 0;
    h = fopen("note.txt", "rb");
    if (h) {
        n = fread(files_back, 1, 127, h);
        fclose(h);
    }
    printf("读回 %d字节\n", n);

    printf("CRC16 0x%s %s\n", files_hex(Crc16(files_back, n)),
           Crc16(files_text, len) == Crc16(files_back, n) ? "一致" : "不同!");
    printf("runs.dat: %d次运行\n", runs);
    printf("按键继续");
}

/* Page 2. */
static void files_read_back(void) {
    SetScreen(1);
    printf("note.txt 的内容:\n");
    printf("%s", files_back);
    printf("按键继续");
}

/* Prints the outcome of a ChDir. */
static void files_outcome(int ok) {
    printf(ok ? "成功\n" : "失败\n");
}

/* Page 3. */
static void files_dirs(void) {
    SetScreen(1);
    printf("ChDir 换目录\n");
    printf("当前目录 .: ");
    files_outcome(ChDir("."));
    printf("不存在的目录 nosub: ");
    files_outcome(ChDir("nosub"));
    printf("根目录外 ..: ");
    files_outcome(ChDir(".."));
    printf("\\: ");
    files_outcome(ChDir("\\"));
    printf("按键继续");
}

/* Page 4. */
static void files_chosen(void) {
    FILE* h;
    long size;
    int n, cut;
    SetScreen(1);
    printf("FileList 选择文件\n");
    if (!FileList(files_name)) {
        printf("没有选择文件\n按键继续");
        return;
    }
    printf("%s\n", files_name);
    h = fopen(files_name, "rb");
    if (!h) {
        printf("打不开\n按键继续");
        return;
    }
    fseek(h, 0, SEEK_END);
    size = ftell(h);
    rewind(h);
    n = fread(files_data, 1, FILES_MAX, h);
    fclose(h);
    printf("大小 %d字节\n", size);
    printf("CRC16 0x%s", files_hex(Crc16(files_data, n)));
    if (n < size) printf(" (前4096字节)");
    printf("\n");
    /* The first FILES_SHOW bytes as text, ending before a terminator or before a two-byte
       character that would not fit whole, or whose second byte was not read. */
    for (cut = 0; cut < n && files_data[cut];) {
        int width = files_data[cut] >= 0x80 ? 2 : 1;
        if (cut + width > FILES_SHOW || cut + width > n) break;
        cut += width;
    }
    memcpy(files_text, files_data, cut);
    files_text[cut] = 0;
    printf("%s\n按键继续", files_text);
}

void files_run(void) {
    for (;;) {
        files_write_read();
        if (files_wait()) break;
        files_read_back();
        if (files_wait()) break;
        files_dirs();
        if (files_wait()) break;
        files_chosen();
        if (files_wait()) break;
    }
    ChDir("\\"); /* the next program starts in the root again */
    flush_keys();
}

#ifndef SHOWCASE
int main(void) {
    files_run();
    return 0;
}
#endif
