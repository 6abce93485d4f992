/* Indexed loads and stores: 20 passes over an int table. */
int table[256];

int main(void)
{
    long sum = 0;
    int i, r;
    for (r = 0; r < 20; r++)
        for (i = 0; i < 256; i++) {
            table[i] = table[i] + i;
            sum += table[i];
        }
    return (int)(sum % 251);
}
