#pragma once
// Reading back the GIFs the recorder writes: each frame painted over the picture so far, as a
// viewer shows it. Header-only, so the Windows capture checker uses it without the test library.

#include <gif_lib.h>

#include <cstdint>

#include "host/image_io.h"

namespace corvane::test {

// Paints frame `index` of a slurped GIF over `canvas` (the GIF's full size).
inline void composeGifFrame(const GifFileType* gif, int index, RgbImage& canvas) {
    const SavedImage& img = gif->SavedImages[index];
    const ColorMapObject* map = img.ImageDesc.ColorMap ? img.ImageDesc.ColorMap : gif->SColorMap;
    for (int y = 0; y < img.ImageDesc.Height; ++y) {
        for (int x = 0; x < img.ImageDesc.Width; ++x) {
            const GifColorType c = map->Colors[img.RasterBits[y * img.ImageDesc.Width + x]];
            uint8_t* p = canvas.at(img.ImageDesc.Left + x, img.ImageDesc.Top + y);
            p[0] = c.Red;
            p[1] = c.Green;
            p[2] = c.Blue;
        }
    }
}

}  // namespace corvane::test
