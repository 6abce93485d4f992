/* snake.c: the snake game. The arrows steer (a tapped key and a held one both count), Space held
   runs at double speed, Esc gives up. Each food is worth 10 points and makes the snake longer and
   a little faster. The best score is kept in the file "\snake.hi" (4 bytes, little-endian) in the
   root directory, so it survives from one run to the next.

   Frames are paced with Delay; every frame is drawn into the back buffer and shown with Refresh. */
#include "demo.h"

#define COLS 39 /* playing field in cells of 4 x 4 pixels */
#define ROWS 16
#define MAX_LEN 250     /* the body is a ring of 256 cells */
#define START_SPEED 150 /* milliseconds a step */
#define MIN_SPEED 60

static const signed char snake_dx[4] = {1, 0, -1, 0}; /* by direction: right, down, left, up */
static const signed char snake_dy[4] = {0, 1, 0, -1};
static const unsigned char snake_kdir[4] = {3, 1, 0, 2}; /* of the keys Up, Down, Right, Left */

static int snake_dir;            /* 0 right, 1 down, 2 left, 3 up */
static int snake_ndir;           /* the direction of the next step */
static unsigned char snake_head; /* ring index of the head; wraps at 256 */
static int snake_len;
static long snake_score;
static long snake_hi; /* best score; read from and written to the file as is */
static int snake_foodx, snake_foody;
static int snake_speed;
static char snake_buf[64];                  /* a line of text */
static unsigned char snake_rx[256];         /* ring of the body's columns */
static unsigned char snake_ry[256];         /* and rows */
static unsigned char snake_grid[40 * ROWS]; /* one byte per cell, 40 a row: 1 where the body is */

/* Reads the best score from "\snake.hi"; 0 when there is no such file or it is too short. */
static void snake_load(void) {
    FILE* f;
    snake_hi = 0;
    f = fopen("\\snake.hi", "rb");
    if (!f) return;
    if (fread(&snake_hi, 1, 4, f) != 4) snake_hi = 0;
    fclose(f);
}

static void snake_save(void) {
    FILE* f = fopen("\\snake.hi", "wb");
    if (!f) return;
    fwrite(&snake_hi, 1, 4, f);
    fclose(f);
}

static void snake_title(void) {
    ClearScreen();
    TextOut(56, 0, "贪吃蛇", BIG + R_COPY);
    Rectangle(0, 17, 159, 17, M_SET);
    sprintf(snake_buf, "最高分 %d", snake_hi);
    TextOut(52, 21, snake_buf, R_COPY);
    TextOut(14, 36, "方向键转向 空格加速", R_COPY);
    Rectangle(0, 52, 159, 68, M_SET);
    TextOut(26, 55, "回车开始 Esc退出", R_COPY);
    Refresh();
    flush_keys();
}

/* A new game: a snake of three cells heading right, the first food straight ahead. */
static void snake_new(void) {
    int i;
    memset(snake_grid, 0, sizeof snake_grid);
    snake_head = 2;
    snake_len = 3;
    for (i = 0; i < 3; ++i) {
        snake_rx[i] = i + 8;
        snake_ry[i] = 8;
        snake_grid[8 * 40 + 8 + i] = 1;
    }
    snake_dir = snake_ndir = 0;
    snake_score = 0;
    snake_speed = START_SPEED;
    snake_foodx = 20;
    snake_foody = 8;
    srand(Getms()); /* the moment of the start decides where later food appears */
    flush_keys();
}

/* Turns toward the arrow `key`, unless that is straight back. */
static void snake_steer(int key) {
    int d;
    if (key < KEY_UP || key > KEY_LEFT) return;
    d = snake_kdir[key - KEY_UP];
    if (d != ((snake_dir + 2) & 3)) snake_ndir = d;
}

/* Takes the key pressed since the last step, or an arrow that is held; true for Esc. */
static int snake_input(void) {
    int key = Inkey();
    if (key == KEY_ESC) return 1;
    if (key) {
        snake_steer(key);
        return 0;
    }
    for (key = KEY_UP; key <= KEY_LEFT; ++key)
        if (CheckKey(key)) snake_steer(key);
    return 0;
}

/* Puts the food on a random free cell. */
static void snake_food(void) {
    do {
        snake_foodx = rand() % COLS;
        snake_foody = rand() % ROWS;
    } while (snake_grid[snake_foody * 40 + snake_foodx]);
}

