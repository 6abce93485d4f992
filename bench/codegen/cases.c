/* A switch in a loop: eight kinds of step on a long, chosen by the low bits of a counter, over
   1,000 steps, 20 times over. */
int main(void)
{
    long acc = 0;
    int i, r, kind;
    for (r = 0; r < 20; r++)
        for (i = 0; i < 1000; i++) {
            kind = i & 7;
            switch (kind) {
            case 0: acc += i; break;
            case 1: acc -= 3; break;
            case 2: acc += 2 * i; break;
            case 3: acc ^= 5; break;
            case 4: acc += 7; break;
            case 5: acc -= i; break;
            case 6: acc++; break;
            default: acc += 1000; break;
            }
        }
    return (int)(acc % 251);
}
