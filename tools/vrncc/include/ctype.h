#ifndef _CTYPE_H
#define _CTYPE_H
/* Members answer -1, others 0; only the ASCII range has classes. */
int isalnum(int c) __syscall(0x9B);
int isalpha(int c) __syscall(0x9C);
int iscntrl(int c) __syscall(0x9D);
int isdigit(int c) __syscall(0x9E);
int isgraph(int c) __syscall(0x9F);
int islower(int c) __syscall(0xA0);
int isprint(int c) __syscall(0xA1);
int ispunct(int c) __syscall(0xA2);
int isspace(int c) __syscall(0xA3);
int isupper(int c) __syscall(0xA4);
int isxdigit(int c) __syscall(0xA5);
int tolower(int c) __syscall(0xAA);
int toupper(int c) __syscall(0xAB);
#endif
