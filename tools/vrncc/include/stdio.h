#ifndef _STDIO_H
#define _STDIO_H
#include <stdarg.h>
#include <stddef.h>
/* A file is the handle of one of the machine's three file slots; stdout and stderr name the
 * console, stdin the keyboard. */
typedef int FILE;
#define stdin ((FILE*)1)
#define stdout ((FILE*)2)
#define stderr ((FILE*)3)
#define EOF (-1)
#define SEEK_SET 0
#define SEEK_CUR 1
#define SEEK_END 2
int putchar(int c) __syscall(0x80, __none);
int getchar(void) __syscall(0x81);
/* The C conversions with flags, widths, precisions and the h and l sizes. */
int printf(const char* format, ...);
int sprintf(char* s, const char* format, ...);
int snprintf(char* s, size_t n, const char* format, ...);
int fprintf(FILE* f, const char* format, ...);
int vprintf(const char* format, va_list ap);
int vsprintf(char* s, const char* format, va_list ap);
int vsnprintf(char* s, size_t n, const char* format, va_list ap);
int vfprintf(FILE* f, const char* format, va_list ap);
FILE* fopen(const char* name, const char* mode) __syscall(0xAE);
int fclose(FILE* f) __syscall(0xAF, __none);
/* size x count bytes; the result is the number of whole elements moved. */
size_t fread(void* buffer, size_t size, size_t count, FILE* f);
size_t fwrite(const void* buffer, size_t size, size_t count, FILE* f);
int fseek(FILE* f, long offset, int origin);
long ftell(FILE* f) __syscall(0xB3);
int feof(FILE* f) __syscall(0xB4);
void rewind(FILE* f);
int getc(FILE* f);
int fgetc(FILE* f);
/* One byte per stream can be pushed back; fseek and rewind drop it. feof is the machine's: it
 * does not see a byte pushed back at the end of a file. */
int ungetc(int c, FILE* f);
/* Up to n - 1 bytes and the end of the line; from stdin, Enter ends the line (stored as '\n'). */
char* fgets(char* s, int n, FILE* f);
int putc(int c, FILE* f);
int fputc(int c, FILE* f);
int puts(const char* s);
int fputs(const char* s, FILE* f);
int fflush(FILE* f);
#endif
