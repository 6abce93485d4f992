/* The heap: the 32 KiB at 0x8000-0xFFEF, memory no fixed region of the machine uses and the
 * compiler never places data in. Each block starts with its size (2 bytes, header included);
 * a free block also holds the address of the next free one. Free blocks are kept in address
 * order and merged with their neighbours; the block at the top is given back to the unused
 * space. The bookkeeping lives in globals, so a reset starts with an empty heap. The checked
 * mode (-fcheck) has its own allocator, in malloc_check.c. */
#ifndef __VRNCC_CHECK__
#include <stdlib.h>
#include <string.h>

#define HEAP_START ((char *)0x8000)
#define HEAP_END ((char *)0xFFF0)
#define HEADER 2
#define MIN_BLOCK 4

struct __block {
    size_t size;
    struct __block *next;
};

static struct __block *__free_list;
static char *__heap_top; /* first byte never handed out; 0 before the first call */

void *malloc(size_t n)
{
    struct __block **link, *b;
    size_t need;
    if (!__heap_top) __heap_top = HEAP_START;
    if (n > (size_t)(HEAP_END - HEAP_START) - HEADER) return 0;
    need = (n + HEADER + 1) & ~1U;
    if (need < MIN_BLOCK) need = MIN_BLOCK;
    for (link = &__free_list; (b = *link) != 0; link = &b->next) {
        if (b->size < need) continue;
        if (b->size - need >= MIN_BLOCK + 4) {
            struct __block *rest = (struct __block *)((char *)b + need);
            rest->size = b->size - need;
            rest->next = b->next;
            *link = rest;
            b->size = need;
        } else {
            *link = b->next;
        }
        return (char *)b + HEADER;
    }
    if ((size_t)(HEAP_END - __heap_top) < need) return 0;
    b = (struct __block *)__heap_top;
    b->size = need;
    __heap_top += need;
    return (char *)b + HEADER;
}

/* A free block that reaches the top goes back to the unused space; merging keeps it the last. */
static void __trim(void)
{
    struct __block **link = &__free_list;
    if (!*link) return;
    while ((*link)->next) link = &(*link)->next;
    if ((char *)*link + (*link)->size == __heap_top) {
        __heap_top = (char *)*link;
        *link = 0;
    }
}

void free(void *p)
{
    struct __block *b, *prev = 0, *next;
    if (!p) return;
    b = (struct __block *)((char *)p - HEADER);
    /* A block freed already (given back to the unused space, on the free list, or merged into
     * a free neighbour) is left alone: linking it twice would let malloc hand out memory twice
     * and more than the heap holds. The checked mode reports it. */
    if ((char *)b >= __heap_top) return;
    for (next = __free_list; next && next < b; next = next->next) prev = next;
    if (next == b || (prev && (char *)prev + prev->size > (char *)b)) return;
    if (next && (char *)b + b->size == (char *)next) {
        b->size += next->size;
        next = next->next;
    }
    b->next = next;
    if (prev && (char *)prev + prev->size == (char *)b) {
        prev->size += b->size;
        prev->next = b->next;
        b = prev;
    } else if (prev) {
        prev->next = b;
    } else {
        __free_list = b;
    }
    __trim();
}

void *calloc(size_t count, size_t size)
{
    unsigned long total = (unsigned long)count * size;
    void *p;
    if (total > 0xFFFFUL) return 0;
    p = malloc((size_t)total);
    if (p) memset(p, 0, (size_t)total);
    return p;
}

void *realloc(void *p, size_t n)
{
    struct __block *b;
    void *q;
    size_t have;
    if (!p) return malloc(n);
    if (n == 0) {
        free(p);
        return 0;
    }
    b = (struct __block *)((char *)p - HEADER);
    have = b->size - HEADER;
    if (have >= n) return p;
    q = malloc(n);
    if (!q) return 0;
    memcpy(q, p, have);
    free(p);
    return q;
}
#endif
