/* The counting loop in C: a long counted from 0 to 30,000, ROUNDS times over. */
int main(void)
{
    long i = 0;
    int round;
    for (round = 0; round < ROUNDS; round++)
        for (i = 0; i < 30000; i++)
            ;
    return (int)(i % 251);
}
