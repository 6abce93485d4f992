/* Structs and unions: members, nesting, assignment, passing and returning by value. */
#include <stdio.h>

struct point { int x, y; };
struct rect { struct point a, b; char name[8]; };
union word { unsigned int w; unsigned char b[2]; };

struct point add(struct point p, struct point q)
{
    p.x += q.x;
    p.y += q.y;
    return p;
}

int area(const struct rect *r)
{
    return (r->b.x - r->a.x) * (r->b.y - r->a.y);
}

struct rect global = {{1, 2}, {11, 22}, "box"};

int main(void)
{
    struct point p = {3, 4}, q;
    struct rect r;
    union word u;
    struct point ps[3];
    int i;

    q = p;
    q.x = 10;
    printf("%d %d %d %d\n", p.x, p.y, q.x, q.y);
    p = add(p, q);
    printf("%d %d\n", p.x, p.y);
    printf("%d %d\n", add(p, p).x, add(q, q).y);
    r = global;
    r.b.y = 12;
    printf("%d %d %s\n", area(&r), area(&global), r.name);
    u.w = 0x1234;
    printf("%d %d\n", u.b[0], u.b[1]);
    for (i = 0; i < 3; i++) {
        ps[i].x = i;
        ps[i].y = i * i;
    }
    printf("%d %d\n", ps[2].x + ps[1].y, (ps + 2)->y);
    printf("%d %d\n", sizeof(struct rect), sizeof(union word));
    return 0;
}
