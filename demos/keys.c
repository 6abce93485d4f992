/* keys.c: the key tester. Shows the device key code and name of every key that arrives, the keys
   held down as CheckKey sees them, and what ReleaseKey and PutKey do:
     P  puts the key "z" with PutKey: it arrives next, marked as coming from PutKey;
     R  calls ReleaseKey for all keys: a key still held is delivered again at the next scan, so
        holding R repeats it;
     Esc twice in a row leaves. */
#include "demo.h"

#define KEY_ANY 0x80 /* CheckKey: any key; ReleaseKey: all keys */
#define PL_GBUF 0x40 /* Line: into the back buffer */

struct keys_record {
    unsigned char code;
    char name[7];
};

static const struct keys_record keys_table[] = {
    {KEY_ENTER, "回车"}, {KEY_ESC, "Esc"}, {KEY_SPACE, "空格"}, {KEY_UP, "↑"},  {KEY_DOWN, "↓"},
    {KEY_LEFT, "←"},     {KEY_RIGHT, "→"}, {0x13, "上页"},      {0x0E, "下页"}, {0x1A, "Shift"},
    {0x1C, "F1"},        {0x1D, "F2"},     {0x1E, "F3"},        {0x1F, "F4"},   {0x19, "F5"},
    {0x12, "F6"},        {0, "无"}, /* the table ends with code 0 */
};

static int keys_last;         /* last key code, -1 before the first */
static int keys_count;        /* keys received */
static int keys_esc;          /* 1 right after an Esc */
static int keys_put;          /* 1 while the key put by PutKey is on its way */
static int keys_fromput;      /* 1 when the last key came from PutKey */
static int keys_repeat;       /* deliveries of R */
static char keys_hexbuf[3];   /* two hexadecimal digits */
static char keys_letter[2];   /* a one-character key name */
static char keys_buf[64];     /* a line of text */
static char keys_heldbuf[96]; /* the held-keys line */

/* Handles `key`; true when the tester should end. */
static int keys_take(int key) {
    ++keys_count;
    keys_fromput = keys_put;
    keys_put = 0;
    keys_last = key;
    if (key == KEY_ESC) {
        if (keys_esc) return 1;
        keys_esc = 1;
        return 0;
    }
    keys_esc = 0;
    if (key == 'p') {
        PutKey('z'); /* the next key is "z", as if it had been pressed */
        keys_put = 1;
    }
    if (key == 'r') {
        ++keys_repeat;
        ReleaseKey(KEY_ANY); /* every held key counts as released: R, if held, comes again */
    }
    return 0;
}

/* The name of key `code`. */
static const char* keys_name(int code) {
    int i;
    if ((code >= 'a' && code <= 'z') || code == '0' || code == '.') {
        keys_letter[0] = code; /* letters, the digit 0 and the full stop name themselves */
        keys_letter[1] = 0;
        return keys_letter;
    }
    for (i = 0; keys_table[i].code != code; ++i)
        if (!keys_table[i].code) return "?";
    return keys_table[i].name;
}

/* The two hexadecimal digits of `value` (0-255). */
static const char* keys_hex(int value) {
    static const char digits[] = "0123456789ABCDEF";
    keys_hexbuf[0] = digits[value >> 4 & 15];
    keys_hexbuf[1] = digits[value & 15];
    keys_hexbuf[2] = 0;
    return keys_hexbuf;
}

/* Fills the held-keys line with "按住" and the names of the keys that CheckKey reports down. */
static void keys_held(void) {
    int code;
    strcpy(keys_heldbuf, "按住");
    for (code = 1; code < 0x80; ++code)
        if (CheckKey(code)) {
            strcat(keys_heldbuf, " ");
            strcat(keys_heldbuf, keys_name(code));
        }
}

/* Redraws the whole screen in the back buffer and shows it. */
static void keys_draw(void) {
    ClearScreen();
    TextOut(0, 0, "按键测试", BIG + R_COPY);
    sprintf(keys_buf, "共%d键", keys_count);
    TextOut(112, 2, keys_buf, R_COPY);
    Line(0, 17, 159, 17, PL_GBUF + M_SET);
    if (keys_last < 0) {
        TextOut(0, 20, "请按任意键", R_COPY);
    } else {
        sprintf(keys_buf, "键码 0x%s =%d %s", keys_hex(keys_last), keys_last, keys_name(keys_last));
        TextOut(0, 20, keys_buf, R_COPY);
        if (keys_fromput) TextOut(112, 20, "PutKey", R_COPY + R_INV);
    }
    keys_held();
    TextOut(0, 33, keys_heldbuf, R_COPY);
    /* the first held key in the host's order */
    sprintf(keys_buf, "CheckKey(0x80)=0x%s R:%d", keys_hex(CheckKey(KEY_ANY)), keys_repeat);
    TextOut(0, 46, keys_buf, R_COPY);
    Line(0, 62, 159, 62, PL_GBUF + M_SET);
    TextOut(0, 66, keys_esc ? "再按Esc退出" : "P:PutKey R:Release Esc×2", R_COPY);
    Refresh();
}

void keys_run(void) {
    keys_last = -1;
    keys_count = keys_esc = keys_put = keys_fromput = keys_repeat = 0;
    flush_keys();
    for (;;) {
        int key = Inkey();
        if (key && keys_take(key)) break; /* true for the second Esc */
        keys_draw();
        Delay(50);
    }
    flush_keys();
}

#ifndef SHOWCASE
int main(void) {
    keys_run();
    return 0;
}
#endif
