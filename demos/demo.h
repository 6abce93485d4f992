#ifndef DEMO_H
#define DEMO_H
/* Names shared by the C demos and the showcase: key codes, type bits and modes of the drawing
   calls. A demo that runs as a screen of the showcase finds what the previous screen left in
   its variables, so every demo sets up its own state when it starts. */
#include <handheld.h>

/* Device key codes. */
#define KEY_ENTER 0x0D
#define KEY_UP 0x14
#define KEY_DOWN 0x15
#define KEY_RIGHT 0x16
#define KEY_LEFT 0x17
#define KEY_ESC 0x1B
#define KEY_SPACE 0x20

/* Type bits: Block, Rectangle and TextOut draw into the LCD with TO_LCD and into the back buffer
   without it. */
#define TO_LCD 0x40
#define BIG 0x80 /* TextOut: the 16-pixel font */

/* Plot modes and raster operations. */
#define M_CLEAR 0
#define M_SET 1
#define M_INVERT 2
#define R_COPY 1
#define R_XOR 5
#define R_INV 8 /* with a raster operation: invert the source first */

/* Drops a key that is pending, so that a key meant for one screen does not act on the next.
   (ReleaseKey would not do: a key still held when its entry is cleared counts as pressed again
   at the next scan.) */
#define flush_keys() ((void)Inkey())

#endif
