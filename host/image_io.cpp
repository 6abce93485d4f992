// The LCD screen memory written as a PBM or a PNG file.

#include "host/image_io.h"

#include <cstdio>

#include "shared/real_path.h"
#include "vm/memory_map.h"

namespace corvane {

namespace {

bool lcdPixel(const uint8_t* lcd, int x, int y) {
    return lcd[y * kBitmapStride + x / 8] & (0x80 >> (x % 8));
}

}  // namespace

bool writeLcdPbm(const std::string& path, const uint8_t* lcd) {
    std::FILE* f = openHostFile(path, "wb");
    if (!f) return false;
    // PBM rows are the screen memory's rows unchanged: MSB leftmost, set bit black.
    bool ok = std::fprintf(f, "P4\n%d %d\n", kScreenWidth, kScreenHeight) > 0;
    ok = ok && std::fwrite(lcd, 1, kBitmapSize, f) == kBitmapSize;
    ok = (std::fclose(f) == 0) && ok;
    return ok;
}

bool writeLcdPng(const std::string& path, const uint8_t* lcd) {
    RgbImage image(kScreenWidth, kScreenHeight);
    for (int y = 0; y < kScreenHeight; ++y) {
        for (int x = 0; x < kScreenWidth; ++x) {
            const uint8_t v = lcdPixel(lcd, x, y) ? 0 : 255;
            uint8_t* p = image.at(x, y);
            p[0] = p[1] = p[2] = v;
        }
    }
    return writePng(path, image);
}

}  // namespace corvane
