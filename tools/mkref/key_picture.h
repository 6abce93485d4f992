#pragma once
// The reference manual's picture of the face: the skin's own artwork, enlarged, with the PC key
// that presses each face key written under it.

#include "shared/rgb_image.h"

namespace corvane::ref {

RgbImage drawKeyPicture();

}  // namespace corvane::ref
