#ifndef _STRING_H
#define _STRING_H
#include <stddef.h>
char* strcpy(char* d, const char* s) __syscall(0x83, __firstarg);
size_t strlen(const char* s) __syscall(0x84);
char* strcat(char* d, const char* s) __syscall(0xA6, __firstarg);
char* strchr(const char* s, int c) __syscall(0xA7);
int strcmp(const char* a, const char* b) __syscall(0xA8);
char* strstr(const char* s, const char* pattern) __syscall(0xA9);
void* memset(void* d, int c, size_t n) __syscall(0xAC, __firstarg);
void* memcpy(void* d, const void* s, size_t n) __syscall(0xAD, __firstarg);
void* memmove(void* d, const void* s, size_t n) __syscall(0xBD, __firstarg);
char* strncpy(char* d, const char* s, size_t n);
int strncmp(const char* a, const char* b, size_t n);
char* strrchr(const char* s, int c);
void* memchr(const void* s, int c, size_t n);
int memcmp(const void* a, const void* b, size_t n);
char* strncat(char* d, const char* s, size_t n);
#endif
