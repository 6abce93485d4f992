#include "host/desktop_platform.h"

#include <cstdio>
#include <cstring>

#include "host/paths.h"

namespace corvane {

bool desktopMessageBoxes() {
    return !environmentFlag("CORVANE_NO_MESSAGE_BOXES");
}

ChangedRows::Span ChangedRows::update(const RgbImage& image) {
    Span span;
    if (last_.width != image.width || last_.height != image.height) {
        last_ = image;
        span.rows = image.height;
        span.whole = true;
        return span;
    }
    const size_t stride = size_t(image.stride());
    int first = 0, last = image.height - 1;
    while (first <= last && std::memcmp(image.at(0, first), last_.at(0, first), stride) == 0)
        ++first;
    if (first > last) return span;
    while (std::memcmp(image.at(0, last), last_.at(0, last), stride) == 0) --last;
    std::memcpy(last_.at(0, first), image.at(0, first), stride * size_t(last - first + 1));
    span.first = first;
    span.rows = last - first + 1;
    return span;
}

const std::array<uint8_t, 256>& KeyLatch::scan(const std::array<uint8_t, 256>& down) {
    for (size_t vk = 0; vk < keys_.size(); ++vk) {
        keys_[vk] = (down[vk] & 0x80) || latched_[vk] ? 0x80 : 0;
        if (suppressed_[vk]) keys_[vk] = 0;
    }
    latched_.fill(false);
    return keys_;
}

void DesktopPlatform::waitUntil(uint64_t deadlineNs) {
    if (pending_.empty()) sleepUntil(deadlineNs);
    moreQueued_ = true;  // whatever woke us, look at the queue at once
}

bool DesktopPlatform::pollEvent(PlatformEvent& event) {
    if (pending_.empty()) {
        const uint64_t now = nowNs();
        if (!moreQueued_ && now - lastPumpNs_ < kPumpIntervalNs) return false;
        lastPumpNs_ = now;
        fetchEvents();
        moreQueued_ = !pending_.empty();
        if (pending_.empty()) return false;
    }
    event = pending_.front();
    pending_.pop_front();
    return true;
}

const std::array<uint8_t, 256>& DesktopPlatform::keyboardState() {
    down_.fill(0);
    keysDown(down_);
    return latch_.scan(down_);
}

void DesktopPlatform::presentWindow(const RgbImage& image) {
    shown_ = &image;
    const ChangedRows::Span span = changed_.update(image);
    if (span.rows > 0) uploadRows(image, span.first, span.rows, span.whole);
}

void DesktopPlatform::uploadWhole(const RgbImage& image) {
    changed_.forget();
    changed_.update(image);
    uploadRows(image, 0, image.height, true);
}

void DesktopPlatform::messageBox(const std::string& text) {
    std::fprintf(stderr, "corvane: %s\n", text.c_str());
    std::fflush(stderr);
    if (!messageBoxes_) return;
    const size_t before = pending_.size();
    showMessageBox(text);
    // The box's own loop may have handed the window presses and commands meanwhile: they were
    // meant for the box, and one of them repeated would only bring the same box back.
    using T = PlatformEvent::Type;
    for (size_t i = pending_.size(); i-- > before;) {
        const T type = pending_[i].type;
        if (type == T::KeyDown || type == T::LeftDown || type == T::RightDown ||
            type == T::Command || type == T::DropFile || type == T::PadDown)
            pending_.erase(pending_.begin() + std::ptrdiff_t(i));
    }
}

void DesktopPlatform::push(PlatformEvent::Type type, int x, int y, uint32_t code) {
    PlatformEvent e;
    e.type = type;
    e.x = x;
    e.y = y;
    e.code = code;
    pending_.push_back(e);
}

void DesktopPlatform::keyDown(uint8_t vk) {
    latch_.pressed(vk);
    push(PlatformEvent::Type::KeyDown, 0, 0, vk);
}

void DesktopPlatform::keyUp(uint8_t vk) {
    latch_.released(vk);
    push(PlatformEvent::Type::KeyUp, 0, 0, vk);
}

}  // namespace corvane
