// The handheld's face: a shaded body cut to the window outline, the screen bezel, a keyboard
// deck and the keys, each key drawn raised or pressed inside its redraw area (the key rectangle
// widened by 3 pixels to the left and top) so that either picture can patch the other.

#include <algorithm>
#include <cmath>
#include <string>

#include "library/keycodes.h"
#include "shared/face/face_layout.h"
#include "tools/mkskin/artwork.h"
#include "tools/mkskin/canvas.h"
#include "tools/mkskin/text.h"

namespace corvane::mkskin {

namespace {

constexpr Color kOutside{24, 26, 30};
constexpr int kSeamY = 288;

struct CapStyle {
    Color top;
    Color bottom;
    Color skirt;
    Color label;
};

constexpr CapStyle kLetterCap{{242, 242, 238}, {204, 206, 205}, {132, 135, 142}, {34, 38, 48}};
constexpr CapStyle kNavCap{{112, 127, 156}, {76, 88, 114}, {44, 52, 70}, {246, 248, 252}};
constexpr CapStyle kEnterCap{{252, 166, 78}, {224, 118, 34}, {140, 68, 18}, {255, 255, 255}};
constexpr CapStyle kEscCap{{230, 104, 96}, {188, 60, 56}, {118, 34, 32}, {255, 255, 255}};
constexpr CapStyle kPowerCap{{226, 78, 68}, {172, 38, 34}, {104, 24, 22}, {255, 255, 255}};
constexpr Color kDigitInk{226, 112, 24};

struct Fonts {
    TextFace letter{"7x13B.pcf.gz"};
    TextFace small{"5x8.pcf.gz"};
    TextFace tiny{"5x7.pcf.gz"};
    TextFace logo{"9x18B.pcf.gz"};
    TextFace caption{"6x10.pcf.gz"};
};

// Distance from (x, y) to the outline and the outward normal of the nearest edge.
struct EdgeInfo {
    float distance;
    float nx;
    float ny;
};

EdgeInfo nearestEdge(float x, float y) {
    EdgeInfo best{1e9f, 0, 0};
    for (size_t i = 0; i + 1 < kWindowOutline.size(); ++i) {
        const float ax = float(kWindowOutline[i].x), ay = float(kWindowOutline[i].y);
        const float bx = float(kWindowOutline[i + 1].x), by = float(kWindowOutline[i + 1].y);
        const float dx = bx - ax, dy = by - ay;
        const float len2 = dx * dx + dy * dy;
        if (len2 == 0) continue;
        const float t = std::clamp(((x - ax) * dx + (y - ay) * dy) / len2, 0.f, 1.f);
        const float px = ax + t * dx - x, py = ay + t * dy - y;
        const float d = std::sqrt(px * px + py * py);
        if (d < best.distance) {
            // Towards the nearest edge point is outwards.
            best = {d, d > 0 ? px / d : 0, d > 0 ? py / d : 0};
        }
    }
    return best;
}

void drawBody(RgbImage& img) {
    // Light falls from the upper left.
    const float lx = -0.55f, ly = -0.83f;
    for (int y = 0; y < img.height; ++y) {
        for (int x = 0; x < img.width; ++x) {
            uint8_t* p = img.at(x, y);
            if (!insideOutline(x, y)) {
                p[0] = uint8_t(kOutside.r), p[1] = uint8_t(kOutside.g), p[2] = uint8_t(kOutside.b);
                continue;
            }
            const bool upper = y < kSeamY;
            const float t = upper ? float(y) / kSeamY : float(y - kSeamY) / (585 - kSeamY);
            Color c = upper ? mix(Color{78, 87, 106}, Color{60, 68, 85}, t)
                            : mix(Color{64, 72, 89}, Color{44, 50, 63}, t);
            // A broad soft sheen across the upper left.
            const float band = (float(x) * 0.8f + float(y) - 260.f) / 150.f;
            c = scale(c, 1.0f + 0.10f * std::exp(-band * band));
            // Rounded edge: lit where it faces the light, shaded where it turns away.
            const EdgeInfo e = nearestEdge(x + 0.5f, y + 0.5f);
            constexpr float kBevel = 7.f;
            if (e.distance < kBevel) {
                const float fall = 1.f - e.distance / kBevel;
                const float facing = e.nx * lx + e.ny * ly;
                c = facing > 0 ? mix(c, Color{170, 180, 200}, 0.55f * facing * fall * fall)
                               : mix(c, Color{14, 16, 22}, -0.6f * facing * fall);
            }
            blend(img, x, y, c, 1.f);
        }
    }
    // The seam between the screen half and the keyboard half.
    for (int x = 0; x < img.width; ++x) {
        if (!insideOutline(x, kSeamY) || !insideOutline(x, kSeamY + 1)) continue;
        const float edgeFade = std::min(1.f, nearestEdge(x + 0.5f, kSeamY + 0.5f).distance / 6.f);
        blend(img, x, kSeamY, Color{26, 29, 37}, 0.9f * edgeFade);
        blend(img, x, kSeamY + 1, Color{110, 120, 140}, 0.5f * edgeFade);
    }
}

// The hinge the lid turns on, below the seam at both edges. The outline leaves the lid and the
// base a gap at the right edge beside the LED and under the barrel (and under the barrel on the
// left): a barrel drawn between them makes those gaps read as the hinge's own. The left side has
// no gap above its barrel in the outline, so the lid's is drawn there as a dark slot.
constexpr int kBarrelTop = kSeamY + 1;
constexpr int kBarrelBottom = 305;  // where the gaps under the barrels begin
constexpr int kBarrelLength = 38;

void drawBarrel(RgbImage& img, int x0, int x1, bool right) {
    constexpr Color kShadow{26, 29, 37};
    constexpr Color kMetal{104, 112, 130};
    constexpr Color kShine{206, 212, 226};
    const float height = float(kBarrelBottom - kBarrelTop);
    for (int y = kBarrelTop; y < kBarrelBottom; ++y) {
        // A cylinder lying along the edge: lit just above its middle, dark where it turns away.
        const float t = (float(y - kBarrelTop) + 0.5f) / height;
        const float round = std::sin(3.14159265f * t);
        const float shine = std::exp(-std::pow((t - 0.32f) / 0.13f, 2.f));
        const Color c = mix(mix(kShadow, kMetal, round), kShine, 0.65f * shine);
        for (int x = x0; x < x1; ++x)
            if (insideOutline(x, y)) blend(img, x, y, c, 1.f);
    }
    // Its inner end: a dark ring where it meets the case, lit on the side facing the light.
    const int end = right ? x0 : x1 - 1;
    const int lit = right ? x0 + 1 : x1 - 2;
    for (int y = kBarrelTop; y < kBarrelBottom; ++y) {
        blend(img, end, y, kShadow, 0.85f);
        blend(img, lit, y, kShine, right ? 0.25f : 0.45f);
    }
    // The gap under the barrel, where the outline's notch is: a dark line across its length.
    for (int x = x0; x < x1; ++x) blend(img, x, kBarrelBottom - 1, kShadow, 0.7f);
}

void drawHinges(RgbImage& img) {
    drawBarrel(img, kWindowWidth - kBarrelLength, kWindowWidth, true);
    drawBarrel(img, 0, kBarrelLength, false);
    // The lid's gap above the left barrel, the right one's mirror image (the outline cuts the
    // right one out of the window).
    const auto mirrored = [](float x, float y) {
        return !insideOutline(kWindowWidth - 1 - int(std::floor(x)), int(std::floor(y))) &&
               y >= 282.f && y < float(kBarrelTop) && x < 44.f;
    };
    fillShape(img, 0, 282, 44, kBarrelTop, mirrored, [](float, float) {
        return Color{16, 18, 23};
    });
}

void drawBezel(RgbImage& img, const Fonts& fonts) {
    fillRoundRect(img, 9, 29, 413, 221, 15, Color{120, 128, 146}, 0.7f);
    fillRoundRectGradient(img, 10, 30, 412, 220, 14, Color{44, 47, 55}, Color{20, 22, 26});
    // Glass reflection over the upper part of the bezel.
    fillRoundRectGradient(img, 12, 31, 410, 120, 12, Color{255, 255, 255}, Color{44, 47, 55},
                          0.06f);
    fillRoundRect(img, kLcdAreaLeft - 2, kLcdAreaTop - 2, kLcdAreaLeft + kLcdAreaWidth + 2,
                  kLcdAreaTop + kLcdAreaHeight + 2, 2, Color{6, 7, 9});
    fillRoundRect(img, kLcdAreaLeft, kLcdAreaTop, kLcdAreaLeft + kLcdAreaWidth,
                  kLcdAreaTop + kLcdAreaHeight, 0, Color{0, 192, 0});
    const Mask caption = fonts.tiny.render("160 x 80  DOT MATRIX");
    drawCentered(img, caption, 210.5f, 212.f, Color{128, 136, 152});
}

void drawLogo(RgbImage& img, const Fonts& fonts) {
    const Mask logo = smoothScale(fonts.logo.render("Corvane"), 2);
    const int x = 30, y = 316;
    drawMask(img, logo, x + 1, y + 2, Color{22, 25, 32}, 0.8f);
    drawMask(img, logo, x, y, Color{214, 220, 232});
    const Mask tagline = fonts.caption.render("POCKET  BYTECODE  MACHINE");
    drawMask(img, tagline, x + 3, y + logo.height + 4, Color{150, 160, 180});

    // Speaker grille: rows of drilled holes with a lit lower lip.
    for (int row = 0; row < 5; ++row) {
        for (int col = 0; col < 9; ++col) {
            const float cx = 334.f + col * 9.f + (row % 2) * 4.5f;
            const float cy = 330.f + row * 9.f;
            fillEllipse(img, cx, cy + 0.8f, 2.6f, 2.6f, Color{120, 130, 150}, 0.6f);
            fillEllipse(img, cx, cy, 2.5f, 2.5f, Color{14, 16, 20});
        }
    }
}

void drawDeck(RgbImage& img) {
    fillRoundRect(img, 6, 429, 429, 578, 11, Color{110, 118, 136}, 0.5f);
    fillRoundRectGradient(img, 7, 429, 428, 577, 10, Color{28, 32, 41}, Color{38, 43, 54});
}

void drawPowerLed(RgbImage& img) {
    fillEllipse(img, 404.f, 269.5f, 7.f, 7.f, Color{60, 255, 120}, 0.12f);
    fillEllipse(img, 404.f, 269.5f, 3.2f, 3.2f, Color{20, 40, 26});
    fillEllipse(img, 404.f, 269.5f, 2.5f, 2.5f, Color{90, 240, 130});
    fillEllipse(img, 403.f, 268.5f, 1.0f, 1.0f, Color{220, 255, 230});
}

// The label of a grid key: main text (or an arrow), and the PC digit that types it, if any.
struct KeyLabel {
    std::string text;
    int arrow = 0;  // 1 up, 2 down, 3 left, 4 right
    char digit = 0;
    const CapStyle* style = &kLetterCap;
};

KeyLabel labelFor(uint8_t key) {
    KeyLabel l;
    if (key >= 'A' && key <= 'Z') {
        l.text = std::string(1, char(key));
        for (int d = 0; d < 9; ++d)
            if (kDigitKeyLetters[d] == char(key | 0x20)) l.digit = char('1' + d);
        return l;
    }
    l.style = &kNavCap;
    switch (key) {
        case vk::kEnter:
            l.text = "Enter";
            l.style = &kEnterCap;
            break;
        case vk::kEscape:
            l.text = "Esc";
            l.style = &kEscCap;
            break;
        case vk::kPageUp:
            l.text = "PgUp";
            break;
        case vk::kPageDown:
            l.text = "PgDn";
            break;
        case vk::kShift:
            l.text = "Shift";
            break;
        case vk::kF5:
            l.text = "F5";
            break;
        case vk::kF6:
            l.text = "F6";
            break;
        case vk::kSpace:
            l.text = "Space";
            l.style = &kLetterCap;
            break;
        case vk::kDigit0:
            l.text = "0";
            l.style = &kLetterCap;
            break;
        case vk::kDelete:
            l.text = ".";
            l.style = &kLetterCap;
            break;
        case vk::kUp:
            l.arrow = 1;
            break;
        case vk::kDown:
            l.arrow = 2;
            break;
        case vk::kLeft:
            l.arrow = 3;
            break;
        case vk::kRight:
            l.arrow = 4;
            break;
        default:
            break;
    }
    return l;
}

void drawArrow(RgbImage& img, float cx, float cy, int dir, Color c) {
    const float s = 5.f;
    switch (dir) {
        case 1:
            fillTriangle(img, cx, cy - s, cx - s, cy + s * 0.6f, cx + s, cy + s * 0.6f, c);
            break;
        case 2:
            fillTriangle(img, cx, cy + s, cx - s, cy - s * 0.6f, cx + s, cy - s * 0.6f, c);
            break;
        case 3:
            fillTriangle(img, cx - s, cy, cx + s * 0.6f, cy - s, cx + s * 0.6f, cy + s, c);
            break;
        case 4:
            fillTriangle(img, cx + s, cy, cx - s * 0.6f, cy - s, cx - s * 0.6f, cy + s, c);
            break;
        default:
            break;
    }
}

// One key inside [left - 3, left + width) x [top - 3, top + height). Raised, the cap sits 2 px up
// and left over its skirt; pressed, it sinks 2 px down and right and loses skirt and shine.
void drawKey(RgbImage& img, const KeyRect& r, const CapStyle& style, bool pressed, float radius,
             const KeyLabel& label, const Fonts& fonts) {
    const float l = float(r.left), t = float(r.top);
    const float w = float(r.width), h = float(r.height);
    // The well the key sits in: the same in both pictures.
    fillRoundRect(img, l - 3, t - 3, l + w + 1, t + h + 1, radius + 2, Color{12, 14, 18}, 0.55f);

    float x0, y0;
    if (pressed) {
        x0 = l;
        y0 = t;
    } else {
        x0 = l - 2;
        y0 = t - 2;
        fillRoundRect(img, x0 + 1.5f, y0 + 1.5f, x0 + w + 1.5f, y0 + h + 1.5f, radius, style.skirt);
    }
    const float x1 = x0 + w - 1, y1 = y0 + h - 1;
    const Color top = pressed ? scale(style.bottom, 0.86f) : style.top;
    const Color bottom = pressed ? scale(style.top, 0.82f) : style.bottom;
    fillRoundRectGradient(img, x0, y0, x1, y1, radius, top, bottom);
    if (!pressed) {
        // A thin lit rim along the top of the cap.
        fillShape(
            img, int(x0), int(y0), int(std::ceil(x1)), int(y0) + 3,
            [&](float x, float y) {
                return insideRoundRect(x, y, x0, y0, x1, y1, radius) &&
                       !insideRoundRect(x, y, x0, y0 + 1.2f, x1, y1, radius);
            },
            [&](float, float) {
                return Color{255, 255, 255};
            },
            0.55f);
    } else {
        // The recess shades the top edge of a pressed cap.
        fillShape(
            img, int(x0), int(y0), int(std::ceil(x1)), int(y0) + 3,
            [&](float x, float y) {
                return insideRoundRect(x, y, x0, y0, x1, y1, radius) &&
                       !insideRoundRect(x, y, x0, y0 + 1.5f, x1, y1, radius);
            },
            [&](float, float) {
                return Color{0, 0, 0};
            },
            0.3f);
    }

    const float cx = (x0 + x1) / 2.f, cy = (y0 + y1) / 2.f;
    const Color ink = pressed ? scale(style.label, 0.9f) : style.label;
    if (label.arrow) {
        drawArrow(img, cx, cy, label.arrow, ink);
    } else if (!label.text.empty()) {
        const bool longLabel = label.text.size() > 2;
        const Mask m = (longLabel ? fonts.small : fonts.letter).render(label.text);
        const float dx = label.digit ? -3.f : 0.f;
        drawCentered(img, m, cx + dx, cy + (longLabel ? 0.f : 0.5f), ink);
    }
    if (label.digit) {
        const Mask m = fonts.tiny.render(std::string(1, label.digit));
        drawMask(img, m, int(x1) - m.width - 2, int(y0) + 2, kDigitInk);
    }
}

}  // namespace

RgbImage drawFace(bool pressed) {
    static const Fonts fonts;
    RgbImage img(kWindowWidth, kWindowHeight);
    drawBody(img);
    drawHinges(img);
    drawBezel(img, fonts);
    drawLogo(img, fonts);
    drawDeck(img);
    drawPowerLed(img);

    const Mask onOff = fonts.tiny.render("ON/OFF");
    drawCentered(img, onOff, kOnOffKey.left + kOnOffKey.width / 2.f, kOnOffKey.top - 10.f,
                 Color{180, 188, 204});
    drawKey(img, kOnOffKey, kPowerCap, pressed, 7.f, KeyLabel{}, fonts);
    for (int i = 0; i < kFKeyCount; ++i) {
        KeyLabel l;
        // Appending (not "F" + ...) sidesteps a false -Wrestrict of GCC 12 at -O3.
        l.text = "F";
        l.text += std::to_string(i + 1);
        drawKey(img, fKeyRect(i), kNavCap, pressed, 7.f, l, fonts);
    }
    for (int row = 0; row < kGridRows; ++row) {
        for (int col = 0; col < kGridColumns; ++col) {
            const KeyLabel l = labelFor(kGridKeys[size_t(row * kGridColumns + col)]);
            drawKey(img, gridKeyRect(row, col), *l.style, pressed, 5.f, l, fonts);
        }
    }
    return img;
}

}  // namespace corvane::mkskin
