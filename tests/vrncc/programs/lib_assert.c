/* A failing assert names the expression, file and line and ends the program with status 134;
 * one that holds does nothing. */
#include <assert.h>
#include <stdio.h>

static int calls;

static int count(void) { return ++calls; }

int main(void)
{
    assert(count() == 1);
    printf("first assert held, calls %d\n", calls);
    assert(calls == 2);
    printf("not reached\n");
    return 0;
}
