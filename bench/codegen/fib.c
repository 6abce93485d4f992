/* Calls and frames: the doubly recursive Fibonacci number of 18. */
static int fib(int n)
{
    if (n < 2) return n;
    return fib(n - 1) + fib(n - 2);
}

int main(void)
{
    return fib(18) % 251;
}
