#pragma once
// The skin artwork built into the program: PNG files drawn by mkskin at build time and compiled
// in as byte arrays (the generated skin_art_data.cpp defines them).

#include <cstddef>

namespace corvane::skinart {

struct EncodedImage {
    const unsigned char* data;
    std::size_t size;
};

extern const EncodedImage kFaceUp;    // 435 x 585, keys up
extern const EncodedImage kFaceDown;  // 435 x 585, every key pressed
extern const EncodedImage kSplash;    // 377 x 160

}  // namespace corvane::skinart
