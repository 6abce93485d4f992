#pragma once
// The three pictures of the skin, drawn from scratch.

#include "shared/rgb_image.h"

namespace corvane::mkskin {

// The handheld's face, 435 x 585: keys up, or every key drawn pressed. Apart from the keys the
// two pictures are identical, so a key redrawn from either blends into the other.
RgbImage drawFace(bool pressed);

// The idle picture over the LCD area, 377 x 160.
RgbImage drawSplash();

}  // namespace corvane::mkskin
