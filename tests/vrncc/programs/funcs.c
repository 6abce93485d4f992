/* Function pointers: typedefs, parameters, struct members, explicit (*f)() calls, comparisons,
   a dispatch table with more entries than a few, and mutual recursion. */
#include <stdio.h>

typedef int (*binop)(int, int);

int add(int a, int b) { return a + b; }
int sub(int a, int b) { return a - b; }
int mul(int a, int b) { return a * b; }
int quo(int a, int b) { return a / b; }
int rem(int a, int b) { return a % b; }
int max(int a, int b) { return a > b ? a : b; }
int min(int a, int b) { return a < b ? a : b; }

struct entry { const char *name; binop f; };
struct entry table[] = {{"add", add}, {"sub", sub}, {"mul", mul}, {"quo", quo},
                        {"rem", rem}, {"max", max}, {"min", min}};

int isEven(int n);
int isOdd(int n) { return n == 0 ? 0 : isEven(n - 1); }
int isEven(int n) { return n == 0 ? 1 : isOdd(n - 1); }

int fold(binop f, const int *v, int n)
{
    int acc = v[0], i;
    for (i = 1; i < n; i++) acc = (*f)(acc, v[i]);
    return acc;
}

binop pick(int i) { return table[i].f; }

int main(void)
{
    int v[4] = {12, 5, 3, 2};
    int i;
    binop f = 0;
    for (i = 0; i < 7; i++) printf("%s=%d ", table[i].name, table[i].f(17, 5));
    printf("\n");
    printf("%d %d %d\n", fold(add, v, 4), fold(sub, v, 4), fold(max, v, 4));
    printf("%d %d\n", pick(2)(6, 7), f == 0);
    f = mul;
    printf("%d %d %d\n", f == mul, f != add, f(3, 3));
    printf("%d %d\n", isEven(10), isOdd(7));
    return 0;
}
