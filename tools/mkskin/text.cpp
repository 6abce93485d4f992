// FreeType text rendering for the artwork.

#include "tools/mkskin/text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace corvane::mkskin {

namespace {

FT_Library library() {
    static FT_Library lib = [] {
        FT_Library l = nullptr;
        if (FT_Init_FreeType(&l) != 0) {
            std::fprintf(stderr, "mkskin: FreeType cannot start\n");
            std::exit(1);
        }
        return l;
    }();
    return lib;
}

std::string findFont(const std::string& fileName) {
    static const char* const kDirs[] = {
        "/usr/share/fonts/X11/misc",
        "/usr/share/fonts/opentype/unifont",
        "/usr/share/fonts/truetype/unifont",
        "/usr/share/fonts/X11/75dpi",
        "/usr/local/share/fonts",
    };
    for (const char* dir : kDirs) {
        const std::filesystem::path p = std::filesystem::path(dir) / fileName;
        if (std::filesystem::exists(p)) return p.string();
    }
    std::fprintf(stderr, "mkskin: font %s not found (install xfonts-base and xfonts-wqy)\n",
                 fileName.c_str());
    std::exit(1);
}

std::u32string decodeUtf8(std::string_view s) {
    std::u32string out;
    for (size_t i = 0; i < s.size();) {
        const uint8_t c = uint8_t(s[i]);
        int extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
        char32_t cp = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 7);
        ++i;
        for (; extra > 0 && i < s.size(); --extra, ++i) cp = (cp << 6) | (uint8_t(s[i]) & 0x3F);
        out.push_back(cp);
    }
    return out;
}

}  // namespace

struct TextFace::Impl {
    FT_Face face = nullptr;
};

TextFace::TextFace(const std::string& fileName) : impl_(std::make_unique<Impl>()) {
    const std::string path = findFont(fileName);
    if (FT_New_Face(library(), path.c_str(), 0, &impl_->face) != 0) {
        std::fprintf(stderr, "mkskin: cannot read font %s\n", path.c_str());
        std::exit(1);
    }
    if (impl_->face->num_fixed_sizes > 0) FT_Select_Size(impl_->face, 0);
}

TextFace::~TextFace() {
    FT_Done_Face(impl_->face);
}

Mask TextFace::render(std::string_view utf8) const {
    FT_Face face = impl_->face;
    const int ascent = int(face->size->metrics.ascender >> 6);
    const int height = int((face->size->metrics.ascender - face->size->metrics.descender) >> 6);
    const std::u32string text = decodeUtf8(utf8);

    // First pass measures, second draws.
    int width = 0;
    for (char32_t cp : text) {
        if (FT_Load_Char(face, cp, FT_LOAD_DEFAULT) != 0) continue;
        width += int(face->glyph->advance.x >> 6);
    }
    Mask mask{width, height, std::vector<uint8_t>(size_t(std::max(width, 0)) * size_t(height), 0)};
    int pen = 0;
    for (char32_t cp : text) {
        if (FT_Load_Char(face, cp, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0) continue;
        const FT_GlyphSlot g = face->glyph;
        const FT_Bitmap& bm = g->bitmap;
        for (unsigned row = 0; row < bm.rows; ++row) {
            for (unsigned col = 0; col < bm.width; ++col) {
                const uint8_t* line = bm.buffer + ptrdiff_t(row) * bm.pitch;
                uint8_t a = 0;
                if (bm.pixel_mode == FT_PIXEL_MODE_MONO) {
                    a = (line[col / 8] & (0x80 >> (col % 8))) ? 255 : 0;
                } else {
                    a = line[col];
                }
                const int x = pen + g->bitmap_left + int(col);
                const int y = ascent - g->bitmap_top + int(row);
                if (x >= 0 && y >= 0 && x < width && y < height) {
                    uint8_t& dst = mask.alpha[size_t(y) * size_t(width) + size_t(x)];
                    dst = std::max(dst, a);
                }
            }
        }
        pen += int(g->advance.x >> 6);
    }
    return mask;
}

Mask smoothScale(const Mask& mask, int factor) {
    Mask out{mask.width * factor, mask.height * factor, {}};
    out.alpha.assign(size_t(out.width) * size_t(out.height), 0);
    auto field = [&](float x, float y) {
        // Bilinear interpolation between pixel centres.
        const float fx = x - 0.5f, fy = y - 0.5f;
        const int ix = int(std::floor(fx)), iy = int(std::floor(fy));
        const float tx = fx - ix, ty = fy - iy;
        const float a = mask.at(ix, iy) / 255.f, b = mask.at(ix + 1, iy) / 255.f;
        const float c = mask.at(ix, iy + 1) / 255.f, d = mask.at(ix + 1, iy + 1) / 255.f;
        return (a * (1 - tx) + b * tx) * (1 - ty) + (c * (1 - tx) + d * tx) * ty;
    };
    constexpr int kSub = 4;
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            int hits = 0;
            for (int sy = 0; sy < kSub; ++sy)
                for (int sx = 0; sx < kSub; ++sx) {
                    const float px = (x + (sx + 0.5f) / kSub) / factor;
                    const float py = (y + (sy + 0.5f) / kSub) / factor;
                    if (field(px, py) >= 0.5f) ++hits;
                }
            out.alpha[size_t(y) * size_t(out.width) + size_t(x)] =
                uint8_t(hits * 255 / (kSub * kSub));
        }
    }
    return out;
}

void drawMask(RgbImage& img, const Mask& mask, int x, int y, Color color, float opacity) {
    for (int row = 0; row < mask.height; ++row)
        for (int col = 0; col < mask.width; ++col) {
            const uint8_t a = mask.at(col, row);
            if (a) blend(img, x + col, y + row, color, opacity * a / 255.f);
        }
}

void drawCentered(RgbImage& img, const Mask& mask, float cx, float cy, Color color, float opacity) {
    drawMask(img, mask, int(std::lround(cx - mask.width / 2.0f)),
             int(std::lround(cy - mask.height / 2.0f)), color, opacity);
}

}  // namespace corvane::mkskin
