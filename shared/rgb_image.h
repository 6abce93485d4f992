#pragma once
// Plain RGB images and their PNG files: the window image, the face artwork, screenshots.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace corvane {

// 8-bit RGB, rows top-down, 3 bytes a pixel, no padding.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;

    RgbImage() = default;
    RgbImage(int w, int h) : width(w), height(h), rgb(size_t(w) * size_t(h) * 3, 0) {}

    int stride() const { return width * 3; }
    uint8_t* at(int x, int y) { return &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3]; }
    const uint8_t* at(int x, int y) const {
        return &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
    }
    bool operator==(const RgbImage&) const = default;
};

// Writes a PNG; false when the file cannot be written.
bool writePng(const std::string& path, const RgbImage& image);

// Reads a PNG (any channel count, converted to RGB); false when it cannot be read.
bool readPng(const std::string& path, RgbImage& image);

// Decodes a PNG held in memory (the built-in artwork).
bool decodePng(const uint8_t* data, size_t size, RgbImage& image);

}  // namespace corvane
