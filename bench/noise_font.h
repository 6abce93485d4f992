#pragma once
// Font tables full of pseudo-random bytes for the display benchmarks: glyph contents do not change
// the cost of drawing them; any non-trivial bytes do.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "display/fonts.h"

namespace corvane {

inline std::unique_ptr<FontTables> noiseFont() {
    auto f = std::make_unique<FontTables>();
    uint32_t x = 12345;
    auto fill = [&](uint8_t* p, size_t n) {
        for (size_t i = 0; i < n; ++i) p[i] = uint8_t((x = x * 1103515245u + 12345u) >> 16);
    };
    fill(f->smallAscii.data(), f->smallAscii.size());
    fill(f->largeAscii.data(), f->largeAscii.size());
    fill(f->smallHanzi.data(), f->smallHanzi.size());
    fill(f->largeHanzi.data(), f->largeHanzi.size());
    return f;
}

}  // namespace corvane
