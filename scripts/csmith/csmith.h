/* The run-time header of Csmith's random programs, written for a 16-bit int: int16_t and
 * uint16_t promote to int and unsigned int, int32_t is long, pointers are 16 bits.
 *
 * Every operation a program does through a safe_* function is defined behaviour on such a
 * target: an operation that would overflow, divide by zero or shift by the promoted width or
 * more gives back its left operand instead. (Helpers written for a 32-bit int would shift an
 * 8-bit value by up to 31 places or multiply two unsigned chars in a signed int, both undefined
 * with a 16-bit int.) Two correct compilers therefore print the same checksum.
 *
 * The header is plain C for both compilers: what the simulator of the second compiler's target
 * needs (its putchar) is linked in from sdcc_z80_io.c. */
#ifndef CSMITH_H
#define CSMITH_H

#include <stdint.h>
#include <stdio.h>

/* main compares argv[1] with "1" to print every variable's hash; the checksum is the result
 * here, and argv is not set up on either target. */
#define strcmp(a, b) 1

/* Signed T of width W bits whose arithmetic happens in a type of PW bits. */
#define CSMITH_SIGNED(T, MIN, MAX, PW)                                                           \
    static T safe_unary_minus_func_##T##_s(T a) {                                                \
        return a == MIN ? a : -a;                                                                \
    }                                                                                            \
    static T safe_add_func_##T##_s_s(T a, T b) {                                                 \
        return ((a > 0 && b > 0 && a > MAX - b) || (a < 0 && b < 0 && a < MIN - b)) ? a : a + b; \
    }                                                                                            \
    static T safe_sub_func_##T##_s_s(T a, T b) {                                                 \
        return ((b > 0 && a < MIN + b) || (b < 0 && a > MAX + b)) ? a : a - b;                   \
    }                                                                                            \
    static T safe_mul_func_##T##_s_s(T a, T b) {                                                 \
        return ((a > 0 && b > 0 && a > MAX / b) || (a > 0 && b <= 0 && b < MIN / a) ||           \
                (a <= 0 && b > 0 && a < MIN / b) || (a < 0 && b < 0 && b < MAX / a))             \
                   ? a                                                                           \
                   : a * b;                                                                      \
    }                                                                                            \
    static T safe_div_func_##T##_s_s(T a, T b) {                                                 \
        return (b == 0 || (a == MIN && b == -1)) ? a : a / b;                                    \
    }                                                                                            \
    static T safe_mod_func_##T##_s_s(T a, T b) {                                                 \
        return (b == 0 || (a == MIN && b == -1)) ? a : a % b;                                    \
    }                                                                                            \
    static T safe_lshift_func_##T##_s_s(T a, long b) {                                           \
        return (a < 0 || b < 0 || b >= PW || a > (MAX >> b)) ? a : a << b;                       \
    }                                                                                            \
    static T safe_lshift_func_##T##_s_u(T a, unsigned long b) {                                  \
        return (a < 0 || b >= PW || a > (MAX >> b)) ? a : a << b;                                \
    }                                                                                            \
    static T safe_rshift_func_##T##_s_s(T a, long b) {                                           \
        return (a < 0 || b < 0 || b >= PW) ? a : a >> b;                                         \
    }                                                                                            \
    static T safe_rshift_func_##T##_s_u(T a, unsigned long b) {                                  \
        return (a < 0 || b >= PW) ? a : a >> b;                                                  \
    }

/* Unsigned T whose arithmetic is done in the unsigned type U of PW bits (an unsigned char
 * would promote to a signed int, where 255 * 255 overflows). */
#define CSMITH_UNSIGNED(T, U, PW)                               \
    static T safe_unary_minus_func_##T##_u(T a) {               \
        return (T)(0 - (U)a);                                   \
    }                                                           \
    static T safe_add_func_##T##_u_u(T a, T b) {                \
        return (T)((U)a + b);                                   \
    }                                                           \
    static T safe_sub_func_##T##_u_u(T a, T b) {                \
        return (T)((U)a - b);                                   \
    }                                                           \
    static T safe_mul_func_##T##_u_u(T a, T b) {                \
        return (T)((U)a * b);                                   \
    }                                                           \
    static T safe_div_func_##T##_u_u(T a, T b) {                \
        return b == 0 ? a : a / b;                              \
    }                                                           \
    static T safe_mod_func_##T##_u_u(T a, T b) {                \
        return b == 0 ? a : a % b;                              \
    }                                                           \
    static T safe_lshift_func_##T##_u_s(T a, long b) {          \
        return (b < 0 || b >= PW) ? a : (T)((U)a << b);         \
    }                                                           \
    static T safe_lshift_func_##T##_u_u(T a, unsigned long b) { \
        return b >= PW ? a : (T)((U)a << b);                    \
    }                                                           \
    static T safe_rshift_func_##T##_u_s(T a, long b) {          \
        return (b < 0 || b >= PW) ? a : a >> b;                 \
    }                                                           \
    static T safe_rshift_func_##T##_u_u(T a, unsigned long b) { \
        return b >= PW ? a : a >> b;                            \
    }

CSMITH_SIGNED(int8_t, INT8_MIN, INT8_MAX, 16)
CSMITH_SIGNED(int16_t, INT16_MIN, INT16_MAX, 16)
CSMITH_SIGNED(int32_t, INT32_MIN, INT32_MAX, 32)
CSMITH_SIGNED(int64_t, INT64_MIN, INT64_MAX, 64)
CSMITH_UNSIGNED(uint8_t, unsigned int, 16)
CSMITH_UNSIGNED(uint16_t, unsigned int, 16)
CSMITH_UNSIGNED(uint32_t, uint32_t, 32)
CSMITH_UNSIGNED(uint64_t, uint64_t, 64)

/* The checksum: CRC-32 (reflected, polynomial 0xEDB88320) over each value's 8 bytes, least
 * significant first. */
static uint32_t crc32_tab[256];
static uint32_t crc32_context = 0xFFFFFFFFUL;

static void crc32_gentab(void) {
    uint32_t crc;
    int i, j;
    for (i = 0; i < 256; i++) {
        crc = (uint32_t)i;
        for (j = 8; j > 0; j--) crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320UL : crc >> 1;
        crc32_tab[i] = crc;
    }
}

static void crc32_byte(uint8_t b) {
    crc32_context = ((crc32_context >> 8) & 0x00FFFFFFUL) ^ crc32_tab[(crc32_context ^ b) & 0xFF];
}

static void transparent_crc(uint64_t val, char* vname, int flag) {
    int i;
    for (i = 0; i < 8; i++) crc32_byte((uint8_t)(val >> (8 * i)));
    if (flag) printf("...checksum after hashing %s : %lX\n", vname, crc32_context ^ 0xFFFFFFFFUL);
}

static void transparent_crc_bytes(char* ptr, int nbytes, char* vname, int flag) {
    int i;
    for (i = 0; i < nbytes; i++) crc32_byte((uint8_t)ptr[i]);
    if (flag) printf("...checksum after hashing %s : %lX\n", vname, crc32_context ^ 0xFFFFFFFFUL);
}

static void platform_main_begin(void) {}

static void platform_main_end(uint32_t crc, int flag) {
    (void)flag;
    printf("checksum = %lX\n", (unsigned long)crc);
}

#endif
