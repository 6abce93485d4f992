#pragma once
// The LCD screen memory as image files (screenshots, golden test images), beside the plain RGB
// images of the window.

#include <cstdint>
#include <string>

#include "shared/rgb_image.h"

namespace corvane {

// Writes the 160 x 80 one-bit LCD screen memory (20 bytes a row, most significant bit leftmost,
// set bit dark) as a binary PBM, or as a PNG with dark pixels black on white.
bool writeLcdPbm(const std::string& path, const uint8_t* lcd);
bool writeLcdPng(const std::string& path, const uint8_t* lcd);

}  // namespace corvane
