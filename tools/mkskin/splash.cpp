// The idle picture: the name on a dark glass background and how to open a program.

#include <cmath>

#include "shared/face/face_layout.h"
#include "tools/mkskin/artwork.h"
#include "tools/mkskin/canvas.h"
#include "tools/mkskin/text.h"

namespace corvane::mkskin {

namespace {

// A small mouse with its right button lit, the button that opens the menu.
void drawMouse(RgbImage& img, float x, float y) {
    const Color body{200, 210, 226};
    const Color lit{120, 230, 150};
    fillRoundRect(img, x, y, x + 14, y + 20, 7, body);
    fillRoundRect(img, x + 1.2f, y + 1.2f, x + 12.8f, y + 18.8f, 6, Color{30, 44, 62});
    // Right button: the upper right quarter.
    fillShape(
        img, int(x), int(y), int(x) + 15, int(y) + 10,
        [&](float px, float py) {
            return insideRoundRect(px, py, x + 1.2f, y + 1.2f, x + 12.8f, y + 18.8f, 6) &&
                   px >= x + 7.6f && py < y + 8.f;
        },
        [&](float, float) { return lit; });
    fillRoundRect(img, x + 6.6f, y + 1, x + 7.4f, y + 8, 0, body);
    fillRoundRect(img, x + 1, y + 7.6f, x + 13, y + 8.4f, 0, body);
}

}  // namespace

RgbImage drawSplash() {
    RgbImage img(kSplashWidth, kSplashHeight);
    // Deep blue glass, brighter towards the middle.
    for (int y = 0; y < img.height; ++y) {
        for (int x = 0; x < img.width; ++x) {
            const float dx = (x - 188.f) / 200.f, dy = (y - 62.f) / 110.f;
            const float glow = std::exp(-(dx * dx + dy * dy) * 1.6f);
            const Color c = mix(Color{8, 14, 24}, Color{30, 62, 92}, glow);
            blend(img, x, y, c, 1.f);
        }
    }
    // Fine scan lines, as on the LCD.
    for (int y = 0; y < img.height; y += 2)
        for (int x = 0; x < img.width; ++x) blend(img, x, y, Color{0, 0, 0}, 0.12f);

    const TextFace logoFace("9x18B.pcf.gz");
    const Mask logo = smoothScale(logoFace.render("Corvane"), 3);
    const float cx = img.width / 2.f;
    drawCentered(img, logo, cx + 2, 60.f + 3, Color{0, 0, 0}, 0.5f);
    drawCentered(img, logo, cx, 60.f, Color{150, 255, 180}, 1.f);
    // A thin rule under the name.
    fillRoundRect(img, cx - 100, 94, cx + 100, 95, 0, Color{90, 170, 120}, 0.6f);

    const TextFace hanzi("wenquanyi_12pt.pcf");
    const TextFace latin("6x13.pcf.gz");
    const Mask hintCn = hanzi.render("单击右键，打开Quillbox文件");
    const Mask hintEn = latin.render("Right-click to open a program");
    const float textLeft = cx - std::max(hintCn.width, hintEn.width) / 2.f + 12.f;
    drawMouse(img, textLeft - 26.f, 108.f);
    drawMask(img, hintCn, int(textLeft), 104, Color{220, 232, 244});
    drawMask(img, hintEn, int(textLeft), 124, Color{150, 170, 196});
    return img;
}

}  // namespace corvane::mkskin
