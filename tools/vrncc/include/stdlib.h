#ifndef _STDLIB_H
#define _STDLIB_H
#include <stddef.h>
#define RAND_MAX 32767
#define EXIT_SUCCESS 0
#define EXIT_FAILURE 1
/* Ends the program with status on top of the operand stack. */
void exit(int status) __syscall(0x8D, __none);
int abs(int n) __syscall(0x8F);
int rand(void) __syscall(0x90);
void srand(unsigned seed) __syscall(0x91, __none);
long labs(long n);
int atoi(const char* s);
long atol(const char* s);
long strtol(const char* s, char** end, int base);
#endif
