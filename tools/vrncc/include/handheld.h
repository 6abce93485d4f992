#ifndef _HANDHELD_H
#define _HANDHELD_H
/* The handheld's own system calls. Coordinates, sizes, types and modes use their low 8 bits. */
#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
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
