// FreeType access for mkfont. Glyphs are rendered in monochrome without hinting: the bitmap
// fonts are copied as drawn, and an outline font built from pixel squares lands exactly on the
// pixel grid when scaled to its design size.

#include "face.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdlib>

namespace corvane::mkfont {

bool GlyphBitmap::blank() const {
    for (uint8_t p : pixels)
        if (p) return false;
    return true;
}

struct FontFace::Impl {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

FontFace::FontFace() : impl_(std::make_unique<Impl>()) {}

FontFace::~FontFace() {
    if (impl_->face) FT_Done_Face(impl_->face);
    if (impl_->library) FT_Done_FreeType(impl_->library);
}

bool FontFace::open(const std::string& path, int pixelSize, std::string& error) {
    if (!impl_->library && FT_Init_FreeType(&impl_->library) != 0) {
        error = "FreeType cannot be initialised";
        return false;
    }
    if (FT_New_Face(impl_->library, path.c_str(), 0, &impl_->face) != 0) {
        impl_->face = nullptr;
        error = "FreeType cannot open " + path;
        return false;
    }
    FT_Face face = impl_->face;
    if (FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0) {
        error = path + " has no Unicode character map";
        return false;
    }
    if (FT_IS_SCALABLE(face)) {
        if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize)) != 0) {
            error = path + " cannot be scaled to " + std::to_string(pixelSize) + " pixels";
            return false;
        }
        return true;
    }
    for (int i = 0; i < face->num_fixed_sizes; ++i) {
        if ((face->available_sizes[i].y_ppem + 32) / 64 == pixelSize) {
            if (FT_Select_Size(face, i) != 0) break;
            return true;
        }
    }
    error = path + " has no " + std::to_string(pixelSize) + " pixel strike";
    return false;
}

int FontFace::ascent() const {
    return static_cast<int>((impl_->face->size->metrics.ascender + 32) / 64);
}

bool FontFace::render(char32_t codePoint, GlyphBitmap& glyph) const {
    FT_Face face = impl_->face;
    const FT_UInt index = FT_Get_Char_Index(face, codePoint);
    if (index == 0) return false;
    if (FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_NO_HINTING | FT_LOAD_TARGET_MONO) != 0)
        return false;
    FT_GlyphSlot slot = face->glyph;
    if (slot->format != FT_GLYPH_FORMAT_BITMAP && FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0)
        return false;

    const FT_Bitmap& bitmap = slot->bitmap;
    glyph.width = static_cast<int>(bitmap.width);
    glyph.rows = static_cast<int>(bitmap.rows);
    glyph.left = slot->bitmap_left;
    glyph.top = slot->bitmap_top;
    glyph.advance = static_cast<int>((slot->advance.x + 32) / 64);
    glyph.pixels.assign(static_cast<size_t>(glyph.width) * glyph.rows, 0);
    for (int y = 0; y < glyph.rows; ++y) {
        const unsigned char* row = bitmap.buffer + static_cast<ptrdiff_t>(y) * bitmap.pitch;
        for (int x = 0; x < glyph.width; ++x) {
            bool ink = bitmap.pixel_mode == FT_PIXEL_MODE_MONO ? (row[x >> 3] >> (7 - (x & 7))) & 1
                                                               : row[x] >= 128;
            glyph.pixels[static_cast<size_t>(y) * glyph.width + x] = ink ? 1 : 0;
        }
    }
    return true;
}

}  // namespace corvane::mkfont
