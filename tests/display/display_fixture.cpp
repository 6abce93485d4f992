#include "display_fixture.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/build_paths.h"
#include "vm/image.h"
#include "vm/memory_map.h"

namespace corvane::test {

namespace {

// 3 x 5 hex digits, one row per entry, bit 2 leftmost.
constexpr uint8_t kHexDigits[16][5] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7},
    {5, 5, 7, 1, 1}, {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 1, 1},
    {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7}, {2, 5, 7, 5, 5}, {6, 5, 6, 5, 6},
    {3, 4, 4, 4, 3}, {6, 5, 5, 5, 6}, {7, 4, 7, 4, 7}, {7, 4, 7, 4, 4}};

void hexGlyph(uint8_t* glyph, uint8_t code, int highRow, int lowRow, int shift) {
    for (int r = 0; r < 5; ++r) {
        glyph[highRow + r] = uint8_t(kHexDigits[code >> 4][r] << shift);
        glyph[lowRow + r] = uint8_t(kHexDigits[code & 15][r] << shift);
    }
}

// Frame, a marker pixel at (1, 1), and the 13 bits of the index on rows 2 and 4.
void hanziGlyph(uint8_t* glyph, uint32_t index, int size) {
    auto set = [&](int x, int y) { glyph[y * 2 + x / 8] |= uint8_t(0x80 >> (x % 8)); };
    for (int i = 0; i < size; ++i) {
        set(i, 0);
        set(i, size - 1);
        set(0, i);
        set(size - 1, i);
    }
    set(1, 1);
    for (int bit = 0; bit < 13; ++bit)
        if (index & (1u << bit)) set(2 + bit % 8, bit < 8 ? 2 : 4);
}

std::string goldenPath(const std::string& name) {
    return std::string(corvane::test::sourceDir()) + "/tests/golden/display/" + name + ".pbm";
}

std::string describeDifference(const Picture& want, const Picture& got) {
    std::ostringstream out;
    int shown = 0;
    for (int y = 0; y < 80 && shown < 12; ++y) {
        bool differs = false;
        for (int x = 0; x < 160; ++x) differs |= want.at(x, y) != got.at(x, y);
        if (!differs) continue;
        ++shown;
        out << "row " << y << " (+ missing, x unexpected, # both)\n  ";
        for (int x = 0; x < 160; ++x) {
            const int w = want.at(x, y), g = got.at(x, y);
            out << (w && g ? '#' : w ? '+' : g ? 'x' : '.');
        }
        out << '\n';
    }
    return out.str();
}

}  // namespace

Picture pictureOf(const Machine& m, uint16_t base) {
    Picture p;
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 160; ++x)
            p.px[y * 160 + x] = (m.mem[base + 20 * y + x / 8] >> (7 - x % 8)) & 1;
    return p;
}

bool writePbm(const std::string& path, const Picture& p) {
    std::ofstream out(path);
    out << "P1\n160 80\n";
    for (int y = 0; y < 80; ++y) {
        for (int x = 0; x < 160; ++x) out << char('0' + p.at(x, y));
        out << '\n';
    }
    return bool(out);
}

bool readPbm(const std::string& path, Picture& p) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int w = 0, h = 0;
    if (!(in >> magic >> w >> h) || w != 160 || h != 80) return false;
    if (magic == "P1") {
        for (uint8_t& v : p.px) {
            char c;
            if (!(in >> c) || (c != '0' && c != '1')) return false;
            v = uint8_t(c - '0');
        }
        return true;
    }
    if (magic != "P4") return false;
    in.get();  // the single whitespace byte before the raster
    for (int y = 0; y < 80; ++y) {
        char row[20];
        if (!in.read(row, 20)) return false;
        for (int x = 0; x < 160; ++x) p.px[y * 160 + x] = (uint8_t(row[x / 8]) >> (7 - x % 8)) & 1;
    }
    return true;
}

void expectLcdGolden(const Machine& m, const std::string& name) {
    const Picture got = pictureOf(m, kLcdScreen);
    const char* update = std::getenv("CORVANE_UPDATE_GOLDENS");
    if (update != nullptr && std::string(update) == "1") {
        ASSERT_TRUE(writePbm(goldenPath(name), got)) << "cannot write " << goldenPath(name);
        return;
    }
    Picture want;
    ASSERT_TRUE(readPbm(goldenPath(name), want))
        << "missing golden " << goldenPath(name) << " (run with CORVANE_UPDATE_GOLDENS=1)";
    if (want == got) return;
    const std::string actual =
        std::string(corvane::test::binDir()) + "/golden-actual/" + name + ".pbm";
    std::filesystem::create_directories(std::filesystem::path(actual).parent_path());
    writePbm(actual, got);
    ADD_FAILURE() << "LCD differs from golden " << name << "; actual written to " << actual << "\n"
                  << describeDifference(want, got);
}

namespace {
std::unique_ptr<FontTables> buildSyntheticFont() {
    auto f = std::make_unique<FontTables>();
    for (int c = 0; c < 128; ++c) {
        hexGlyph(&f->smallAscii[c * 12], uint8_t(c), 1, 7, 4);  // columns 1-3 of 6
        hexGlyph(&f->largeAscii[c * 16], uint8_t(c), 2, 9, 3);  // columns 2-4 of 8
    }
    for (uint32_t g = 0; g < kHanziGlyphs; ++g) {
        hanziGlyph(&f->smallHanzi[g * 24], g, 12);
        hanziGlyph(&f->largeHanzi[g * 32], g, 16);
    }
    return f;
}
}  // namespace

const FontTables& syntheticFont() {
    static const std::unique_ptr<FontTables> font = buildSyntheticFont();
    return *font;
}

DisplayMachine::DisplayMachine() {
    resetMachine(m);
    m.fonts = font;
}

void DisplayMachine::call(Handler fn, std::initializer_list<uint32_t> args) {
    const uint8_t before = m.osp;
    for (uint32_t a : args) m.push(a);
    fn(m);
    EXPECT_EQ(m.osp, before) << "the call must pop every argument and push nothing";
}

uint32_t DisplayMachine::result(Handler fn, std::initializer_list<uint32_t> args) {
    const uint8_t before = m.osp;
    for (uint32_t a : args) m.push(a);
    fn(m);
    EXPECT_EQ(m.osp, uint8_t(before + 4)) << "the call must push exactly one result";
    return m.pop();
}

bool DisplayMachine::lcd(int x, int y) const {
    return (m.mem[kLcdScreen + 20 * y + x / 8] >> (7 - x % 8)) & 1;
}
bool DisplayMachine::back(int x, int y) const {
    return (m.mem[kGraphicsBuffer + 20 * y + x / 8] >> (7 - x % 8)) & 1;
}

int DisplayMachine::lcdCount() const {
    int n = 0;
    for (uint8_t v : pictureOf(m, kLcdScreen).px) n += v;
    return n;
}

void DisplayMachine::putString(uint16_t addr, const std::string& s) {
    for (size_t i = 0; i <= s.size(); ++i)
        m.mem[uint16_t(addr + i)] = i < s.size() ? uint8_t(s[i]) : 0;
}

}  // namespace corvane::test
