#ifndef _STDLIB_H
#define _STDLIB_H
#include <stddef.h>
#define RAND_MAX 32767
#define EXIT_SUCCESS 0
#define EXIT_FAILURE 1
typedef struct __div {
    int quot, rem;
} div_t;
typedef struct __ldiv {
    long quot, rem;
} ldiv_t;
typedef struct __lldiv {
    long long quot, rem;
} lldiv_t;
/* Ends the program with status on top of the operand stack, after the atexit functions. */
void exit(int status);
void abort(void);
int atexit(void (*f)(void));
int abs(int n) __syscall(0x8F);
long labs(long n);
div_t div(int a, int b);
ldiv_t ldiv(long a, long b);
long long llabs(long long n);
lldiv_t lldiv(long long a, long long b);
int rand(void) __syscall(0x90);
void srand(unsigned seed) __syscall(0x91, __none);
int atoi(const char* s);
long atol(const char* s);
long strtol(const char* s, char** end, int base);
unsigned long strtoul(const char* s, char** end, int base);
long long atoll(const char* s);
long long strtoll(const char* s, char** end, int base);
unsigned long long strtoull(const char* s, char** end, int base);
/* Correctly rounded; also hexadecimal floats, "inf", "infinity" and "nan". */
double strtod(const char* s, char** end);
double atof(const char* s);
/* The heap is the 32 KiB at 0x8000-0xFFEF; NULL when it is used up. */
void* malloc(size_t n);
void* calloc(size_t count, size_t size);
void* realloc(void* p, size_t n);
void free(void* p);
void qsort(void* base, size_t count, size_t size, int (*cmp)(const void*, const void*));
void* bsearch(const void* key, const void* base, size_t count, size_t size,
              int (*cmp)(const void*, const void*));
#endif
