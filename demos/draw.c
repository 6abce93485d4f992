/* draw.c: the drawing demo. Five pages; an animated page runs until a key is pressed, a still
   one waits for a key; Esc leaves:
     1. every primitive in the modes set, clear and invert, straight into the LCD;
     2. a radar drawn into the back buffer and shown with Refresh;
     3. XDraw: a wave scrolling left and right, then a picture mirrored and flipped;
     4. sprites: a fish drawn, taken with GetBlock and swimming with WriteBlock (mirrored when it
        swims left), and a ship from data;
     5. FillArea filling outlines. */
#include "demo.h"
#include "polar.h"

#define PL_GBUF 0x40 /* Point and Line: into the back buffer */
#define MIRROR 0x20
#define R_OR 3

/* A 16 x 16 block image from data: two bytes a row, the leftmost pixel in the high bit. */
static const unsigned char draw_ship[32] = {
    0x01, 0x80, 0x03, 0xC0, 0x03, 0xC0, 0x07, 0xE0, 0x06, 0x60, 0x0E, 0x70, 0x1F,
    0xF8, 0x3F, 0xFC, 0x7F, 0xFE, 0xFF, 0xFF, 0xF3, 0xCF, 0xE1, 0x87, 0xC0, 0x03,
};
static unsigned char draw_fish[32];                          /* taken with GetBlock */
static int draw_fx[3], draw_fy[3], draw_fdx[3], draw_fdy[3]; /* three fish */
static long draw_t;                                          /* frame counter of an animation */
static int draw_a;                                           /* the radar's angle in degrees */

/* Ends a frame of an animated page: a short pause, then the key that came, if any. */
static int draw_next(void) {
    Delay(40);
    return Inkey();
}

/* Every primitive once, in the LCD, in a column 52 pixels wide at x, with the plot mode `mode`. */
static void draw_column(int x, int mode) {
    int i;
    for (i = 0; i < 9; ++i) Point(x + 4 + 5 * i, 16, mode); /* a row of dots */
    Line(x + 2, 20, x + 48, 31, mode);
    Box(x + 2, 35, x + 18, 47, 0, mode); /* outlined and filled */
    Box(x + 22, 35, x + 48, 47, 1, mode);
    Circle(x + 10, 62, 8, 0, mode); /* outlined, with a filled one inside */
    Circle(x + 10, 62, 4, 1, mode);
    Ellipse(x + 35, 56, 8, 3, 1, mode); /* filled, with an outlined one around it */
    Ellipse(x + 35, 56, 13, 6, 0, mode);
    Block(x + 22, 66, x + 31, 78, mode + TO_LCD);
    Rectangle(x + 35, 66, x + 48, 78, mode + TO_LCD);
}

/* Page 1: the same primitives in three columns, drawn with the modes set, clear and invert. The
   clear column stands on a dark background and the invert column on a half-dark one, so that
   each mode shows. */
static void draw_shapes(void) {
    Block(0, 0, 159, 79, TO_LCD + M_CLEAR);
    TextOut(14, 0, "置位", TO_LCD + R_COPY);
    TextOut(68, 0, "清除", TO_LCD + R_COPY);
    TextOut(122, 0, "反色", TO_LCD + R_COPY);
    Block(54, 13, 105, 79, TO_LCD + M_SET);
    Block(134, 13, 159, 79, TO_LCD + M_SET);
    draw_column(0, M_SET);
    draw_column(54, M_CLEAR);
    draw_column(108, M_INVERT);
}

/* Page 2: one frame of the radar, drawn in the back buffer and shown at once. */
static void draw_radar(void) {
    int i;
    ClearScreen();
    TextOut(0, 0, "后台缓冲", R_COPY);
    TextOut(0, 68, "Refresh", R_COPY);
    for (i = 0; i < 60; ++i) /* the rim: 60 chords of 6 degrees (Circle draws only on the LCD) */
        Line(POLAR_X(100, 36, 6 * i), POLAR_Y(42, 36, 6 * i), POLAR_X(100, 36, 6 * i + 6),
             POLAR_Y(42, 36, 6 * i + 6), PL_GBUF + M_SET);
    Line(66, 42, 134, 42, PL_GBUF + M_SET); /* the crosshair ends inside the rim */
    Line(100, 8, 100, 76, PL_GBUF + M_SET);
    Rectangle(0, 14, 50, 62, M_SET); /* a target blinks in a frame on the left */
    if (draw_a % 60 < 30) Block(20, 33, 30, 43, M_SET);
    Point(8, 20, PL_GBUF + M_SET);
    Point(40, 24, PL_GBUF + M_SET);
    Point(14, 52, PL_GBUF + M_SET);
    Point(44, 56, PL_GBUF + M_SET);
    for (i = 0; i < 4; ++i) { /* the beam and its trail */
        int a = draw_a - 4 * i + 360;
        Line(100, 42, POLAR_X(100, 34, a), POLAR_Y(42, 34, a), PL_GBUF + M_SET);
    }
    Refresh();
    draw_a = (draw_a + 6) % 360;
}

/* Page 3, first half: a wave enters at one edge while XDraw shifts the picture one pixel. */
static void draw_wave(void) {
    int x;
    if (draw_t % 320 < 160) {
        XDraw(0); /* shift left, new points at the right edge */
        x = 159;
    } else {
        XDraw(1); /* shift right, new points at the left edge */
        x = 0;
    }
    Point(x, Sin((int)(draw_t * 9 % 360)) * 24 / 1024 + 46, PL_GBUF + M_SET);
    Point(x, Cos((int)(draw_t * 4 % 360)) * 12 / 1024 + 46, PL_GBUF + M_SET);
    Block(0, 0, 159, 12, M_CLEAR);
    TextOut(0, 0, "XDraw 0 左移 / 1 右移", R_COPY);
    Refresh();
    ++draw_t;
}

