#pragma once
// Labels for the artwork, rendered with FreeType from the system's bitmap fonts (xfonts-base,
// the WenQuanYi bitmap song for Chinese).

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tools/mkskin/canvas.h"

namespace corvane::mkskin {

// Coverage of rendered text, 0-255 a pixel, rows top-down.
struct Mask {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> alpha;
    uint8_t at(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height) return 0;
        return alpha[size_t(y) * size_t(width) + size_t(x)];
    }
};

class TextFace {
  public:
    // `fileName` is looked up in the X11 and other system font folders; a missing font ends mkskin
    // with a message (the artwork must not silently lose its labels).
    explicit TextFace(const std::string& fileName);
    ~TextFace();
    TextFace(const TextFace&) = delete;
    TextFace& operator=(const TextFace&) = delete;

    // One line of UTF-8 text, its cell height the font's line height.
    Mask render(std::string_view utf8) const;
    int width(std::string_view utf8) const { return render(utf8).width; }

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Enlarges a one-bit-looking mask by `factor`, rounding the pixel staircase into smooth edges
// (bilinear field thresholded at one half, 4 x 4 samples a pixel).
Mask smoothScale(const Mask& mask, int factor);

// Blends `mask` in `color` with its top-left corner at (x, y).
void drawMask(RgbImage& img, const Mask& mask, int x, int y, Color color, float opacity = 1.0f);

// Draws text centred on (cx, cy).
void drawCentered(RgbImage& img, const Mask& mask, float cx, float cy, Color color,
                  float opacity = 1.0f);

}  // namespace corvane::mkskin