/* One step of the snake; true when it hits a wall or itself. */
static int snake_move(void) {
    int nx, ny, eat;
    snake_dir = snake_ndir;
    nx = snake_rx[snake_head] + snake_dx[snake_dir];
    ny = snake_ry[snake_head] + snake_dy[snake_dir];
    if (nx < 0 || nx > COLS - 1 || ny < 0 || ny > ROWS - 1) return 1;

    eat = nx == snake_foodx && ny == snake_foody;
    /* A snake that grows keeps its tail; at full length it cannot. The tail leaves its cell
       before the head moves in, so the head may follow the tail closely. */
    if (!(eat && snake_len < MAX_LEN)) {
        unsigned char tail = snake_head - snake_len + 1;
        snake_grid[snake_ry[tail] * 40 + snake_rx[tail]] = 0;
        --snake_len;
    }
    ++snake_len;
    if (snake_grid[ny * 40 + nx]) return 1;

    ++snake_head;
    snake_rx[snake_head] = nx;
    snake_ry[snake_head] = ny;
    snake_grid[ny * 40 + nx] = 1;

    if (eat) {
        snake_score += 10;
        if (snake_speed > MIN_SPEED) snake_speed -= 5;
        snake_food();
    }
    return 0;
}

/* Cell (column, row) covers x = 2 + 4c .. 4 + 4c, y = 14 + 4r .. 16 + 4r. */
#define CELL(c, r) 2 + 4 * (c), 14 + 4 * (r), 4 + 4 * (c), 16 + 4 * (r)

static void snake_draw(void) {
    int i;
    ClearScreen();
    sprintf(snake_buf, "分数 %d", snake_score);
    TextOut(0, 0, snake_buf, R_COPY);
    sprintf(snake_buf, "最高 %d", snake_hi);
    TextOut(100, 0, snake_buf, R_COPY);
    Rectangle(0, 12, 159, 79, M_SET);
    Rectangle(CELL(snake_foodx, snake_foody), M_SET);
    for (i = 0; i < snake_len; ++i) {
        unsigned char at = snake_head - i; /* ring index of the i-th cell from the head */
        Block(CELL(snake_rx[at], snake_ry[at]), M_SET);
    }
    Refresh();
}

/* The end of a game: saves a new best score and asks for another game. True for another. */
static int snake_over(void) {
    int newhi = 0, key;
    if (snake_score > snake_hi) {
        newhi = 1;
        snake_hi = snake_score;
        snake_save();
    }
    Block(100, 0, 159, 11, M_CLEAR); /* the header shows the best score as it is now */
    sprintf(snake_buf, "最高 %d", snake_hi);
    TextOut(100, 0, snake_buf, R_COPY);
    Block(1, 13, 158, 78, M_CLEAR); /* the field is emptied, so no snake shows around the box */
    Rectangle(8, 14, 151, 77, M_SET);
    TextOut(48, 16, "游戏结束", BIG + R_COPY);
    sprintf(snake_buf, "分数 %d  最高 %d", snake_score, snake_hi);
    TextOut(22, 34, snake_buf, R_COPY);
    if (newhi) {
        Block(56, 47, 102, 60, M_SET); /* a dark band one pixel wider than the text */
        TextOut(59, 48, "新纪录!", R_COPY + R_INV);
    }
    TextOut(32, 63, "回车再玩 Esc退出", R_COPY);
    Refresh();
    Delay(300); /* a key still held from the game is not an answer */
    flush_keys();
    for (;;) {
        key = getchar();
        if (key == KEY_ESC) return 0;
        if (key == KEY_ENTER) return 1;
    }
}

void snake_run(void) {
    int key;
    snake_load();
    snake_title();
    do {
        key = getchar();
        if (key == KEY_ESC) {
            flush_keys();
            return;
        }
    } while (key != KEY_ENTER);
    do {
        snake_new();
        while (!snake_input() && !snake_move()) {
            snake_draw();
            Delay(CheckKey(KEY_SPACE) ? snake_speed >> 1 : snake_speed);
        }
    } while (snake_over());
    flush_keys();
}

#ifndef SHOWCASE
int main(void) {
    snake_run();
    return 0;
}
#endif
