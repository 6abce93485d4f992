// The block blit draws whole bytes at a time; this checks it against a pixel-by-pixel model of
// the blit on random images, positions (edges and wrapping included), sizes and operations.

#include <random>
#include <vector>

#include "display_fixture.h"
#include "vm/syscalls.h"

namespace corvane::test {
namespace {

// Pixel-at-a-time blit onto a Picture, straight from the rules of the screen model.
void referenceBlit(Picture& p, int x, int y, int w, int h, int type,
                   const std::vector<uint8_t>& image) {
    const int n = (w + 7) / 8, op = type & 0x0F;
    const bool mirror = (type & 0x20) && w % 8 == 0;
    for (int j = 0; j < h; ++j) {
        const int sy = (y + j) & 0xFF;
        if (sy >= 80) continue;
        for (int i = 0; i < w; ++i) {
            const int sx = (x + i) & 0xFF;
            if (sx >= 160) continue;
            const int col = mirror ? w - 1 - i : i;
            bool s = (image[j * n + col / 8] >> (7 - col % 8)) & 1;
            if ((op & 8) || (op & 7) == 2) s = !s;
            uint8_t& px = p.px[sy * 160 + sx];
            switch (op & 7) {
                case 3:
                    px |= s;
                    break;
                case 4:
                    px &= s;
                    break;
                case 5:
                    px ^= s;
                    break;
                default:
                    px = s;
                    break;
            }
        }
    }
}

TEST(BlockBlit, MatchesThePixelModel) {
    std::mt19937 rng(20240611);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const int edgeX[] = {0, 1, 7, 8, 150, 152, 153, 159, 160, 200, 248, 250, 255};
    DisplayMachine d;
    for (int round = 0; round < 1500; ++round) {
        for (int k = 0; k < kBitmapSize; ++k) d.m.mem[kLcdScreen + k] = uint8_t(pick(0, 255));
        const int x = round % 2 ? edgeX[pick(0, 12)] : pick(0, 255);
        const int y = round % 3 ? pick(0, 85) : pick(240, 255);
        const int w = round % 4 ? pick(1, 40) : pick(1, 255);
        const int h = pick(1, 24);
        const int type = 0x40 | (pick(0, 1) << 5) | pick(0, 15);
        std::vector<uint8_t> image(size_t((w + 7) / 8 * h));
        for (uint8_t& b : image) b = uint8_t(pick(0, 255));
        for (size_t k = 0; k < image.size(); ++k) d.m.mem[0x3000 + k] = image[k];

        Picture want = pictureOf(d.m, kLcdScreen);
        referenceBlit(want, x, y, w, h, type, image);
        d.call(sys_WriteBlock,
               {uint32_t(x), uint32_t(y), uint32_t(w), uint32_t(h), uint32_t(type), 0x3000});
        ASSERT_EQ(pictureOf(d.m, kLcdScreen), want)
            << "x " << x << " y " << y << " w " << w << " h " << h << " type " << type;
    }
}

}  // namespace
}  // namespace corvane::test
