#include "host/gif_recorder.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <filesystem>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace corvane {

namespace {

constexpr int kLcdWidth = 160;
constexpr int kLcdHeight = 80;

// Hundredths of a second from the start of the recording, rounded to the nearest.
uint64_t centiseconds(uint64_t sinceStartNs) {
    return (sinceStartNs + 5'000'000) / 10'000'000;
}

// The application extension that makes viewers play the animation in a loop for ever.
bool putLoopForever(GifFileType* gif) {
    static const GifByteType kApp[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
    static const GifByteType kLoop[] = {1, 0, 0};
    return EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
           EGifPutExtensionBlock(gif, sizeof kApp, kApp) == GIF_OK &&
           EGifPutExtensionBlock(gif, sizeof kLoop, kLoop) == GIF_OK &&
           EGifPutExtensionTrailer(gif) == GIF_OK;
}

// The file names are the host's UTF-8 text. Windows reads a narrow name in its ANSI code page,
// so there the file is opened by its wide name and handed to giflib as a descriptor.
GifFileType* createGif(const std::string& file, int* error) {
#ifdef _WIN32
    const std::filesystem::path name(std::u8string(file.begin(), file.end()));
    const int fd =
        _wopen(name.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0) return nullptr;
    GifFileType* gif = EGifOpenFileHandle(fd, error);
    if (gif == nullptr) _close(fd);
    return gif;
#else
    // Made with the permissions every other file gets (0666 less the umask); giflib's own open
    // would make it readable by its owner alone.
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    GifFileType* gif = EGifOpenFileHandle(fd, error);
    if (gif == nullptr) ::close(fd);
    return gif;
#endif
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
    gif_ = createGif(file, &error);
    if (gif_ == nullptr) return false;
    EGifSetGifVersion(gif_, true);
    // Index 0 is the LCD background as the window shows it, index 1 a pixel that is on.
    const GifColorType colours[2] = {
        blackWhite ? GifColorType{255, 255, 255} : GifColorType{0, 192, 0}, {0, 0, 0}};
    ColorMapObject* map = GifMakeMapObject(2, colours);
    bool ok = map != nullptr &&
              EGifPutScreenDesc(gif_, kLcdWidth * scale_, kLcdHeight * scale_, 1, 0, map) == GIF_OK;
    GifFreeMapObject(map);
    ok = ok && putLoopForever(gif_);
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

bool GifRecorder::writeDescriptor(uint64_t untilNs, int left, int top, int width, int height) {
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
    return EGifPutExtension(gif_, GRAPHICS_EXT_FUNC_CODE, 4, ext) == GIF_OK &&
           EGifPutImageDesc(gif_, left, top, width, height, false, nullptr) == GIF_OK;
}

bool GifRecorder::writePending(uint64_t untilNs) {
    if (window_) return writePendingPicture(untilNs);
    const int width = kLcdWidth * scale_;
    if (!writeDescriptor(untilNs, 0, 0, width, kLcdHeight * scale_)) return false;
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

bool GifRecorder::openWindow(const std::string& file, int width, int height, int scale,
                             uint64_t nowNs) {
    if (gif_ != nullptr || width <= 0 || height <= 0) return false;
    scale_ = std::clamp(scale, 1, 4);
    int error = 0;
    gif_ = createGif(file, &error);
    if (gif_ == nullptr) return false;
    EGifSetGifVersion(gif_, true);
    // The screen descriptor and its palette follow with the first picture.
    window_ = true;
    width_ = width;
    height_ = height;
    failed_ = false;
    hasPending_ = false;
    startNs_ = nowNs;
    written_ = 0;
    shownIndices_.clear();
    return true;
}

void GifRecorder::windowFrame(const RgbImage& picture, uint64_t nowNs) {
    if (gif_ == nullptr || !window_ || picture.width != width_ || picture.height != height_) return;
    if (hasPending_ && picture.rgb == picture_.rgb) return;
    if (!hasPending_ && palette_.empty() && written_ == 0) {
        makePalette(picture);
        ColorMapObject* map = GifMakeMapObject(256, nullptr);
        bool ok = map != nullptr;
        if (ok) {
            for (size_t i = 0; i < palette_.size(); ++i)
                map->Colors[i] = {palette_[i][0], palette_[i][1], palette_[i][2]};
            ok = EGifPutScreenDesc(gif_, width_ * scale_, height_ * scale_, 8, 0, map) == GIF_OK;
        }
        GifFreeMapObject(map);
        ok = ok && putLoopForever(gif_);
        if (!ok) failed_ = true;
    }
    if (hasPending_ && !writePending(nowNs)) failed_ = true;
    picture_ = picture;
    pendingSinceNs_ = nowNs;
    hasPending_ = true;
}

void GifRecorder::makePalette(const RgbImage& first) {
    // The LCD's colours (both palettes), the menu's and the notice's are always exact.
    static const std::array<uint8_t, 3> kExact[] = {
        {0, 192, 0},     {0, 0, 0},    {255, 255, 255}, {0, 255, 0},  {212, 208, 200},
        {128, 128, 128}, {64, 64, 64}, {10, 36, 106},   {32, 32, 32},
    };
    palette_.assign(std::begin(kExact), std::end(kExact));
    const size_t pixels = size_t(first.width) * size_t(first.height);
    std::unordered_map<uint32_t, bool> seen;
    for (size_t i = 0; i < pixels && seen.size() <= 256; ++i) {
        const uint8_t* p = &first.rgb[i * 3];
        seen[uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2]] = true;
    }
    const int room = 256 - int(palette_.size());
    if (int(seen.size()) <= room) {
        for (const auto& [colour, unused] : seen)
            palette_.push_back({uint8_t(colour >> 16), uint8_t(colour >> 8), uint8_t(colour)});
    } else {
        // Too many colours (the face's shading): giflib's median cut picks the rest.
        std::vector<GifByteType> r(pixels), g(pixels), b(pixels), out(pixels);
        for (size_t i = 0; i < pixels; ++i) {
            r[i] = first.rgb[i * 3];
            g[i] = first.rgb[i * 3 + 1];
            b[i] = first.rgb[i * 3 + 2];
        }
        // The quantizer wants a power of two; what it gives beyond the room is dropped.
        int size = 128;
        std::vector<GifColorType> map(256);
        if (GifQuantizeBuffer(unsigned(first.width), unsigned(first.height), &size, r.data(),
                              g.data(), b.data(), out.data(), map.data()) == GIF_OK) {
            for (int i = 0; i < size && int(palette_.size()) < 256; ++i)
                palette_.push_back({map[size_t(i)].Red, map[size_t(i)].Green, map[size_t(i)].Blue});
        }
    }
    palette_.resize(256, {0, 0, 0});
    indexOf_.clear();
    // Exact entries win over a copy that the face's colours may add later in the palette.
    for (size_t i = palette_.size(); i-- > 0;) {
        const auto& c = palette_[i];
        indexOf_[uint32_t(c[0]) << 16 | uint32_t(c[1]) << 8 | c[2]] = uint8_t(i);
    }
}

uint8_t GifRecorder::colourIndex(const uint8_t* rgb) {
    const uint32_t key = uint32_t(rgb[0]) << 16 | uint32_t(rgb[1]) << 8 | rgb[2];
    if (auto it = indexOf_.find(key); it != indexOf_.end()) return it->second;
    // The nearest entry, remembered: a picture has few colours the first did not have.
    int best = 0;
    int bestDistance = 1 << 30;
    for (size_t i = 0; i < palette_.size(); ++i) {
        const int dr = int(palette_[i][0]) - rgb[0];
        const int dg = int(palette_[i][1]) - rgb[1];
        const int db = int(palette_[i][2]) - rgb[2];
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = int(i);
        }
    }
    indexOf_[key] = uint8_t(best);
    return uint8_t(best);
}

bool GifRecorder::writePendingPicture(uint64_t untilNs) {
    const size_t pixels = size_t(width_) * size_t(height_);
    const bool first = shownIndices_.size() != pixels;
    if (first) shownIndices_.assign(pixels, 0);
    // Only the rectangle that changed since the last picture written; the rest stays shown.
    // Rows whose colours did not change are not even looked up in the palette.
    int left = first ? 0 : width_, right = first ? width_ - 1 : -1;
    int top = first ? 0 : height_, bottom = first ? height_ - 1 : -1;
    std::vector<uint8_t> row(static_cast<size_t>(width_));
    const size_t stride = size_t(width_) * 3;
    for (int y = 0; y < height_; ++y) {
        const uint8_t* rgb = picture_.at(0, y);
        if (!first && std::memcmp(rgb, shownRgb_.at(0, y), stride) == 0) continue;
        uint8_t* shown = &shownIndices_[size_t(y) * size_t(width_)];
        for (int x = 0; x < width_; ++x) row[size_t(x)] = colourIndex(rgb + size_t(x) * 3);
        if (!first) {
            for (int x = 0; x < width_; ++x) {
                if (row[size_t(x)] == shown[x]) continue;
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = y;
            }
        }
        std::memcpy(shown, row.data(), row.size());
    }
    shownRgb_ = picture_;
    // Colours that differ but fall on the same entries: the picture shown stays, longer.
    if (right < 0) left = top = right = bottom = 0;
    const int w = right - left + 1;
    const int h = bottom - top + 1;
    if (!writeDescriptor(untilNs, left * scale_, top * scale_, w * scale_, h * scale_))
        return false;
    std::vector<GifPixelType> line(size_t(w) * size_t(scale_));
    for (int y = top; y <= bottom; ++y) {
        const uint8_t* src = &shownIndices_[size_t(y) * size_t(width_) + size_t(left)];
        for (int x = 0; x < w; ++x) std::fill_n(line.begin() + x * scale_, scale_, src[x]);
        for (int r = 0; r < scale_; ++r)
            if (EGifPutLine(gif_, line.data(), int(line.size())) != GIF_OK) return false;
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
