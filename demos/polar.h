#ifndef POLAR_H
#define POLAR_H
/* The point at distance r and angle a (whole degrees, 0 or more, clockwise from straight up)
   from (cx, cy), for the demos that draw round things. Sin and Cos answer in 1024ths; the
   product needs 32 bits. */
#define POLAR_X(cx, r, a) ((cx) + (int)((long)Sin(a) * (r) / 1024))
#define POLAR_Y(cy, r, a) ((cy) - (int)((long)Cos(a) * (r) / 1024))
#endif
