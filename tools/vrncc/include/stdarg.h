#ifndef _STDARG_H
#define _STDARG_H
/* Every variable argument occupies a 4-byte slot in the caller's frame. */
typedef char* va_list;
#define va_start(ap, last) __builtin_va_start(ap, last)
#define va_arg(ap, type) __builtin_va_arg(ap, type)
#define va_end(ap) __builtin_va_end(ap)
#endif
