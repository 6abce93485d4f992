/* A list of nodes on the heap. */
#include <stdlib.h>
#include "list.h"

int pushes;

struct node *push(struct node *head, int value)
{
    struct node *n = malloc(sizeof(struct node));
    pushes = pushes + 1;
    n->value = value;
    n->next = head;
    return n;
}

int sum(struct node *head)
{
    int total = 0;
    while (head) {
        total += head->value;
        head = head->next;
    }
    return total;
}
