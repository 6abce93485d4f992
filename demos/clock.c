/* clock.c: an analogue and digital clock. GetTime gives the date and time, Getms the fraction of
   the second, so the second hand sweeps smoothly. The face is drawn once into the LCD and kept
   with GetBlock; every tenth of a second the back buffer gets the face (WriteBlock), the hands
   and the text, and Refresh shows it. Esc leaves. */
#include "demo.h"
#include "polar.h"

#define CX 39 /* centre of the face */
#define CY 39
#define PL_GBUF 0x40 /* Line: into the back buffer */

/* The record GetTime writes. */
struct clock_time {
    unsigned short year;
    unsigned char month, day, hour, minute, second, weekday;
};

static struct clock_time clock_now;
static unsigned char clock_face_image[800]; /* the face, 80 x 80 pixels */
static char clock_buf[32];
static const char clock_week[] = "日一二三四五六"; /* the weekday names, two bytes each */

/* Draws the face into the LCD and keeps a copy of it. */
static void clock_face(void) {
    int i;
    Block(0, 0, 159, 79, TO_LCD + M_CLEAR);
    Circle(CX, CY, 38, 0, M_SET);
    for (i = 0; i < 12; ++i) { /* a mark every hour, longer at 12, 3, 6 and 9 */
        int r = i % 3 ? 34 : 30;
        Line(POLAR_X(CX, r, i * 30), POLAR_Y(CY, r, i * 30), POLAR_X(CX, 37, i * 30),
             POLAR_Y(CY, 37, i * 30), M_SET);
    }
    Circle(CX, CY, 2, 1, M_SET);
    GetBlock(0, 0, 80, 80, TO_LCD, clock_face_image);
}

/* A hand from the centre of length r at angle a (degrees). */
static void clock_hand(int r, int a) {
    Line(CX, CY, POLAR_X(CX, r, a), POLAR_Y(CY, r, a), PL_GBUF + M_SET);
}

static void clock_draw(void) {
    int ms;
    GetTime(&clock_now);
    ms = Getms(); /* 256ths of the current second */
    ClearScreen();
    WriteBlock(0, 0, 80, 80, R_COPY, clock_face_image);
    /* 30 degrees an hour and half a degree a minute; 6 a minute and one per 10 seconds; 6 a
       second, swept by Getms. */
    clock_hand(20, clock_now.hour % 12 * 30 + (clock_now.minute >> 1));
    clock_hand(30, clock_now.minute * 6 + clock_now.second / 10);
    clock_hand(35, clock_now.second * 6 + (ms * 6 >> 8));

    sprintf(clock_buf, "%d%d:%d%d:%d%d", clock_now.hour / 10, clock_now.hour % 10,
            clock_now.minute / 10, clock_now.minute % 10, clock_now.second / 10,
            clock_now.second % 10);
    TextOut(88, 2, clock_buf, BIG + R_COPY);
    sprintf(clock_buf, "%d-%d%d-%d%d", clock_now.year, clock_now.month / 10, clock_now.month % 10,
            clock_now.day / 10, clock_now.day % 10);
    TextOut(90, 22, clock_buf, R_COPY);
    sprintf(clock_buf, "星期%c%c", clock_week[2 * clock_now.weekday],
            clock_week[2 * clock_now.weekday + 1]);
    TextOut(102, 36, clock_buf, R_COPY);
    sprintf(clock_buf, "Getms %d", ms);
    TextOut(90, 52, clock_buf, R_COPY);
    TextOut(102, 66, "Esc退出", R_COPY);
    Refresh();
}

void clock_run(void) {
    clock_face();
    do {
        clock_draw();
        Delay(100);
    } while (Inkey() != KEY_ESC);
    flush_keys();
}

#ifndef SHOWCASE
int main(void) {
    clock_run();
    return 0;
}
#endif
