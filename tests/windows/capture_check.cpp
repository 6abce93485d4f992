// Looks at a picture corvane.exe or corvane-run.exe wrote: a PNG screenshot, or the last frame of
// a GIF recording (every frame composed over the one before). Checks its size and the colour of
// the pixels named, and prints what it found.
//   capture_check FILE WIDTH HEIGHT [--frames N] [X,Y=RRGGBB ...]
// Exit status 0 when everything matched, 1 otherwise.

#include <gif_lib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/image_io.h"
#include "tests/support/gif_frames.h"

namespace {

using corvane::RgbImage;

// The GIF's frames composed; the number of frames, or -1 when it cannot be decoded.
int readGif(const char* file, RgbImage& canvas) {
    int error = 0;
    GifFileType* gif = DGifOpenFileName(file, &error);
    if (!gif) return -1;
    int frames = -1;
    if (DGifSlurp(gif) == GIF_OK) {
        canvas = RgbImage(gif->SWidth, gif->SHeight);
        for (int i = 0; i < gif->ImageCount; ++i) {
            corvane::test::composeGifFrame(gif, i, canvas);
        }
        frames = gif->ImageCount;
    }
    DGifCloseFile(gif, &error);
    return frames;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr,
                     "usage: capture_check FILE WIDTH HEIGHT [--frames N] [X,Y=RRGGBB]...\n");
        return 2;
    }
    const std::string file = argv[1];
    RgbImage image;
    int frames = 1;
    if (file.size() > 4 && file.compare(file.size() - 4, 4, ".gif") == 0) {
        frames = readGif(file.c_str(), image);
    } else if (!corvane::readPng(file, image)) {
        frames = -1;
    }
    if (frames < 0) {
        std::printf("FAIL: %s cannot be decoded\n", file.c_str());
        return 1;
    }
    bool ok = true;
    std::printf("%s: %dx%d, %d frame(s)\n", file.c_str(), image.width, image.height, frames);
    if (image.width != std::atoi(argv[2]) || image.height != std::atoi(argv[3])) {
        std::printf("FAIL: not %sx%s\n", argv[2], argv[3]);
        ok = false;
    }
    for (int i = 4; i < argc; ++i) {
        if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
            const int wanted = std::atoi(argv[++i]);
            if (frames < wanted) {
                std::printf("FAIL: %d frame(s), not at least %d\n", frames, wanted);
                ok = false;
            }
            continue;
        }
        int x = -1, y = -1;
        unsigned rgb = 0;
        if (std::sscanf(argv[i], "%d,%d=%6x", &x, &y, &rgb) != 3 || x < 0 || y < 0 ||
            x >= image.width || y >= image.height) {
            std::printf("FAIL: %s names no pixel of the picture\n", argv[i]);
            ok = false;
            continue;
        }
        const uint8_t* p = image.at(x, y);
        const unsigned got = unsigned(p[0]) << 16 | unsigned(p[1]) << 8 | p[2];
        if (got != rgb) {
            std::printf("FAIL: pixel %d,%d is %06X, not %06X\n", x, y, got, rgb);
            ok = false;
        }
    }
    if (ok) std::printf("ok\n");
    return ok ? 0 : 1;
}
