#ifndef _STDDEF_H
#define _STDDEF_H
#define NULL ((void*)0)
typedef unsigned int size_t;
typedef int ptrdiff_t;
typedef unsigned short wchar_t; /* L'x' and the units of L"..." */
#define offsetof(type, member) ((size_t) & ((type*)0)->member)
#endif
