// The message box drawn in the window: its layout and its picture.

#include "host/message_panel.h"

#include <algorithm>

#include "host/text_wrap.h"
#include "host/virtual_keys.h"
#include "host/window_text.h"

namespace corvane {

namespace {

constexpr int kCaptionHeight = 18;
constexpr int kMargin = 10;
constexpr int kIconSize = 24;
constexpr int kLineHeight = 14;
constexpr int kButtonWidth = 64;
constexpr int kButtonHeight = 22;
constexpr int kMinWidth = 200;
constexpr int kGlyphWidth = 6;  // a single-byte glyph; a double-byte one takes two columns

constexpr Rgb kLight{255, 255, 255};
constexpr Rgb kDark{64, 64, 64};
constexpr Rgb kInk{0, 0, 0};
constexpr Rgb kSign{255, 204, 0};

KeyRect intersect(const KeyRect& a, const KeyRect& b) {
    const int left = std::max(a.left, b.left), top = std::max(a.top, b.top);
    const int right = std::min(a.left + a.width, b.left + b.width);
    const int bottom = std::min(a.top + a.height, b.top + b.height);
    if (right <= left || bottom <= top) return b;
    return {left, top, right - left, bottom - top};
}

void raisedFrame(RgbImage& img, const KeyRect& r) {
    fillRect(img, r.left, r.top, r.width, 1, kLight);
    fillRect(img, r.left, r.top, 1, r.height, kLight);
    fillRect(img, r.left, r.top + r.height - 1, r.width, 1, kDark);
    fillRect(img, r.left + r.width - 1, r.top, 1, r.height, kDark);
    fillRect(img, r.left + 1, r.top + r.height - 2, r.width - 2, 1, kPanelShadow);
    fillRect(img, r.left + r.width - 2, r.top + 1, 1, r.height - 2, kPanelShadow);
}

// A yellow warning triangle with an exclamation mark, kIconSize wide.
void drawSign(RgbImage& img, int left, int top) {
    for (int row = 0; row < kIconSize - 2; ++row) {
        const int half = (row + 1) / 2 + 1;
        const int mid = left + kIconSize / 2;
        fillRect(img, mid - half, top + row, 2 * half, 1, kSign);
        setPixel(img, mid - half, top + row, kDark);
        setPixel(img, mid + half - 1, top + row, kDark);
    }
    fillRect(img, left + 1, top + kIconSize - 2, kIconSize - 2, 1, kDark);
    fillRect(img, left + kIconSize / 2 - 1, top + 7, 2, 9, kInk);
    fillRect(img, left + kIconSize / 2 - 1, top + 18, 2, 2, kInk);
}

}  // namespace

MessagePanel::MessagePanel(std::string_view utf8, const KeyRect& visible) {
    const KeyRect area = intersect(visible, kPanelArea);
    const int textLeft = kMargin + kIconSize + kMargin;  // from the box's left
    const int columns = std::max(10, (area.width - textLeft - kMargin) / kGlyphWidth);
    const std::string wrapped = wrapText(utf8, columns);
    size_t start = 0;
    while (start <= wrapped.size()) {
        size_t end = wrapped.find('\n', start);
        if (end == std::string::npos) end = wrapped.size();
        lines_.push_back(gbDisplayText(std::string_view(wrapped).substr(start, end - start)));
        start = end + 1;
    }
    while (lines_.size() > 1 && lines_.back().empty()) lines_.pop_back();
    // As many lines as the room allows.
    const int chrome = kCaptionHeight + 3 * kMargin + kButtonHeight + 4;
    const size_t room = size_t(std::max(1, (area.height - chrome) / kLineHeight));
    if (lines_.size() > room) {
        lines_.resize(room);
        lines_.back() = fitGbText(lines_.back(), columns * kGlyphWidth - 3 * kGlyphWidth) + "...";
    }
    int widest = 0;
    for (const std::string& line : lines_) widest = std::max(widest, gbTextWidth(line));
    const int textHeight = std::max(kIconSize, int(lines_.size()) * kLineHeight);
    const int width = std::min(area.width, std::max(kMinWidth, textLeft + widest + kMargin));
    const int height = kCaptionHeight + kMargin + textHeight + kMargin + kButtonHeight + kMargin;
    rect_ = {area.left + (area.width - width) / 2,
             area.top + std::max(0, (area.height - height) / 2), width, height};
    ok_ = {rect_.left + (width - kButtonWidth) / 2, rect_.top + height - kMargin - kButtonHeight,
           kButtonWidth, kButtonHeight};
}

bool MessagePanel::closesOn(uint8_t vk) {
    return vk == vk::kEnter || vk == vk::kSpace || vk == vk::kEscape;
}

bool MessagePanel::clickCloses(int x, int y) const {
    return x >= ok_.left && x < ok_.left + ok_.width && y >= ok_.top && y < ok_.top + ok_.height;
}

void MessagePanel::draw(RgbImage& img, const FontTables& fonts) const {
    const KeyRect& r = rect_;
    fillRect(img, r.left, r.top, r.width, r.height, kPanelFace);
    raisedFrame(img, r);
    // The caption bar, as a desktop's active dialog has it.
    fillRect(img, r.left + 3, r.top + 3, r.width - 6, kCaptionHeight - 3, kPanelHighlight);
    drawGbText(img, r.left + 7, r.top + 4, "Tivex", fonts, kPanelHighlightText);
    const int top = r.top + kCaptionHeight + kMargin;
    drawSign(img, r.left + kMargin, top);
    const int textLeft = r.left + kMargin + kIconSize + kMargin;
    for (size_t i = 0; i < lines_.size(); ++i)
        drawGbText(img, textLeft, top + int(i) * kLineHeight + 1, lines_[i], fonts, kInk);
    raisedFrame(img, ok_);
    drawGbText(img, ok_.left + (ok_.width - 2 * kGlyphWidth) / 2, ok_.top + (ok_.height - 12) / 2,
               "OK", fonts, kInk);
}

}  // namespace corvane
