// The window image: paints, frames, face keys and the pop-up menu on top.

#include "host/window.h"

#include <algorithm>
#include <cstring>

#include "host/window_text.h"
#include "library/gb2312.h"
#include "shared/face/skin_art.h"
#include "vm/machine.h"

namespace corvane {

namespace {

constexpr int kKeyMargin = 3;  // a key is redrawn with 3 more pixels to its left and top

// Copies the w x h rectangle at (x, y) of `src` to the same place in `dst`, clipped to both.
void copyRect(const RgbImage& src, RgbImage& dst, int x, int y, int w, int h) {
    const int x0 = std::max(0, x);
    const int y0 = std::max(0, y);
    const int x1 = std::min({x + w, src.width, dst.width});
    const int y1 = std::min({y + h, src.height, dst.height});
    if (x1 <= x0) return;
    for (int row = y0; row < y1; ++row) {
        std::memcpy(dst.at(x0, row), src.at(x0, row), size_t(x1 - x0) * 3);
    }
}

// Draws `src` one to one with its top-left corner at (x, y) of `dst`, clipped.
void blit(const RgbImage& src, RgbImage& dst, int x, int y) {
    const int w = std::min(src.width, dst.width - x);
    if (w <= 0) return;
    for (int row = 0; row < src.height && y + row < dst.height; ++row) {
        if (y + row < 0) continue;
        std::memcpy(dst.at(x, y + row), src.at(0, row), size_t(w) * 3);
    }
}

RgbImage decodeOrBlank(const skinart::EncodedImage& encoded, int width, int height) {
    RgbImage image;
    if (!decodePng(encoded.data, encoded.size, image)) image = RgbImage(width, height);
    return image;
}

}  // namespace

const SkinArt& builtinSkinArt() {
    static const SkinArt art = [] {
        SkinArt a;
        a.faceUp = decodeOrBlank(skinart::kFaceUp, kWindowWidth, kWindowHeight);
        a.faceDown = decodeOrBlank(skinart::kFaceDown, kWindowWidth, kWindowHeight);
        a.splash = decodeOrBlank(skinart::kSplash, kSplashWidth, kSplashHeight);
        return a;
    }();
    return art;
}

Window::Window(const SkinArt& art, const FontTables* fonts)
    : art_(&art),
      fonts_(fonts),
      base_(kWindowWidth, kWindowHeight),
      shown_(kWindowWidth, kWindowHeight) {}

Window::Window(SkinArtSource source, const FontTables* fonts)
    : source_(source),
      fonts_(fonts),
      base_(kWindowWidth, kWindowHeight),
      shown_(kWindowWidth, kWindowHeight) {}

const SkinArt& Window::art() const {
    if (art_ == nullptr) art_ = &source_();
    return *art_;
}

void Window::settle() const {
    if (faceOwed_) {
        // Around the LCD area, which holds what was presented there since.
        const RgbImage& face = art().faceUp;
        constexpr int lcdRight = kLcdAreaLeft + kLcdAreaWidth;
        constexpr int lcdBottom = kLcdAreaTop + kLcdAreaHeight;
        copyRect(face, base_, 0, 0, kWindowWidth, kLcdAreaTop);
        copyRect(face, base_, 0, lcdBottom, kWindowWidth, kWindowHeight - lcdBottom);
        copyRect(face, base_, 0, kLcdAreaTop, kLcdAreaLeft, kLcdAreaHeight);
        copyRect(face, base_, lcdRight, kLcdAreaTop, kWindowWidth - lcdRight, kLcdAreaHeight);
        faceOwed_ = false;
    }
    if (splashOwed_) {
        blit(art().splash, base_, kLcdAreaLeft, kLcdAreaTop);
        splashOwed_ = false;
    }
}

const RgbImage& Window::capturedImage() const {
    settle();
    return base_;
}

void Window::setFonts(const FontTables* fonts) {
    fonts_ = fonts;
    if (menu_.isOpen()) menuChanged();
}

const RgbImage& Window::image() const {
    if (overlaid()) return shown_;  // made from a settled base_
    settle();
    return base_;
}

void Window::paint(const Machine& machine, int splashState) {
    const bool splash = splashState == 0 || splashState == 2;
    if (art_ != nullptr) {
        copyRect(art_->faceUp, base_, 0, 0, kWindowWidth, kWindowHeight);
        lcd_.present(machine, base_);
        if (splash) blit(art_->splash, base_, kLcdAreaLeft, kLcdAreaTop);
    } else {
        // The LCD fills the LCD area whole; the rest waits for the artwork.
        lcd_.present(machine, base_);
        faceOwed_ = true;
        splashOwed_ = splash;
    }
    lcdCurrent_ = false;
    menuChanged();
}

void Window::frame(const Machine& machine) {
    const uint8_t* lcd = &machine.mem[kLcdScreen];
    if (lcdCurrent_ && presentedInterlaced_ == lcd_.interlaced() &&
        presentedBlackWhite_ == lcd_.blackWhite() &&
        std::equal(presentedLcd_.begin(), presentedLcd_.end(), lcd)) {
        return;
    }
    lcd_.present(machine, base_);
    splashOwed_ = false;  // the LCD covers the whole splash
    std::copy(lcd, lcd + kBitmapSize, presentedLcd_.begin());
    presentedInterlaced_ = lcd_.interlaced();
    presentedBlackWhite_ = lcd_.blackWhite();
    lcdCurrent_ = true;
    menuChanged();
}

void Window::drawKey(const KeyRect& rect, bool pressed) {
    if (rect.empty()) return;
    settle();
    copyRect(pressed ? art().faceDown : art().faceUp, base_, rect.left - kKeyMargin,
             rect.top - kKeyMargin, rect.width + kKeyMargin, rect.height + kKeyMargin);
    menuChanged();
}

void Window::menuChanged() {
    if (overlaid()) {
        settle();
        shown_.rgb = base_.rgb;
        drawSigns();
        drawNotice();
        menu_.draw(shown_, fonts_);
    }
    ++version_;
}

void Window::setNotice(const std::string& utf8) {
    notice_ = utf8;
    menuChanged();
}

void Window::clearNotice() {
    if (notice_.empty()) return;
    notice_.clear();
    menuChanged();
}

void Window::setSigns(const std::vector<std::string>& signs) {
    if (signs == signs_) return;
    signs_ = signs;
    menuChanged();
}

void Window::drawSigns() {
    if (fonts_ == nullptr) return;
    // Small boxes on the bezel's left under the LCD, clear of its label in the middle; the
    // recording's is red as on a camera, the others amber.
    int left = kLcdAreaLeft + 2;
    const int top = kLcdAreaTop + kLcdAreaHeight + 1;
    for (const std::string& sign : signs_) {
        std::string gb;
        utf8ToGb2312(sign, gb);
        const int width = gbTextWidth(gb) + 6;
        const bool record = sign.rfind("●", 0) == 0;
        fillRect(shown_, left, top, width, 14, record ? Rgb{176, 32, 32} : Rgb{160, 112, 0});
        drawGbText(shown_, left + 3, top + 1, gb, *fonts_, Rgb{255, 255, 255});
        left += width + 4;
    }
}

void Window::drawNotice() {
    if (notice_.empty() || fonts_ == nullptr) return;
    // The text ends at a character the code page lacks.
    std::string gb;
    utf8ToGb2312(notice_, gb);
    // A dark box across the bottom of the LCD area, the text centred in it.
    const int width = std::min(kLcdAreaWidth, gbTextWidth(gb) + 12);
    const int left = kLcdAreaLeft + (kLcdAreaWidth - width) / 2;
    const int top = kLcdAreaTop + kLcdAreaHeight - 20;
    fillRect(shown_, left, top, width, 18, Rgb{32, 32, 32});
    drawGbText(shown_, left + 6, top + 3, gb, *fonts_, Rgb{255, 255, 255});
}

WindowEvent Window::fromMenu(uint16_t command) {
    menuChanged();
    if (command == kCmdNone) return {};
    return {WindowEvent::Kind::Command, command};
}

WindowEvent Window::leftButtonDown(int x, int y) {
    if (menu_.isOpen()) return fromMenu(menu_.buttonDown(x, y));
    // A key whose release never arrived is drawn up before the new press replaces it.
    drawKey(skin_.release(), false);
    const std::optional<FaceKey> key = skin_.pressAt(x, y);
    if (!key) return {WindowEvent::Kind::Drag, kCmdNone};
    drawKey(key->rect, true);
    return {};
}

WindowEvent Window::leftButtonUp(int x, int y) {
    // The held face key is released wherever the button comes up, menu or not, so it never
    // stays down for the keyboard scan.
    drawKey(skin_.release(), false);
    if (menu_.isOpen()) return fromMenu(menu_.buttonUp(x, y));
    return {};
}

WindowEvent Window::rightButtonDown(int x, int y) {
    if (menu_.isOpen()) {
        // Another button pressed outside the open menu dismisses it, as a left press does.
        if (menu_.hitTest(x, y).level < 0) menu_.close();
        return fromMenu(kCmdNone);
    }
    menu_.open(x, y);
    return fromMenu(kCmdNone);
}

WindowEvent Window::pointerMove(int x, int y) {
    if (!menu_.isOpen()) return {};
    return fromMenu(menu_.pointerMove(x, y));
}

WindowEvent Window::menuKey(uint8_t key) {
    if (!menu_.isOpen()) return {};
    return fromMenu(menu_.keyDown(key));
}

void Window::displayCommand(uint16_t command) {
    if (command != kCmdInterlace && command != kCmdBlackWhite) return;
    const bool on = !menu_.isChecked(command);
    menu_.setChecked(command, on);
    if (command == kCmdInterlace) {
        lcd_.setInterlaced(on);
    } else {
        lcd_.setBlackWhite(on);
    }
}

}  // namespace corvane
