/* Declarations: typedef, enum, static locals, block scope, old-style definitions, globals with
   initialisers, string literals kept for the whole run. */
#include <stdio.h>

typedef unsigned char byte;
typedef struct node { int value; struct node *next; } Node;
enum color { RED, GREEN = 5, BLUE };

int table[] = {1, 2, 3, 4};
char message[] = "hi";
char shortName[8] = "ab";
long longs[3] = {1, -2};
Node n2 = {2, 0}, n1 = {1, &n2};
const char *saved[4];
int *tp = &table[2];

int counter(void)
{
    static int calls = 10;
    return ++calls;
}

int oldStyle(a, b)
    int a;
    char *b;
{
    return a + b[0];
}

int sumList(Node *n)
{
    int s = 0;
    for (; n; n = n->next) s += n->value;
    return s;
}

int main(void)
{
    byte b = 250;
    int i, total = 0;
    enum color c = BLUE;
    int local[2][3] = {{1, 2, 3}, {4, 5, 6}};
    char text[] = "local";
    struct { int a; char s[4]; } anon = {7, "xy"};

    b += 10;
    printf("%d %d %d\n", b, c, GREEN + RED);
    printf("%d %d %d\n", counter(), counter(), sizeof table / sizeof table[0]);
    for (i = 0; i < 4; i++) total += table[i];
    printf("%d %s %s %d\n", total, message, shortName, sizeof shortName);
    printf("%d %d %d\n", longs[0], longs[1], longs[2]);
    printf("%d %d\n", sumList(&n1), *tp);
    printf("%d\n", oldStyle(1, "A"));
    for (i = 0; i < 4; i++) saved[i] = i % 2 ? "odd" : "even";
    printf("%s %s %s\n", saved[0], saved[1], saved[3]);
    printf("%d %d %s %d %s\n", local[1][2], local[0][1], text, anon.a, anon.s);
    {
        int total = 99;
        printf("%d\n", total);
    }
    printf("%d\n", total);
    return 0;
}
