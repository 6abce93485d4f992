#pragma once
// The four font tables of the font data file, filled once at start-up.

#include <array>
#include <cstdint>
#include <string>

namespace corvane {

constexpr uint32_t kSmallAsciiBytes = 0x600;    // 128 glyphs of 6 x 12, 12 bytes each
constexpr uint32_t kLargeAsciiBytes = 0x800;    // 128 glyphs of 8 x 16, 16 bytes each
constexpr uint32_t kSmallHanziBytes = 0x2C9D0;  // 7,614 glyphs of 12 x 12, 24 bytes each
constexpr uint32_t kLargeHanziBytes = 0x3B7C0;  // 7,614 glyphs of 16 x 16, 32 bytes each
constexpr uint32_t kFontFileSize =
    kSmallAsciiBytes + kLargeAsciiBytes + kSmallHanziBytes + kLargeHanziBytes;  // 429,968
constexpr uint32_t kHanziGlyphs = 7614;

struct FontTables {
    std::array<uint8_t, kSmallAsciiBytes> smallAscii{};
    std::array<uint8_t, kLargeAsciiBytes> largeAscii{};
    std::array<uint8_t, kSmallHanziBytes> smallHanzi{};
    std::array<uint8_t, kLargeHanziBytes> largeHanzi{};
};

// Reads the font data file into `fonts` as four consecutive tables; a short file leaves the rest
// zero. Returns false when the file cannot be opened. `path` is a host path in UTF-8.
bool loadFontFile(const std::string& path, FontTables& fonts);

}  // namespace corvane
