// PNG files through the single-header stb coders, kept private to this file.

#include "shared/rgb_image.h"

#include <algorithm>
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

}  // namespace corvane
