/* Pointer walks: 1,000 ints copied from one table to another through two pointers, then summed
   through a third, 20 times over. */
int from[1000];
int to[1000];

int main(void)
{
    int *p, *q, *end = from + 1000;
    long sum = 0;
    int i, r;
    for (i = 0; i < 1000; i++) from[i] = i;
    for (r = 0; r < 20; r++) {
        for (p = from, q = to; p != end;) *q++ = *p++ + r;
        for (q = to; q != to + 1000; q++) sum += *q;
    }
    return (int)(sum % 251);
}
