#pragma once
// Text in the handheld's own 12-pixel fonts, and the plain boxes under it, painted into the
// window image: the one painter of the pop-up menu, the in-window file chooser and the notices.
// Texts are drawn in GB2312, the handheld's code page: 6 x 12 single-byte and 12 x 12 double-byte
// glyphs, a glyph's set pixels in the given colour and its clear pixels left as they were.

#include <cstdint>
#include <string>
#include <string_view>

#include "host/image_io.h"

namespace corvane {

struct FontTables;

struct Rgb {
    uint8_t r, g, b;
};

// The colours of the host's own panels (pop-up menu, file chooser), those of a classic desktop
// dialog, so both look alike.
constexpr Rgb kPanelFace{212, 208, 200};
constexpr Rgb kPanelShadow{128, 128, 128};
constexpr Rgb kPanelHighlight{10, 36, 106};
constexpr Rgb kPanelHighlightText{255, 255, 255};

// Pixels and rectangles; whatever falls outside the image is left out.
void setPixel(RgbImage& image, int x, int y, Rgb colour);
void fillRect(RgbImage& image, int left, int top, int width, int height, Rgb colour);
// A one-pixel outline just inside the rectangle.
void frameRect(RgbImage& image, int left, int top, int width, int height, Rgb colour);

// UTF-8 (a host name, a text of ours) in GB2312, character by character: a character the code
// page lacks, or a broken sequence, shows as '?', so any text can be drawn.
std::string gbDisplayText(std::string_view utf8);

// The width in pixels of GB2312 text: 6 for a single byte, 12 for a double-byte character.
int gbTextWidth(std::string_view gb);

// GB2312 text cut, whole characters at a time, until it is at most `maxWidth` pixels wide: its
// end is dropped, or its start when `keepEnd` (so a long folder path still shows where it ends).
std::string fitGbText(std::string gb, int maxWidth, bool keepEnd = false);

// Draws GB2312 text with its top-left corner at (x, y). A double-byte character without a glyph
// takes its room and draws nothing.
void drawGbText(RgbImage& image, int x, int y, std::string_view gb, const FontTables& fonts,
                Rgb colour);

}  // namespace corvane
