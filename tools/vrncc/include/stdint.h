#ifndef _STDINT_H
#define _STDINT_H
/* Exact widths of this target. */
typedef signed char int8_t;
typedef unsigned char uint8_t;
typedef short int16_t;
typedef unsigned short uint16_t;
typedef long int32_t;
typedef unsigned long uint32_t;
typedef long long int64_t;
typedef unsigned long long uint64_t;
typedef int intptr_t;
typedef unsigned uintptr_t;
typedef long long intmax_t;
typedef unsigned long long uintmax_t;
typedef signed char int_least8_t;
typedef unsigned char uint_least8_t;
typedef short int_least16_t;
typedef unsigned short uint_least16_t;
typedef long int_least32_t;
typedef unsigned long uint_least32_t;
typedef long long int_least64_t;
typedef unsigned long long uint_least64_t;
typedef int int_fast8_t;
typedef unsigned uint_fast8_t;
typedef int int_fast16_t;
typedef unsigned uint_fast16_t;
typedef long int_fast32_t;
typedef unsigned long uint_fast32_t;
typedef long long int_fast64_t;
typedef unsigned long long uint_fast64_t;
#define INT8_MIN (-128)
#define INT8_MAX 127
#define UINT8_MAX 255
#define INT16_MIN (-32767 - 1)
#define INT16_MAX 32767
#define UINT16_MAX 65535U
#define INT32_MIN (-2147483647L - 1)
#define INT32_MAX 2147483647L
#define UINT32_MAX 4294967295UL
#define INT64_MIN (-9223372036854775807LL - 1)
#define INT64_MAX 9223372036854775807LL
#define UINT64_MAX 18446744073709551615ULL
#define INTPTR_MIN INT16_MIN
#define INTPTR_MAX INT16_MAX
#define UINTPTR_MAX UINT16_MAX
#define INTMAX_MIN INT64_MIN
#define INTMAX_MAX INT64_MAX
#define UINTMAX_MAX UINT64_MAX
#define SIZE_MAX 65535U
#define INT8_C(v) v
#define INT16_C(v) v
#define INT32_C(v) v##L
#define UINT8_C(v) v
#define UINT16_C(v) v##U
#define UINT32_C(v) v##UL
#define INT64_C(v) v##LL
#define UINT64_C(v) v##ULL
#define INTMAX_C(v) v##LL
#define UINTMAX_C(v) v##ULL
#endif
