#pragma once
// Anti-aliased drawing on an RGB image for the skin artwork: shapes are given as inside tests
// and sampled 4 x 4 times a pixel, colours may vary across the shape.

#include <functional>

#include "shared/rgb_image.h"

namespace corvane::mkskin {

struct Color {
    float r = 0;
    float g = 0;
    float b = 0;
};

Color mix(Color a, Color b, float t);
Color scale(Color c, float f);

// Blends `c` over pixel (x, y) with coverage `alpha` (0-1); pixels off the image are skipped.
void blend(RgbImage& img, int x, int y, Color c, float alpha);

using InsideFn = std::function<bool(float x, float y)>;
using ShadeFn = std::function<Color(float x, float y)>;

// Fills the shape `inside` within the box [x0, x1) x [y0, y1), coloured by `shade` at each pixel
// centre and blended with its coverage.
void fillShape(RgbImage& img, int x0, int y0, int x1, int y1, const InsideFn& inside,
               const ShadeFn& shade, float opacity = 1.0f);

// Inside test of a rectangle [x0, x1) x [y0, y1) with corners rounded by radius r.
bool insideRoundRect(float x, float y, float x0, float y0, float x1, float y1, float r);

void fillRoundRect(RgbImage& img, float x0, float y0, float x1, float y1, float r, Color c,
                   float opacity = 1.0f);
// Vertical gradient from `top` to `bottom`.
void fillRoundRectGradient(RgbImage& img, float x0, float y0, float x1, float y1, float r,
                           Color top, Color bottom, float opacity = 1.0f);
void fillEllipse(RgbImage& img, float cx, float cy, float rx, float ry, Color c,
                 float opacity = 1.0f);
void fillTriangle(RgbImage& img, float ax, float ay, float bx, float by, float cx, float cy,
                  Color c, float opacity = 1.0f);

}  // namespace corvane::mkskin
