#include "tools/mkref/key_picture.h"

#include <string>

#include "library/keycodes.h"
#include "shared/face/face_layout.h"
#include "tools/mkskin/artwork.h"
#include "tools/mkskin/canvas.h"
#include "tools/mkskin/text.h"

namespace corvane::ref {
namespace {

using mkskin::Color;

constexpr int kScale = 2;
constexpr int kLegendHeight = 96;
constexpr Color kPaper{255, 255, 255};
constexpr Color kTag{255, 214, 92};
constexpr Color kTagInk{30, 30, 36};
constexpr Color kLegendInk{40, 44, 56};

// The PC key that presses a face key, as a user reads it on the keyboard.
std::string pcKeyName(uint8_t vkCode) {
    if (vkCode >= 'A' && vkCode <= 'Z') {
        std::string name(1, char(vkCode));
        for (int d = 0; d < 9; ++d)
            if (kDigitKeyLetters[d] == char(vkCode | 0x20)) name += " or " + std::to_string(d + 1);
        return name;
    }
    if (vkCode >= vk::kF1 && vkCode <= vk::kF6) return "F" + std::to_string(vkCode - vk::kF1 + 1);
    switch (vkCode) {
        case 0:
            return "no PC key";
        case vk::kEnter:
            return "Enter";
        case vk::kEscape:
            return "Esc";
        case vk::kSpace:
            return "Space";
        case vk::kPageUp:
            return "Page Up";
        case vk::kPageDown:
            return "Page Down";
        case vk::kShift:
            return "Shift";
        case vk::kDelete:
            return "Delete";
        case vk::kDigit0:
            return "0";
        case vk::kUp:
            return "Up";
        case vk::kDown:
            return "Down";
        case vk::kLeft:
            return "Left";
        case vk::kRight:
            return "Right";
        default:
            return "?";
    }
}

}  // namespace

RgbImage drawKeyPicture() {
    const RgbImage face = mkskin::drawFace(false);
    RgbImage img(face.width * kScale, face.height * kScale + kLegendHeight);
    for (int y = 0; y < img.height; ++y) {
        for (int x = 0; x < img.width; ++x) {
            const int fx = x / kScale, fy = y / kScale;
            uint8_t* p = img.at(x, y);
            if (fy < face.height && insideOutline(fx, fy)) {
                const uint8_t* s = face.at(fx, fy);
                p[0] = s[0], p[1] = s[1], p[2] = s[2];
            } else {
                p[0] = p[1] = p[2] = 255;
            }
        }
    }

    const mkskin::TextFace tagFont("6x13.pcf.gz");
    const mkskin::TextFace legendFont("7x13.pcf.gz");
    for (const FaceKey& k : faceKeys()) {
        const std::string name = pcKeyName(k.vk);
        const mkskin::Mask m = tagFont.render(name);
        const float cx = (k.rect.left + k.rect.width / 2.f) * kScale;
        const float top = float((k.rect.top + k.rect.height) * kScale + 2);
        const float half = m.width / 2.f + 3;
        mkskin::fillRoundRect(img, cx - half, top, cx + half, top + float(m.height) + 2, 3, kTag);
        mkskin::drawCentered(img, m, cx, top + 1 + m.height / 2.f, kTagInk);
    }

    const char* legend[] = {
        "Yellow tags: the PC key that presses each key of the face (a mouse click on the key does "
        "too).",
        "Number row 1-9: the letters with a small orange digit (1 B, 2 N, 3 M, 4 G, 5 H, 6 J, 7 T, "
        "8 Y, 9 U).",
        "The face's \".\" key is Delete; CheckKey and ReleaseKey test the PC's \".\" key for it.",
        "Not on the face: F8 resets the program, F12 saves a screenshot, the right button opens "
        "the menu.",
    };
    int y = face.height * kScale + 10;
    for (const char* line : legend) {
        const mkskin::Mask m = legendFont.render(line);
        mkskin::drawMask(img, m, 16, y, kLegendInk);
        y += m.height + 6;
    }
    (void)kPaper;
    return img;
}

}  // namespace corvane::ref
