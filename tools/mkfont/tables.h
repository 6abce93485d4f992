#pragma once
// Fills the four glyph tables of the font data file from the four source fonts.

#include <string>
#include <vector>

#include "display/fonts.h"

namespace corvane::mkfont {

// Where each table's glyphs come from.
struct FontSources {
    std::string smallAscii;  // 6 x 12 cells, 12 pixel bitmap font
    std::string largeAscii;  // 8 x 16 cells, 16 pixel font
    std::string smallHanzi;  // 12 x 12 cells, 12 pixel font with GB2312 coverage
    std::string largeHanzi;  // 16 x 16 cells, 16 pixel font with GB2312 coverage
};

// What building one table did, for the build log.
struct TableReport {
    std::string name;
    int characters = 0;             // cells that should show a character
    int drawn = 0;                  // of those, cells that got ink
    std::vector<char32_t> missing;  // characters the font has no glyph (or no ink) for
    int moved = 0;                  // glyphs shifted to stay inside their cell
    int cut = 0;                    // glyphs larger than their cell
};

bool buildFontTables(const FontSources& sources, FontTables& tables,
                     std::vector<TableReport>& reports, std::string& error);

}  // namespace corvane::mkfont
