/* An index loop over an array: the largest of 1,000 ints and where it first is, 20 times
   over. */
int values[1000];

int main(void)
{
    int i, r, best = 0, at = 0;
    for (i = 0; i < 1000; i++) values[i] = i * 7 % 1000;
    for (r = 0; r < 20; r++) {
        best = -1;
        for (i = 0; i < 1000; i++)
            if (values[i] > best) {
                best = values[i];
                at = i;
            }
    }
    return (best + at) % 251;
}
