/* console.c: the console demo. Five pages, each shown until a key is pressed (Esc leaves):
     1. the large console (20 x 5, 16-pixel glyphs) scrolling line by line (printf), then a line
        typed out byte by byte (putchar);
     2. the small console (26 x 6, 12-pixel glyphs) scrolling, long lines wrapping;
     3. Locate placing text anywhere on the grid;
     4. UpdateLCD with a row skip mask: a progress bar drawn into the LCD survives while the text
        rows around it are redrawn;
     5. TextOut in both fonts, mirrored and inverted. */
#include "demo.h"

#define MIRROR 0x20
#define TEXT_BUFFER ((char*)0x01C0) /* the console's characters, 20 a row in the large font */

/* Waits for a key; true for Esc. */
static int console_wait(void) {
    return getchar() == KEY_ESC;
}

static void console_large(void) {
    static const char typed[] = "putchar逐字"; /* the last line typed out byte by byte */
    int i;
    SetScreen(0);
    printf("大字体控制台 20×5\n");
    for (i = 1; i <= 8; ++i) {
        printf("第%d行 Line %d\n", i, i);
        Delay(250);
    }
    for (i = 0; typed[i]; ++i) {
        putchar(typed[i]);
        Delay(60);
    }
    printf("\n按键继续 Esc退出");
}

static void console_small(void) {
    int i;
    SetScreen(1);
    printf("小字体控制台 26×6\n");
    printf("Tab:\t一个空格\n");
    printf("长行自动换行: ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789\n");
    for (i = 1; i <= 6; ++i) {
        printf("第%d行 %s\n", i, "小字体");
        Delay(200);
    }
    printf("按键继续 Esc退出");
}

static void console_locate(void) {
    int i;
    SetScreen(0);
    for (i = 0; i < 4; ++i) { /* row i, column 3i */
        Locate(i, 3 * i);
        printf("定位%d,%d", i, 3 * i);
        Delay(150);
    }
    Locate(4, 2);
    printf("Locate(行,列)");
}

static void console_skip_mask(void) {
    int p;
    SetScreen(0);
    printf("UpdateLCD 跳过1行\n\n\n按位0x40=第1行\n按键继续 Esc退出");
    Rectangle(2, 18, 157, 29, TO_LCD + M_SET);
    for (p = 0; p <= 100; p += 5) {
        Block(4, 20, p * 149 / 100 + 4, 27, TO_LCD + M_SET); /* the bar, straight into the LCD */
        sprintf(TEXT_BUFFER + 40, "进度 %d%%  ", p);         /* text row 2 of the large console */
        UpdateLCD(0x40); /* redraw every text row but row 1, where the bar is */
        Delay(80);
    }
}

static void console_textout(void) {
    Block(0, 0, 159, 79, TO_LCD + M_CLEAR);
    TextOut(0, 0, "小字 ABC abc 123 汉字", TO_LCD + R_COPY);
    TextOut(0, 13, "大字 ABC 汉字", TO_LCD + BIG + R_COPY);
    TextOut(0, 30, "镜像 Mirror", TO_LCD + BIG + MIRROR + R_COPY);
    Block(0, 47, 159, 63, TO_LCD + M_SET);
    TextOut(8, 47, "反色 XOR 文字", TO_LCD + BIG + R_XOR);
    TextOut(0, 67, "按键继续 Esc退出", TO_LCD + R_COPY);
    TextOut(0, 0, "", TO_LCD + R_COPY); /* clears the mirror flag the console would inherit */
}

void console_run(void) {
    for (;;) {
        console_large();
        if (console_wait()) break;
        console_small();
        if (console_wait()) break;
        console_locate();
        if (console_wait()) break;
        console_skip_mask();
        if (console_wait()) break;
        console_textout();
        if (console_wait()) break;
    }
    flush_keys();
}

#ifndef SHOWCASE
int main(void) {
    console_run();
    return 0;
}
#endif
