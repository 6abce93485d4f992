#include "host/platform/tty/tty_platform.h"

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "host/system_date.h"
#include "shared/face/face_layout.h"

namespace corvane {

namespace {

// Window position of LCD pixel (0, 0): its pixels are 2 x 2 blocks, and the row the LCD's own
// row lands on is the lower one of each pair (the upper one goes dark with interlaced scanning).
constexpr int kLcdPixelLeft = 54;
constexpr int kLcdPixelTop = kLcdAreaTop + 1;

uint64_t steadyNs() {
    return uint64_t(std::chrono::duration_cast<std::chrono::nanoseconds>(
                        std::chrono::steady_clock::now().time_since_epoch())
                        .count());
}

// The status line: what to press to leave, or the last message.
constexpr const char* kQuitHint = "Ctrl+C: quit";

}  // namespace

void sampleLcd(const RgbImage& window, LcdPixels& pixels) {
    for (int y = 0; y < kTtyPixelsHigh; ++y) {
        const int wy = (kLcdPixelTop + 2 * y) * window.height / kWindowHeight;
        for (int x = 0; x < kTtyPixelsWide; ++x) {
            const int wx = (kLcdPixelLeft + 2 * x) * window.width / kWindowWidth;
            Rgb& p = pixels[size_t(y * kTtyPixelsWide + x)];
            if (wx >= window.width || wy >= window.height) {
                p = {};
                continue;
            }
            const uint8_t* s = window.at(wx, wy);
            p = {s[0], s[1], s[2]};
        }
    }
}

TtyPlatform::TtyPlatform(Terminal& terminal, const TtyOptions& options)
    : DesktopPlatform(false), terminal_(terminal), options_(options), startNs_(steadyNs()) {
    date_.set(systemLocalTime(), 0);
}

uint64_t TtyPlatform::nowNs() {
    return steadyNs() - startNs_;
}

LocalTime TtyPlatform::localTime() {
    return date_.at(nowNs());
}

void TtyPlatform::setLocalTime(const LocalTime& time) {
    // The terminal's host is not this run's to set: the date moves for this run only.
    date_.set(time, nowNs());
}

bool TtyPlatform::createWindow(const std::string&, int, int,
                               const std::vector<std::pair<int, int>>&) {
    return true;
}

void TtyPlatform::messageBox(const std::string& text) {
    // On stderr too, which the run keeps until the terminal is given back.
    std::fprintf(stderr, "corvane: %s\n", text.c_str());
    messages_.push_back(text);
    drawStatus();
}

void TtyPlatform::take(const std::vector<TerminalKey>& keys) {
    const uint64_t now = nowNs();
    for (const TerminalKey& key : keys) {
        if (key.kind == TerminalKey::Kind::Quit) {
            quitKey_ = true;
            push(PlatformEvent::Type::Quit);
            continue;
        }
        if (held_.press(key.vk, now)) {
            keyDown(key.vk);
        } else {
            // An auto-repeat: still held, and the latch sees it again at the next scan.
            latch_.pressed(key.vk);
        }
    }
}

void TtyPlatform::fetchEvents() {
    const std::string bytes = terminal_.readAvailable();
    const uint64_t now = nowNs();
    if (!bytes.empty()) take(decoder_.feed(bytes, now));
    take(decoder_.flush(now));
    for (uint8_t vk : held_.expire(now)) keyUp(vk);
    // A resized terminal is drawn anew at the next frame.
    if (havePixels_) {
        const TerminalSize size = terminal_.size();
        if (size.columns != shownSize_.columns || size.rows != shownSize_.rows) draw();
    }
}

void TtyPlatform::sleepUntil(uint64_t deadlineNs) {
    for (uint64_t due : {held_.deadline(), decoder_.deadline()})
        if (due != 0 && due < deadlineNs) deadlineNs = due;
    const uint64_t now = nowNs();
    if (deadlineNs <= now) return;
    struct pollfd fds[2] = {{terminal_.inFd(), POLLIN, 0}, {options_.wakeFd, POLLIN, 0}};
    const int timeoutMs = int(std::min<uint64_t>((deadlineNs - now + 999'999) / 1'000'000, 1000));
    poll(fds, options_.wakeFd >= 0 ? 2 : 1, timeoutMs);
}

void TtyPlatform::keysDown(std::array<uint8_t, 256>& down) {
    for (size_t vk = 0; vk < down.size(); ++vk)
        if (held_.held(uint8_t(vk))) down[vk] = 0x80;
}

void TtyPlatform::uploadRows(const RgbImage& image, int first, int rows, bool whole) {
    // Only rows over the LCD matter here.
    const int top = kLcdAreaTop * image.height / kWindowHeight;
    const int bottom = (kLcdAreaTop + kLcdAreaHeight) * image.height / kWindowHeight;
    if (!whole && (first >= bottom || first + rows <= top)) return;
    sampleLcd(image, pixels_);
    havePixels_ = true;
    draw();
}

void TtyPlatform::draw() {
    const TerminalSize size = terminal_.size();
    const bool resized = size.columns != shownSize_.columns || size.rows != shownSize_.rows;
    CellMode mode = options_.mode;
    bool fits = true;
    if (options_.autoMode) {
        fits = chooseCellMode(size, mode);
    } else {
        const TerminalSize need = cellsOf(mode);
        fits = size.columns >= need.columns && size.rows >= need.rows;
    }
    std::string out;
    if (resized) {
        out += "\x1b[0m\x1b[2J";
        shownCells_ = CellFrame();
        shownSize_ = size;
    }
    if (!fits) {
        if (resized || !tooSmall_) {
            const TerminalSize need = cellsOf(options_.autoMode ? CellMode::Braille : mode);
            out += "\x1b[H\x1b[0mThe terminal is too small: make it at least " +
                   std::to_string(need.columns) + " x " + std::to_string(need.rows) +
                   " characters.";
        }
        tooSmall_ = true;
        terminal_.write(out);
        return;
    }
    if (tooSmall_) {
        out += "\x1b[0m\x1b[2J";
        shownCells_ = CellFrame();
        tooSmall_ = false;
    }
    const CellFrame cells = makeCells(pixels_, mode, options_.depth);
    const TerminalSize need = cellsOf(mode);
    // Centred, leaving the last row for the status line when there is one to spare.
    const int spareRows = size.rows - need.rows - 1;
    originRow_ = spareRows > 0 ? spareRows / 2 : 0;
    originColumn_ = (size.columns - need.columns) / 2;
    out += drawCells(shownCells_, cells, originRow_, originColumn_, options_.depth);
    const bool fresh = shownCells_.cells.empty();
    shownCells_ = cells;
    terminal_.write(out);
    if (fresh) drawStatus();
}

void TtyPlatform::drawStatus() {
    if (shownCells_.cells.empty()) return;
    const int row = originRow_ + shownCells_.rows;  // 0-based
    if (row >= shownSize_.rows) return;
    std::string text = messages_.empty() ? kQuitHint : messages_.back() + "  (" + kQuitHint + ")";
    terminal_.write("\x1b[" + std::to_string(row + 1) + ";" + std::to_string(originColumn_ + 1) +
                    "H\x1b[0m\x1b[2K" + text);
}

}  // namespace corvane
