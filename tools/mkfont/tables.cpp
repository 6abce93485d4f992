// Rendering the single-byte and GB2312 glyph tables.

#include "tables.h"

#include <algorithm>

#include "cell.h"
#include "face.h"
#include "gb2312_cells.h"

namespace corvane::mkfont {

namespace {

// The 12 pixel GB2312 font's own ascent is 12, which would put its descending strokes and the
// bottom row of many characters below a 12-row cell; one row of descent keeps them all.
constexpr int kSmallHanziBaseline = 11;

// Blank by nature: left blank and not counted as characters that need ink.
bool isSpace(char32_t cp) {
    return cp == U' ' || cp == U'\u3000';
}

// Lines that run to the cell's edges: a half-width design of them is widened rather than
// centred, or a table drawn with them would fall apart into dashes.
bool runsToEdges(char32_t cp) {
    return (cp >= 0x2500 && cp <= 0x257F) || cp == 0x2014 || cp == 0x2015;
}

// Quotation marks drawn half-width hug the text they enclose, as full-width ones do.
Align alignmentOf(char32_t cp) {
    switch (cp) {
        case U'\u2018':
        case U'\u201C':
            return Align::right;
        case U'\u2019':
        case U'\u201D':
            return Align::left;
        default:
            return Align::centre;
    }
}

void fillTable(const FontFace& face, const CellShape& shape,
               const std::vector<char32_t>& codePoints, uint8_t* table, TableReport& report) {
    const size_t glyphBytes = static_cast<size_t>((shape.width + 7) / 8) * shape.height;
    GlyphBitmap glyph;
    for (size_t i = 0; i < codePoints.size(); ++i) {
        const char32_t cp = codePoints[i];
        if (cp == 0 || isSpace(cp)) continue;  // control code, space or empty cell: blank
        ++report.characters;
        if (!face.render(cp, glyph) || glyph.blank()) {
            report.missing.push_back(cp);
            continue;
        }
        if (runsToEdges(cp)) extendEdges(glyph, shape.width);
        Placement placement;
        const std::vector<uint8_t> bytes =
            packCell(placeInCell(glyph, shape, alignmentOf(cp), &placement), shape);
        std::copy(bytes.begin(), bytes.end(), table + i * glyphBytes);
        ++report.drawn;
        report.moved += placement.moved;
        report.cut += placement.cut;
    }
}

// Printable ASCII; the control codes 0x00-0x1F and 0x7F stay blank (an empty console cell
// draws glyph 0).
std::vector<char32_t> asciiCodePoints() {
    std::vector<char32_t> codes(128, 0);
    for (char32_t c = 0x20; c < 0x7F; ++c) codes[c] = c;
    return codes;
}

}  // namespace

bool buildFontTables(const FontSources& sources, FontTables& tables,
                     std::vector<TableReport>& reports, std::string& error) {
    tables = FontTables{};
    reports.clear();

    std::vector<char32_t> hanzi;
    if (!hanziCodePoints(hanzi, error)) return false;
    const std::vector<char32_t> ascii = asciiCodePoints();

    FontFace smallAscii, largeAscii, smallHanzi, largeHanzi;
    if (!smallAscii.open(sources.smallAscii, 12, error) ||
        !largeAscii.open(sources.largeAscii, 16, error) ||
        !smallHanzi.open(sources.smallHanzi, 12, error) ||
        !largeHanzi.open(sources.largeHanzi, 16, error))
        return false;

    struct Job {
        const char* name;
        const FontFace& face;
        CellShape shape;
        const std::vector<char32_t>& codes;
        uint8_t* table;
    };
    const Job jobs[] = {
        {"small single-byte",
         smallAscii,
         {6, 12, smallAscii.ascent()},
         ascii,
         tables.smallAscii.data()},
        {"large single-byte",
         largeAscii,
         {8, 16, largeAscii.ascent()},
         ascii,
         tables.largeAscii.data()},
        {"small double-byte",
         smallHanzi,
         {12, 12, kSmallHanziBaseline},
         hanzi,
         tables.smallHanzi.data()},
        {"large double-byte",
         largeHanzi,
         {16, 16, largeHanzi.ascent()},
         hanzi,
         tables.largeHanzi.data()},
    };
    for (const Job& job : jobs) {
        TableReport report;
        report.name = job.name;
        fillTable(job.face, job.shape, job.codes, job.table, report);
        reports.push_back(std::move(report));
    }
    return true;
}

}  // namespace corvane::mkfont
