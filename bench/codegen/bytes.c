/* Byte strings through a pointer: a hash of 2,000 bytes, 10 times over. */
unsigned char text[2001];

int main(void)
{
    unsigned char *p;
    unsigned hash = 0;
    int i, r;
    for (i = 0; i < 2000; i++) text[i] = (unsigned char)(i % 91 + 32);
    for (r = 0; r < 10; r++)
        for (p = text; *p; p++) hash = hash * 31 + *p;
    return (int)(hash % 251);
}
