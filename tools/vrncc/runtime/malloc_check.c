/* The heap of the checked mode (vrncc -fcheck): the allocator of malloc.c with every block
 * checked. Each block is [size | 1 when in use][the size asked for][the bytes asked for][guard
 * bytes to the block's end, at least 2]; a free block is [size][next free block][check word]
 * and is kept in the address-ordered free list as in malloc.c. free and realloc check the
 * block's guard and header; malloc checks every free block it walks. A failed check ends the
 * program with the trap that names it, at the call of malloc, free or realloc (two frames below
 * the trap: the public function and __heap_fail). */
#ifdef __VRNCC_CHECK__
#include <stdlib.h>
#include <string.h>

#define HEAP_START ((char *)0x8000)
#define HEAP_END ((char *)0xFFF0)
#define HEADER 4
#define GUARD 2
#define MIN_BLOCK 6
#define IN_USE 1U
#define GUARD_BYTE 0xFD
#define FREE_CHECK 0xF4EEU

/* The checks of shared/debuginfo/check_trap.h, two frames below the failing call. */
#define TRAP_MARK 0x4B430200L
#define HEAP_OVERFLOW_FREE 5
#define HEAP_OVERFLOW_MALLOC 6
#define HEAP_OVERFLOW_REALLOC 7
#define DOUBLE_FREE 8
#define FREE_NOT_HEAP 9
#define REALLOC_NOT_HEAP 10
#define REALLOC_FREED 11

void __check_trap(long mark) __syscall(0xFE, __none);

struct __cblock {
    size_t size;
    size_t asked; /* a free block: the next free block */
    size_t check; /* a free block: size ^ next ^ FREE_CHECK */
};

static struct __cblock *__cfree_list;
static char *__cheap_top; /* first byte never handed out; 0 before the first call */

static void __heap_fail(int check) { __check_trap(TRAP_MARK | check); }

static int __free_block_ok(struct __cblock *b)
{
    char *next = (char *)b->asked;
    return !(b->size & IN_USE) && b->size >= MIN_BLOCK &&
           b->size <= (size_t)(__cheap_top - (char *)b) &&
           (next == 0 || (next >= (char *)b + b->size && next < __cheap_top)) &&
           b->check == (b->size ^ b->asked ^ FREE_CHECK);
}

static void __set_free(struct __cblock *b, size_t size, struct __cblock *next)
{
    b->size = size;
    b->asked = (size_t)next;
    b->check = size ^ (size_t)next ^ FREE_CHECK;
}

/* Marks b in use for n bytes and lays the guard from the end of those to the block's end. */
static void *__hand_out(struct __cblock *b, size_t size, size_t n)
{
    b->size = size | IN_USE;
    b->asked = n;
    memset((char *)b + HEADER + n, GUARD_BYTE, size - HEADER - n);
    return (char *)b + HEADER;
}

/* A block for n bytes, or 0 when the heap has no room (*fail 0) or a free block was found
 * damaged (*fail the check). */
static void *__alloc(size_t n, int *fail)
{
    struct __cblock **link, *b;
    size_t need;
    *fail = 0;
    if (!__cheap_top) __cheap_top = HEAP_START;
    if (n > (size_t)(HEAP_END - HEAP_START) - HEADER - GUARD) return 0;
    need = (n + HEADER + GUARD + 1) & ~1U;
    for (link = &__cfree_list; (b = *link) != 0; link = (struct __cblock **)&b->asked) {
        if (!__free_block_ok(b)) {
            *fail = HEAP_OVERFLOW_MALLOC;
            return 0;
        }
        if (b->size < need) continue;
        if (b->size - need >= MIN_BLOCK) {
            struct __cblock *rest = (struct __cblock *)((char *)b + need);
            __set_free(rest, b->size - need, (struct __cblock *)b->asked);
            *link = rest;
            return __hand_out(b, need, n);
        }
        *link = (struct __cblock *)b->asked;
        return __hand_out(b, b->size, n);
    }
    if ((size_t)(HEAP_END - __cheap_top) < need) return 0;
    b = (struct __cblock *)__cheap_top;
    __cheap_top += need;
    return __hand_out(b, need, n);
}

/* Why the block of p cannot be freed, found by walking the heap from its start: a block whose
 * header is broken at or before p's is an overflow; p inside a free block is freed already;
 * otherwise p is not one malloc returned. */