/* Page 3, second half: a picture that XDraw mirrors and flips in turn. */
static void draw_flip_setup(void) {
    ClearScreen();
    TextOut(0, 0, "XDraw 4 镜像 5 翻转", R_COPY);
    TextOut(8, 20, "左上", BIG + R_COPY);
    Line(8, 40, 60, 40, PL_GBUF + M_SET);
    Line(60, 40, 50, 34, PL_GBUF + M_SET);
    Line(60, 40, 50, 46, PL_GBUF + M_SET);
    Block(8, 52, 30, 74, M_SET);
    Rectangle(34, 52, 56, 74, M_SET);
    Refresh();
    draw_t = 0;
}

static void draw_flip(void) {
    if (++draw_t % 25) return;
    XDraw(draw_t / 25 & 1 ? 4 : 5); /* every 25 frames: mirror, flip, mirror, flip... */
    Refresh();
}

/* Page 4, set-up: the fish is drawn into the LCD and taken from there with GetBlock. */
static void draw_sprites_setup(void) {
    static const int start[4][3] = {{10, 60, 110}, {20, 44, 30}, {2, -3, 1}, {1, -1, 2}};
    int i;
    Block(0, 0, 159, 79, TO_LCD + M_CLEAR);
    Ellipse(8, 7, 5, 4, 1, M_SET); /* body, facing right */
    Line(0, 3, 2, 7, M_SET);       /* tail */
    Line(0, 11, 2, 7, M_SET);
    Line(0, 3, 0, 11, M_SET);
    Point(10, 6, M_CLEAR); /* eye */
    GetBlock(0, 0, 16, 16, TO_LCD, draw_fish);
    for (i = 0; i < 3; ++i) {
        draw_fx[i] = start[0][i];
        draw_fy[i] = start[1][i];
        draw_fdx[i] = start[2][i];
        draw_fdy[i] = start[3][i];
    }
    draw_t = 0;
}

/* Page 4: one frame of three fish and a ship over a grid. */
static void draw_swim(void) {
    int i;
    ClearScreen();
    for (i = 0; i < 160; i += 20) Line(i, 13, i, 79, PL_GBUF + M_SET); /* every 20 pixels */
    TextOut(0, 0, "GetBlock/WriteBlock", R_COPY);
    Line(0, 13, 159, 13, PL_GBUF + M_SET);
    for (i = 0; i < 3; ++i) { /* bouncing at the edges */
        draw_fx[i] += draw_fdx[i];
        if (draw_fx[i] < 1 || draw_fx[i] > 142) draw_fdx[i] = -draw_fdx[i];
        draw_fy[i] += draw_fdy[i];
        if (draw_fy[i] < 16 || draw_fy[i] > 62) draw_fdy[i] = -draw_fdy[i];
        /* xor over the grid; mirrored while swimming left */
        WriteBlock(draw_fx[i], draw_fy[i], 16, 16, draw_fdx[i] < 0 ? R_XOR | MIRROR : R_XOR,
                   draw_fish);
    }
    /* the ship rises and sinks on the right */
    WriteBlock(144, abs((int)(draw_t % 64) - 32) + 16, 16, 16, R_OR, draw_ship);
    Refresh();
    ++draw_t;
}

/* Page 5: outlines in the LCD, then filled one after the other with FillArea. */
static void draw_fill(void) {
    Block(0, 0, 159, 79, TO_LCD + M_CLEAR);
    TextOut(0, 0, "FillArea 填充", TO_LCD + R_COPY);
    Rectangle(4, 16, 48, 76, TO_LCD + M_SET);
    Line(4, 16, 48, 76, M_SET);
    Circle(80, 46, 28, 0, M_SET);
    Line(112, 76, 135, 16, M_SET);
    Line(135, 16, 158, 76, M_SET);
    Line(112, 76, 158, 76, M_SET);
    Delay(400);
    FillArea(40, 70, TO_LCD); /* the lower half of the split rectangle */
    Delay(400);
    FillArea(80, 46, TO_LCD);
    Delay(400);
    FillArea(135, 60, TO_LCD);
    /* a hole wide enough for the label's two characters; or-mode glyphs leave the ring around
       them whole */
    Circle(80, 46, 15, 1, M_CLEAR);
    TextOut(68, 40, "填满", TO_LCD + R_OR);
}

/* Each page; false when Esc leaves. An animated page runs until a key comes. */
static int draw_pages(void) {
    int key;
    draw_shapes();
    if (getchar() == KEY_ESC) return 0;
    draw_a = 0;
    do draw_radar();
    while (!(key = draw_next()));
    if (key == KEY_ESC) return 0;
    draw_t = 0;
    ClearScreen();
    do draw_wave();
    while (!(key = draw_next()));
    if (key == KEY_ESC) return 0;
    draw_flip_setup();
    do draw_flip();
    while (!(key = draw_next()));
    if (key == KEY_ESC) return 0;
    draw_sprites_setup();
    do draw_swim();
    while (!(key = draw_next()));
    if (key == KEY_ESC) return 0;
    draw_fill();
    return getchar() != KEY_ESC;
}

void draw_run(void) {
    while (draw_pages()) {
    }
    flush_keys();
}

#ifndef SHOWCASE
int main(void) {
    draw_run();
    return 0;
}
#endif
