/* The counting loop with an int product: sum += i * 3 over 30,000 steps, sum a long. The
   product is an int of 16 bits: past i = 10,922 it wraps before it is added. */
int main(void)
{
    long sum = 0;
    int i;
    for (i = 0; i < 30000; i++) sum += i * 3;
    return (int)(sum % 251);
}