static int __diagnose(char *p, int overflow, int freed, int not_heap)
{
    char *b = HEAP_START, *want = p - HEADER;
    struct __cblock *f;
    if (p < HEAP_START + HEADER || p > __cheap_top) return not_heap;
    for (f = __cfree_list; f; f = (struct __cblock *)f->asked) {
        if (!__free_block_ok(f)) break;
        if ((char *)f <= want && want < (char *)f + f->size) return freed;
    }
    while (b < __cheap_top && b <= want) {
        size_t size = ((struct __cblock *)b)->size & ~IN_USE;
        if (size < MIN_BLOCK || size > (size_t)(__cheap_top - b)) return overflow;
        if (b == want) return overflow; /* its header passed the walk but not the checks */
        b += size;
    }
    return not_heap;
}

/* 0 when p is a block in use with its header and guard intact, else the check it fails. A
 * block above the heap's top was given back to the unused space when it was freed: its header
 * still says so, unless the space was used again. */
static int __check_block(char *p, int overflow, int freed, int not_heap)
{
    struct __cblock *b = (struct __cblock *)(p - HEADER);
    size_t size, i;
    if (p < HEAP_START + HEADER || p >= HEAP_END || ((size_t)p & 1)) return not_heap;
    if (p >= __cheap_top)
        return !(b->size & IN_USE) && b->size >= MIN_BLOCK &&
                       b->check == (b->size ^ b->asked ^ FREE_CHECK)
                   ? freed
                   : not_heap;
    size = b->size & ~IN_USE;
    if (!(b->size & IN_USE) || size < MIN_BLOCK || size > (size_t)(__cheap_top - (char *)b) ||
        b->asked > size - HEADER - GUARD)
        return __diagnose(p, overflow, freed, not_heap);
    for (i = HEADER + b->asked; i < size; i++)
        if (((unsigned char *)b)[i] != GUARD_BYTE) return overflow;
    return 0;
}

/* A free block that reaches the top goes back to the unused space; merging keeps it the last. */
static void __ctrim(void)
{
    struct __cblock **link = &__cfree_list;
    if (!*link) return;
    while ((*link)->asked) link = (struct __cblock **)&(*link)->asked;
    if ((char *)*link + (*link)->size == __cheap_top) {
        __cheap_top = (char *)*link;
        *link = 0;
    }
}

/* Puts the checked block of p into the free list, merged with its free neighbours. */
static void __release(char *p)
{
    struct __cblock *b = (struct __cblock *)(p - HEADER), *prev = 0, *next;
    size_t size = b->size & ~IN_USE;
    for (next = __cfree_list; next && next < b; next = (struct __cblock *)next->asked) prev = next;
    if (next && (char *)b + size == (char *)next) {
        size += next->size;
        next = (struct __cblock *)next->asked;
    }
    __set_free(b, size, next);
    if (prev && (char *)prev + prev->size == (char *)b) {
        __set_free(prev, prev->size + size, next);
    } else if (prev) {
        __set_free(prev, prev->size, b);
    } else {
        __cfree_list = b;
    }
    __ctrim();
}

void *malloc(size_t n)
{
    int fail;
    void *p = __alloc(n, &fail);
    if (fail) __heap_fail(fail);
    return p;
}

void free(void *p)
{
    int fail;
    if (!p) return;
    fail = __check_block((char *)p, HEAP_OVERFLOW_FREE, DOUBLE_FREE, FREE_NOT_HEAP);
    if (fail) __heap_fail(fail);
    __release((char *)p);
}

void *calloc(size_t count, size_t size)
{
    unsigned long total = (unsigned long)count * size;
    int fail;
    void *p;
    if (total > 0xFFFFUL) return 0;
    p = __alloc((size_t)total, &fail);
    if (fail) __heap_fail(fail);
    if (p) memset(p, 0, (size_t)total);
    return p;
}

void *realloc(void *p, size_t n)
{
    struct __cblock *b;
    void *q;
    size_t size;
    int fail;
    if (!p) {
        q = __alloc(n, &fail);
        if (fail) __heap_fail(fail);
        return q;
    }
    fail = __check_block((char *)p, HEAP_OVERFLOW_REALLOC, REALLOC_FREED, REALLOC_NOT_HEAP);
    if (fail) __heap_fail(fail);
    if (n == 0) {
        __release((char *)p);
        return 0;
    }
    b = (struct __cblock *)((char *)p - HEADER);
    size = b->size & ~IN_USE;
    if (n <= size - HEADER - GUARD) {
        __hand_out(b, size, n);
        return p;
    }
    q = __alloc(n, &fail);
    if (fail) __heap_fail(fail);
    if (!q) return 0;
    memcpy(q, p, b->asked);
    __release((char *)p);
    return q;
}
#endif
