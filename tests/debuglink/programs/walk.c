/* A small program to debug: structs, arrays, pointers, recursion and a runtime call. */
struct point {
    int x;
    int y;
};
typedef struct point Point;

int total;
char title[8] = "dots";
char *none;
Point corners[2] = {{1, 2}, {30000, -5}};

int square(int n)
{
    int r = n * n;
    return r;
}

int sum_to(int n)
{
    int below;
    if (n == 0)
        return 0;
    below = sum_to(n - 1);
    return n + below;
}

long scale(Point *p, int k)
{
    long v = (long)p->x * k;
    return v;
}

int main(void)
{
    Point here;
    int values[3];
    Point *where = &corners[1];
    unsigned long big = 100000UL;
    here.x = 7;
    here.y = square(3);
    big = big / 3;
    values[0] = 10;
    values[1] = sum_to(3);
    values[2] = -1;
    total = values[0] + values[1];
    total += (int)scale(where, 2);
    return total & 0xFF;
}
