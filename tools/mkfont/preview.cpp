// Preview pictures of the glyph tables.

#include "preview.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "gb2312_cells.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wsign-compare"
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO_LOCALE
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

namespace corvane::mkfont {

namespace {

struct Canvas {
    int width;
    int height;
    std::vector<uint8_t> rgb;

    Canvas(int w, int h) : width(w), height(h), rgb(static_cast<size_t>(w) * h * 3, 255) {}

    void set(int x, int y, uint8_t r, uint8_t g, uint8_t b) {
        if (x < 0 || y < 0 || x >= width || y >= height) return;
        uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
        p[0] = r;
        p[1] = g;
        p[2] = b;
    }
};

struct Cell {
    const uint8_t* bytes;  // null: no glyph, drawn blank
    int width;
    int height;
};

// The cells of `text` in one font size, in order.
std::vector<Cell> layout(const FontTables& t, const std::string& text, bool large) {
    std::vector<Cell> cells;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<uint8_t>(text[i]);
        if (c < 0x80) {
            const int h = large ? 16 : 12;
            const uint8_t* table = large ? t.largeAscii.data() : t.smallAscii.data();
            cells.push_back({table + c * h, large ? 8 : 6, h});
            continue;
        }
        const uint8_t c2 = i + 1 < text.size() ? static_cast<uint8_t>(text[++i]) : 0;
        const int index = hanziIndex(c, c2);
        const int size = large ? 16 : 12;
        const uint8_t* table = large ? t.largeHanzi.data() : t.smallHanzi.data();
        cells.push_back({index < 0 ? nullptr : table + index * size * 2, size, size});
    }
    return cells;
}

int lineWidth(const std::vector<Cell>& cells) {
    int w = 0;
    for (const Cell& c : cells) w += c.width;
    return w;
}

// Draws the cells side by side from (left, top), in unscaled pixels.
void drawLine(Canvas& canvas, const std::vector<Cell>& cells, int left, int top, int scale) {
    for (size_t n = 0; n < cells.size(); ++n) {
        const Cell& cell = cells[n];
        const int rowBytes = (cell.width + 7) / 8;
        for (int y = 0; y < cell.height; ++y) {
            for (int x = 0; x < cell.width; ++x) {
                const bool ink =
                    cell.bytes && (cell.bytes[y * rowBytes + x / 8] & (0x80 >> (x % 8))) != 0;
                const bool tint = n % 2 == 1;
                const uint8_t r = ink ? 0 : tint ? 220 : 255;
                const uint8_t g = ink ? 0 : tint ? 232 : 255;
                for (int sy = 0; sy < scale; ++sy)
                    for (int sx = 0; sx < scale; ++sx)
                        canvas.set((left + x) * scale + sx, (top + y) * scale + sy, r, g,
                                   ink ? 0 : 255);
            }
        }
        left += cell.width;
    }
}

}  // namespace

bool writePreview(const FontTables& tables, const std::vector<std::string>& lines, int scale,
                  const std::string& path) {
    const int margin = 2;
    int width = 0;
    for (const std::string& text : lines)
        width = std::max(
            {width, lineWidth(layout(tables, text, false)), lineWidth(layout(tables, text, true))});
    width += 2 * margin;
    const int pairHeight = 12 + margin + 16 + 2 * margin;
    const int height = margin + pairHeight * static_cast<int>(lines.size());
    Canvas canvas(width * scale, height * scale);
    int top = margin;
    for (const std::string& text : lines) {
        drawLine(canvas, layout(tables, text, false), margin, top, scale);
        drawLine(canvas, layout(tables, text, true), margin, top + 12 + margin, scale);
        top += pairHeight;
    }
    return stbi_write_png(path.c_str(), canvas.width, canvas.height, 3, canvas.rgb.data(),
                          canvas.width * 3) != 0;
}

}  // namespace corvane::mkfont
