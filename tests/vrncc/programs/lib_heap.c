/* malloc, calloc, realloc and free: blocks that do not overlap, keep their bytes, are reused
 * after free, and NULL once the heap is used up. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

struct node {
    int value;
    struct node *next;
};

static struct node *push(struct node *list, int v)
{
    struct node *n = malloc(sizeof *n);
    if (!n) return list;
    n->value = v;
    n->next = list;
    return n;
}

int main(void)
{
    struct node *list = 0, *n;
    char *a, *b, *c, *big[64];
    int *v, i, count, sum = 0;
    unsigned total;

    for (i = 1; i <= 100; i++) list = push(list, i);
    for (n = list; n; n = n->next) sum += n->value;
    printf("list sum %d\n", sum);
    while (list) {
        n = list->next;
        free(list);
        list = n;
    }

    a = malloc(10);
    b = malloc(10);
    strcpy(a, "first");
    strcpy(b, "second");
    printf("%s %s %s\n", a, b, a + 10 <= b || b + 10 <= a ? "apart" : "OVERLAP");
    free(a);
    c = malloc(8); /* fits the block a gave back */
    printf("reused %s\n", c == a ? "yes" : "no");
    free(c);
    free(b);

    v = calloc(50, sizeof(int));
    for (i = 0, sum = 0; i < 50; i++) sum += v[i];
    printf("calloc zeroed %s\n", sum == 0 ? "yes" : "no");
    for (i = 0; i < 50; i++) v[i] = i * i;
    v = realloc(v, 200 * sizeof(int));
    for (i = 50; i < 200; i++) v[i] = i * i;
    for (i = 0, sum = 0; i < 200; i++) sum += v[i] == i * i;
    printf("realloc kept %d of 200\n", sum);
    free(v);
    printf("realloc(NULL) %s, calloc too big %s\n", (a = realloc(0, 5)) ? "allocates" : "fails",
           calloc(300, 300) ? "allocates" : "fails");
    free(a);
    free(0);

    /* Use the heap up: 1 KiB blocks until NULL, then all of it is usable again. */
    count = 0;
    total = 0;
    while (count < 64 && (big[count] = malloc(1024)) != 0) {
        memset(big[count], count, 1024);
        total += 1024;
        count++;
    }
    printf("1 KiB blocks before NULL: %d (%u bytes)\n", count, total);
    for (i = 0, sum = 0; i < count; i++) sum += big[i][1023] == (char)i;
    printf("blocks intact %d\n", sum);
    for (i = 0; i < count; i += 2) free(big[i]);
    for (i = 1; i < count; i += 2) free(big[i]);
    a = malloc(30000U);
    printf("one block of 30000 after freeing: %s\n", a ? "yes" : "no");
    free(a);
    printf("malloc(40000): %s\n", malloc(40000U) ? "yes" : "NULL");
    return 0;
}
