#pragma once
// A bitmap font opened with FreeType, rendered one monochrome glyph at a time.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace corvane::mkfont {

// One rendered glyph, positioned relative to the pen on the baseline.
struct GlyphBitmap {
    int width = 0;                // columns of `pixels`
    int rows = 0;                 // rows of `pixels`
    int left = 0;                 // columns from the pen to the bitmap's left edge
    int top = 0;                  // rows from the bitmap's top row down to the baseline
    int advance = 0;              // pen movement in pixels
    std::vector<uint8_t> pixels;  // rows * width, 1 = ink

    bool blank() const;
};

class FontFace {
  public:
    FontFace();
    ~FontFace();
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    // Opens `path` at `pixelSize` pixels per em: a bitmap font picks its strike of that size, an
    // outline font is scaled to it. On failure returns false and sets `error`.
    bool open(const std::string& path, int pixelSize, std::string& error);

    // Rows above the baseline at the selected size.
    int ascent() const;

    // Renders `codePoint`; false when the font has no glyph for it.
    bool render(char32_t codePoint, GlyphBitmap& glyph) const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace corvane::mkfont
