/* setjmp and longjmp: the values setjmp returns, locals kept across the jump, jumps out of deep
 * recursion with operands pending on both sides, two buffers, and many jumps in a row (a jump
 * that left the frame stack or the operand stack higher each time would run out of either). */
#include <setjmp.h>
#include <stdio.h>

static jmp_buf outer, inner;
static int calls;

static int fail_at(int n, int value)
{
    calls++;
    if (n == 0) longjmp(inner, value);
    return 10 + fail_at(n - 1, value); /* 10 is pending when the jump passes */
}

static int guarded(int n, int value)
{
    volatile int tries = 0;
    int r = setjmp(inner);
    tries++;
    if (r) return r * 100 + tries;
    return 1 + 2 * fail_at(n, value);
}

static void nested(int depth)
{
    if (setjmp(inner) == 0) {
        if (depth > 0) {
            nested(depth - 1);
        } else {
            longjmp(outer, 7);
        }
    }
    printf("not reached %d\n", depth);
}

int main(void)
{
    static const int values[] = {5, 0, -1, 300};
    long total = 0;
    int i, r;
    for (i = 0; i < 4; i++)
        printf("value %d: %d\n", values[i], 1000 + guarded(i * 3, values[i]));
    r = setjmp(outer);
    printf("outer %d\n", r);
    if (r == 0) nested(4);
    switch (setjmp(outer)) {
    case 0: longjmp(outer, 2); break;
    case 2: printf("switch 2\n"); break;
    default: printf("switch other\n"); break;
    }
    for (i = 0; i < 300; i++) total += guarded(i % 7, i);
    printf("total %ld calls %d\n", total, calls);
    return 0;
}
