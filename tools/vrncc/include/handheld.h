#ifndef _HANDHELD_H
#define _HANDHELD_H
/* The handheld's own system calls. Coordinates, sizes, types and modes use their low 8 bits. */
#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* Device key codes, as getchar, Inkey and GetWord return them and CheckKey, ReleaseKey and
 * PutKey take them. The letter keys give the lower-case letter ('a' to 'z'); the digit keys 1
 * to 9 give the letters "bnmghjtyu" and 0 gives '0'. */
#define KEY_ENTER 0x0D
#define KEY_PAGE_DOWN 0x0E
#define KEY_F6 0x12
#define KEY_PAGE_UP 0x13
#define KEY_UP 0x14
#define KEY_DOWN 0x15
#define KEY_RIGHT 0x16
#define KEY_LEFT 0x17
#define KEY_F5 0x19
#define KEY_SHIFT 0x1A
#define KEY_ESC 0x1B
#define KEY_F1 0x1C
#define KEY_F2 0x1D
#define KEY_F3 0x1E
#define KEY_F4 0x1F
#define KEY_SPACE 0x20
#define KEY_DOT 0x2E
#define KEY_ZERO 0x30
#define KEY_ANY 0x80 /* CheckKey: any key that is down; ReleaseKey: all keys */

/* The type argument of the drawing calls (its low 8 bits). Bit 6 chooses where a call draws,
 * but with opposite senses: Point and Line draw into the back buffer when it is set, Block,
 * Rectangle, FillArea, WriteBlock, TextOut and GetBlock into the LCD. Each sense has its own
 * name, so that a program says where it draws and not which way the bit goes:
 *     Line(0, 0, 159, 79, MODE_SET | LINE_TO_BUFFER);
 *     Block(0, 0, 9, 9, MODE_SET | BLOCK_TO_LCD);
 * Box, Circle and Ellipse always draw into the LCD. */
#define LINE_TO_LCD 0x00     /* Point, Line: bit 6 clear */
#define LINE_TO_BUFFER 0x40  /* Point, Line: bit 6 set */
#define BLOCK_TO_BUFFER 0x00 /* Block, Rectangle, FillArea, WriteBlock, TextOut, GetBlock */
#define BLOCK_TO_LCD 0x40    /* the same calls: bit 6 set */

/* Bits 0-1 of Point, Line, Block, Rectangle, Box, Circle and Ellipse: the plot mode. */
#define MODE_CLEAR 0
#define MODE_SET 1
#define MODE_INVERT 2
#define MODE_NONE 3 /* draws nothing */

/* Bits 0-3 of WriteBlock and TextOut: the raster operation with the source bit s. */
#define RASTER_COPY 1   /* s */
#define RASTER_NOT 2    /* not s */
#define RASTER_OR 3     /* pixel or s */
#define RASTER_AND 4    /* pixel and s */
#define RASTER_XOR 5    /* pixel xor s */
#define RASTER_INVERT 8 /* with an operation: the source inverted first */

/* Bit 5 of WriteBlock and TextOut: mirrored; bit 7 of TextOut: the large (16-pixel) font. */
#define DRAW_MIRROR 0x20
#define TEXT_LARGE 0x80
void SetScreen(int font) __syscall(0x85, __none);
void UpdateLCD(int skipMask) __syscall(0x86, __none);
void Delay(int ms) __syscall(0x87, __none);
void WriteBlock(int x, int y, int width, int height, int type, const void* data)
    __syscall(0x88, __none);
void Refresh(void) __syscall(0x89, __none);
void TextOut(int x, int y, const char* s, int type) __syscall(0x8A, __none);
void Block(int x0, int y0, int x1, int y1, int type) __syscall(0x8B, __none);
void Rectangle(int x0, int y0, int x1, int y1, int type) __syscall(0x8C, __none);
void ClearScreen(void) __syscall(0x8E, __none);
void Locate(int row, int column) __syscall(0x92, __none);
int Inkey(void) __syscall(0x93);
void Point(int x, int y, int type) __syscall(0x94, __none);
int GetPoint(int x, int y) __syscall(0x95);
void Line(int x0, int y0, int x1, int y1, int type) __syscall(0x96, __none);
void Box(int x0, int y0, int x1, int y1, int fill, int type) __syscall(0x97, __none);
void Circle(int x, int y, int r, int fill, int type) __syscall(0x98, __none);
void Ellipse(int x, int y, int a, int b, int fill, int type) __syscall(0x99, __none);
void Beep(void) __syscall(0x9A, __none);
void MakeDir(void) __syscall(0xB9, __none);
void DeleteFile(void) __syscall(0xBA, __none);
int Getms(void) __syscall(0xBB);
int CheckKey(int key) __syscall(0xBC);
unsigned Crc16(const void* data, int length) __syscall(0xBE);
void Secret(void* data, int length, const char* key) __syscall(0xBF, __none);
int ChDir(const char* dir) __syscall(0xC0);
int FileList(char* name) __syscall(0xC1);
void GetTime(void* record) __syscall(0xC2, __none);
void SetTime(const void* record) __syscall(0xC3, __none);
int GetWord(int ignored) __syscall(0xC4);
void XDraw(int mode) __syscall(0xC5, __none);
void ReleaseKey(int key) __syscall(0xC6, __none);
void GetBlock(int x, int y, int width, int height, int type, void* data) __syscall(0xC7, __none);
int Sin(int degrees) __syscall(0xC8);
int Cos(int degrees) __syscall(0xC9);
void FillArea(int x, int y, int type) __syscall(0xCA, __none);
void PutKey(int key) __syscall(0xCB, __none);
#endif
