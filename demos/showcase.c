/* showcase.c: the bundled demo program. A menu of the demos; the arrows choose, Enter starts the
   chosen one, Esc inside a demo comes back here, and Esc on the menu ends the program. Every demo
   is compiled in as a screen of the menu. */
#define SHOWCASE 1
#include "clock.c"
#include "console.c"
#include "draw.c"
#include "files.c"
#include "keys.c"
#include "snake.c"

#define ITEMS 6

static const char* const showcase_names[ITEMS] = {"控制台", "绘图", "按键测试",
                                                  "贪吃蛇", "文件", "时钟"};
static void (*const showcase_screens[ITEMS])(void) = {console_run, draw_run,  keys_run,
                                                      snake_run,   files_run, clock_run};

/* Items stand in two columns of three: item i at x = 8 + 80 (i / 3), y = 16 + 21 (i % 3). */
static void showcase_draw(int chosen) {
    int i;
    ClearScreen();
    Block(0, 0, 159, 12, M_SET);
    TextOut(2, 1, "演示精选", R_XOR);
    TextOut(76, 1, "↑↓←→ 回车", R_XOR);
    for (i = 0; i < ITEMS; ++i)
        TextOut(8 + 80 * (i / 3), 16 + 21 * (i % 3), showcase_names[i], BIG + R_COPY);
    /* the chosen item is shown inverted */
    Block(2 + 80 * (chosen / 3), 14 + 21 * (chosen % 3), 77 + 80 * (chosen / 3),
          33 + 21 * (chosen % 3), M_INVERT);
    Refresh();
}

int main(void) {
    int chosen = 0;
    flush_keys();
    for (;;) {
        int key;
        showcase_draw(chosen);
        for (;;) {
            key = getchar();
            if (key == KEY_ESC) return 0;
            if (key == KEY_ENTER || key == KEY_UP || key == KEY_DOWN || key == KEY_LEFT ||
                key == KEY_RIGHT)
                break;
        }
        if (key == KEY_ENTER) {
            showcase_screens[chosen]();
            SetScreen(0); /* the large console again, empty, for the next demo */
            flush_keys();
        } else if (key == KEY_UP) { /* Up and Down walk the list, Left and Right change columns */
            chosen = (chosen + ITEMS - 1) % ITEMS;
        } else if (key == KEY_DOWN) {
            chosen = (chosen + 1) % ITEMS;
        } else {
            chosen = (chosen + ITEMS / 2) % ITEMS;
        }
    }
}
