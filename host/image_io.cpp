// PNG and PBM files through the single-header stb coders, kept private to this file.

#include "host/image_io.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
// File names are the host's UTF-8 text: on Windows stb turns them into wide names, so a root
// directory named in any script still takes screenshots (the narrow names would be read in the
// system's ANSI code page). Elsewhere these change nothing.
#define STBIW_WINDOWS_UTF8
#define STBI_WINDOWS_UTF8
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

#include "library/real_path.h"
#include "vm/memory_map.h"

namespace corvane {

namespace {

struct StbFree {
    void operator()(unsigned char* p) const { stbi_image_free(p); }
};

bool adopt(unsigned char* pixels, int w, int h, RgbImage& image) {
    std::unique_ptr<unsigned char, StbFree> owner(pixels);
    if (!pixels || w <= 0 || h <= 0) return false;
    image = RgbImage(w, h);
    std::copy(pixels, pixels + size_t(w) * size_t(h) * 3, image.rgb.begin());
    return true;
}

bool lcdPixel(const uint8_t* lcd, int x, int y) {
    return lcd[y * kBitmapStride + x / 8] & (0x80 >> (x % 8));
}

}  // namespace

bool writePng(const std::string& path, const RgbImage& image) {
    if (image.width <= 0 || image.height <= 0) return false;
    return stbi_write_png(path.c_str(), image.width, image.height, 3, image.rgb.data(),
                          image.stride()) != 0;
}

bool readPng(const std::string& path, RgbImage& image) {
    int w = 0, h = 0, channels = 0;
    unsigned char* pixels = stbi_load(path.c_str(), &w, &h, &channels, 3);
    return adopt(pixels, w, h, image);
}

bool decodePng(const uint8_t* data, size_t size, RgbImage& image) {
    int w = 0, h = 0, channels = 0;
    unsigned char* pixels = stbi_load_from_memory(data, int(size), &w, &h, &channels, 3);
    return adopt(pixels, w, h, image);
}

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
