/* Exact-width integer types wrap at their own widths whatever int is, so the host agrees. */
#include <stdint.h>
#include <stdio.h>

int main(void)
{
    uint8_t b = UINT8_MAX;
    int8_t c = INT8_MAX;
    uint16_t h = UINT16_MAX;
    int16_t s = INT16_MIN;
    uint32_t w = UINT32_MAX;
    int32_t l = INT32_MAX;
    b++;
    c++;
    h++;
    s--;
    w++;
    l = -l - 1;
    printf("%d %d %d %d %lu %ld\n", b, c, h, s, (unsigned long)w, (long)l);
    w = UINT32_C(4000000000);
    printf("%lu %lu\n", (unsigned long)(w / 3), (unsigned long)(uint32_t)(w * 3));
    printf("%d %d %d\n", (int)sizeof(int8_t), (int)sizeof(int16_t), (int)sizeof(int32_t));
    return 0;
}
