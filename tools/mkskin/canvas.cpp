// Anti-aliased shape filling by supersampling.

#include "tools/mkskin/canvas.h"

#include <algorithm>
#include <cmath>

namespace corvane::mkskin {

namespace {
constexpr int kSamples = 4;

uint8_t toByte(float v) {
    return uint8_t(std::clamp(std::lround(v), 0L, 255L));
}
}  // namespace

Color mix(Color a, Color b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Color scale(Color c, float f) {
    return {c.r * f, c.g * f, c.b * f};
}

void blend(RgbImage& img, int x, int y, Color c, float alpha) {
    if (x < 0 || y < 0 || x >= img.width || y >= img.height || alpha <= 0) return;
    alpha = std::min(alpha, 1.0f);
    uint8_t* p = img.at(x, y);
    p[0] = toByte(p[0] + (c.r - p[0]) * alpha);
    p[1] = toByte(p[1] + (c.g - p[1]) * alpha);
    p[2] = toByte(p[2] + (c.b - p[2]) * alpha);
}

void fillShape(RgbImage& img, int x0, int y0, int x1, int y1, const InsideFn& inside,
               const ShadeFn& shade, float opacity) {
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, img.width);
    y1 = std::min(y1, img.height);
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            int hits = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const float fx = x + (sx + 0.5f) / kSamples;
                    const float fy = y + (sy + 0.5f) / kSamples;
                    if (inside(fx, fy)) ++hits;
                }
            }
            if (hits == 0) continue;
            blend(img, x, y, shade(x + 0.5f, y + 0.5f),
                  opacity * float(hits) / (kSamples * kSamples));
        }
    }
}

bool insideRoundRect(float x, float y, float x0, float y0, float x1, float y1, float r) {
    if (x < x0 || x >= x1 || y < y0 || y >= y1) return false;
    r = std::min({r, (x1 - x0) / 2, (y1 - y0) / 2});
    const float cx = std::clamp(x, x0 + r, x1 - r);
    const float cy = std::clamp(y, y0 + r, y1 - r);
    const float dx = x - cx, dy = y - cy;
    return dx * dx + dy * dy <= r * r;
}

void fillRoundRect(RgbImage& img, float x0, float y0, float x1, float y1, float r, Color c,
                   float opacity) {
    fillRoundRectGradient(img, x0, y0, x1, y1, r, c, c, opacity);
}

void fillRoundRectGradient(RgbImage& img, float x0, float y0, float x1, float y1, float r,
                           Color top, Color bottom, float opacity) {
    fillShape(
        img, int(std::floor(x0)), int(std::floor(y0)), int(std::ceil(x1)), int(std::ceil(y1)),
        [&](float x, float y) { return insideRoundRect(x, y, x0, y0, x1, y1, r); },
        [&](float, float y) {
            return mix(top, bottom, std::clamp((y - y0) / (y1 - y0), 0.f, 1.f));
        },
        opacity);
}

void fillEllipse(RgbImage& img, float cx, float cy, float rx, float ry, Color c, float opacity) {
    fillShape(
        img, int(std::floor(cx - rx)), int(std::floor(cy - ry)), int(std::ceil(cx + rx)),
        int(std::ceil(cy + ry)),
        [&](float x, float y) {
            const float dx = (x - cx) / rx, dy = (y - cy) / ry;
            return dx * dx + dy * dy <= 1.0f;
        },
        [&](float, float) { return c; }, opacity);
}

void fillTriangle(RgbImage& img, float ax, float ay, float bx, float by, float cx, float cy,
                  Color c, float opacity) {
    auto edge = [](float px, float py, float qx, float qy, float x, float y) {
        return (qx - px) * (y - py) - (qy - py) * (x - px);
    };
    fillShape(
        img, int(std::floor(std::min({ax, bx, cx}))), int(std::floor(std::min({ay, by, cy}))),
        int(std::ceil(std::max({ax, bx, cx}))), int(std::ceil(std::max({ay, by, cy}))),
        [&](float x, float y) {
            const float e0 = edge(ax, ay, bx, by, x, y);
            const float e1 = edge(bx, by, cx, cy, x, y);
            const float e2 = edge(cx, cy, ax, ay, x, y);
            return (e0 >= 0 && e1 >= 0 && e2 >= 0) || (e0 <= 0 && e1 <= 0 && e2 <= 0);
        },
        [&](float, float) { return c; }, opacity);
}

}  // namespace corvane::mkskin
