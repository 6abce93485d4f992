/* Builds a list, adds it up and divides by a count that is zero: the program faults. */
#include "list.h"

char name[8] = "corvane";
unsigned char bytes[4] = {1, 0, 255, 7};
long big = 100000;
int zero;

int average(int total, int n)
{
    return total / n;
}

int main(void)
{
    struct node *head = 0;
    int i;
    int total;
    for (i = 1; i <= 3; i++)
        head = push(head, i * 10);
    total = sum(head);
    big = big + total;
    return average(total, zero);
}
