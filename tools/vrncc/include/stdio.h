#ifndef _STDIO_H
#define _STDIO_H
#include <stddef.h>
/* A file is the handle of one of the machine's three file slots. */
typedef int FILE;
#define EOF (-1)
#define SEEK_SET 0
#define SEEK_CUR 1
#define SEEK_END 2
int putchar(int c) __syscall(0x80, __none);
int getchar(void) __syscall(0x81);
/* Conversions: %d %c %s %%, no widths or length modifiers. */
int printf(const char* format, ...) __syscall(0x82, __counted);
int sprintf(char* s, const char* format, ...) __syscall(0xB8, __counted);
FILE* fopen(const char* name, const char* mode) __syscall(0xAE);
int fclose(FILE* f) __syscall(0xAF, __none);
int fread(void* buffer, int size, int count, FILE* f) __syscall(0xB0);
int fwrite(const void* buffer, int size, int count, FILE* f) __syscall(0xB1);
int fseek(FILE* f, long offset, int origin) __syscall(0xB2);
long ftell(FILE* f) __syscall(0xB3);
int feof(FILE* f) __syscall(0xB4);
void rewind(FILE* f) __syscall(0xB5, __none);
int getc(FILE* f) __syscall(0xB6);
int fgetc(FILE* f) __syscall(0xB6);
int putc(int c, FILE* f) __syscall(0xB7);
int fputc(int c, FILE* f) __syscall(0xB7);
int puts(const char* s);
int fputs(const char* s, FILE* f);
#endif
