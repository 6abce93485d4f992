#include "host/gif_recorder.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace corvane {

namespace {

constexpr int kLcdWidth = 160;
constexpr int kLcdHeight = 80;

// Hundredths of a second from the start of the recording, rounded to the nearest.
uint64_t centiseconds(uint64_t sinceStartNs) {
    return (sinceStartNs + 5'000'000) / 10'000'000;
}

}  // namespace

GifRecorder::~GifRecorder() {
    if (gif_ != nullptr) {
        int error = 0;
        EGifCloseFile(gif_, &error);
    }
}

bool GifRecorder::open(const std::string& file, int scale, bool blackWhite, uint64_t nowNs) {
    if (gif_ != nullptr) return false;
    scale_ = std::clamp(scale, 1, 4);
    int error = 0;
    gif_ = EGifOpenFileName(file.c_str(), false, &error);
    if (gif_ == nullptr) return false;
    EGifSetGifVersion(gif_, true);
    // Index 0 is the LCD background as the window shows it, index 1 a pixel that is on.
    const GifColorType colours[2] = {
        blackWhite ? GifColorType{255, 255, 255} : GifColorType{0, 192, 0}, {0, 0, 0}};
    ColorMapObject* map = GifMakeMapObject(2, colours);
    bool ok = map != nullptr &&
              EGifPutScreenDesc(gif_, kLcdWidth * scale_, kLcdHeight * scale_, 1, 0, map) == GIF_OK;
    GifFreeMapObject(map);
    // Loop for ever.
    static const GifByteType kApp[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
    static const GifByteType kLoop[] = {1, 0, 0};
    ok = ok && EGifPutExtensionLeader(gif_, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
         EGifPutExtensionBlock(gif_, sizeof kApp, kApp) == GIF_OK &&
         EGifPutExtensionBlock(gif_, sizeof kLoop, kLoop) == GIF_OK &&
         EGifPutExtensionTrailer(gif_) == GIF_OK;
    failed_ = !ok;
    hasPending_ = false;
    startNs_ = nowNs;
    written_ = 0;
    return ok;
}

void GifRecorder::frame(const uint8_t* lcd, uint64_t nowNs) {
    if (gif_ == nullptr) return;
    if (hasPending_ && std::memcmp(pending_.data(), lcd, kBitmapSize) == 0) return;
    if (hasPending_ && !writePending(nowNs)) failed_ = true;
    std::memcpy(pending_.data(), lcd, kBitmapSize);
    pendingSinceNs_ = nowNs;
    hasPending_ = true;
}

bool GifRecorder::writePending(uint64_t untilNs) {
    const uint64_t from = centiseconds(pendingSinceNs_ - startNs_);
    const uint64_t to = centiseconds(untilNs - startNs_);
    // A picture shorter than a hundredth still shows, for the shortest delay there is.
    const uint64_t delay = std::clamp<uint64_t>(to > from ? to - from : 0, 1, 0xFFFF);
    GraphicsControlBlock gcb{};
    gcb.DisposalMode = DISPOSE_DO_NOT;
    gcb.UserInputFlag = false;
    gcb.DelayTime = int(delay);
    gcb.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType ext[4];
    EGifGCBToExtension(&gcb, ext);
    const int width = kLcdWidth * scale_;
    if (EGifPutExtension(gif_, GRAPHICS_EXT_FUNC_CODE, 4, ext) != GIF_OK ||
        EGifPutImageDesc(gif_, 0, 0, width, kLcdHeight * scale_, false, nullptr) != GIF_OK)
        return false;
    std::vector<GifPixelType> line(static_cast<size_t>(width));
    for (int y = 0; y < kLcdHeight; ++y) {
        for (int x = 0; x < kLcdWidth; ++x) {
            const bool on = pending_[size_t(y * 20 + x / 8)] & (0x80 >> (x % 8));
            std::fill_n(line.begin() + x * scale_, scale_, GifPixelType(on ? 1 : 0));
        }
        for (int r = 0; r < scale_; ++r)
            if (EGifPutLine(gif_, line.data(), width) != GIF_OK) return false;
    }
    ++written_;
    return true;
}

bool GifRecorder::close(uint64_t nowNs) {
    if (gif_ == nullptr) return false;
    if (hasPending_ && !writePending(nowNs)) failed_ = true;
    hasPending_ = false;
    int error = 0;
    const bool closed = EGifCloseFile(gif_, &error) == GIF_OK;
    gif_ = nullptr;
    return closed && !failed_;
}

}  // namespace corvane
