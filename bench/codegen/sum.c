/* Locals and immediates: sum of 3i over 30,000 steps. */
int main(void)
{
    long sum = 0;
    int i;
    for (i = 0; i < 30000; i++) sum += i * 3L;
    return (int)(sum % 251);
}
