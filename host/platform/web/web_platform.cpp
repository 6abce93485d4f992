#include "host/platform/web/web_platform.h"

#include <cstdio>

#include "host/menu.h"
#include "host/page_pacing.h"
#include "host/platform/web/page.h"
#include "host/platform/web/web_keys.h"
#include "host/system_date.h"
#include "host/virtual_keys.h"

namespace corvane {

namespace {

// Real time: the clock lets a batch run as long as the page's loop sizes it (WebLoop, BatchSize).
constexpr uint64_t kRealTimeBatch = BatchSize::kMaxBatch;

}  // namespace

WebPlatform::WebPlatform(const Options& options)
    : options_(options),
      clock_(options.instructionsPerSecond),
      pointers_(WebPointers::Sink{
          [this](PlatformEvent::Type type, int x, int y) { pointerEvent(type, x, y); },
          [this](uint8_t vk, bool down) {
              if (down) {
                  ++holders_[vk];
                  latch_.pressed(vk);
                  push(PlatformEvent::Type::KeyDown, 0, 0, vk);
              } else if (holders_[vk] > 0) {
                  if (--holders_[vk] == 0) latch_.released(vk);
                  push(PlatformEvent::Type::KeyUp, 0, 0, vk);
              }
          },
          [this] { return menuOpen_ && menuOpen_(); },
          [this](const KeyRect& rect, bool pressed) {
              if (drawKey_) drawKey_(rect, pressed);
          }}) {
    if (!options_.virtualTime) now_ = pageNs();
    date_.set(options_.virtualTime ? options_.startDate : systemLocalTime(), nowNs());
}

uint64_t WebPlatform::pageNs() {
    return uint64_t(page::nowMs() * 1e6);
}

uint64_t WebPlatform::nowNs() {
    return options_.virtualTime ? clock_.nowNs() : now_;
}

uint64_t WebPlatform::batchBudget(uint64_t deadlineNs) {
    return options_.virtualTime ? clock_.budgetTo(deadlineNs) : kRealTimeBatch;
}

void WebPlatform::executed(uint64_t count) {
    if (options_.virtualTime) clock_.executed(count);
}

void WebPlatform::waitUntil(uint64_t deadlineNs) {
    if (options_.virtualTime)
        clock_.waitUntil(deadlineNs);
    else
        wake_ = deadlineNs;
}

LocalTime WebPlatform::localTime() {
    return date_.at(nowNs());
}

void WebPlatform::setLocalTime(const LocalTime& time) {
    // A page may not set the computer's clock: the date is this page's own.
    if (!validLocalTime(time)) return;
    LocalTime t = time;
    t.millisecond = 0;
    date_.set(t, nowNs());
}

void WebPlatform::releaseFrame(uint64_t frame) {
    for (const PlatformEvent& e : script_.take(frame)) {
        if (e.type == PlatformEvent::Type::KeyDown) scripted_[e.code & 0xFF] = 0x80;
        if (e.type == PlatformEvent::Type::KeyUp) scripted_[e.code & 0xFF] = 0;
        queue_.push_back(e);
    }
}

bool WebPlatform::key(bool down, const std::string& code, uint32_t character, bool alt) {
    uint8_t vk = 0;
    if (down) {
        auto held = heldCodes_.find(code);
        if (held != heldCodes_.end()) return held->second != 0;  // the browser's auto-repeat
        vk = webKeyOf(code, character);
        if (vk == vk::kEnter && alt) {
            // A shortcut of the window: the program never sees its Enter (nor its release).
            heldCodes_[code] = 0;
            push(PlatformEvent::Type::Command, 0, 0, kCmdFullscreen);
            return true;
        }
        heldCodes_[code] = vk;
        if (vk == 0) return false;
        ++holders_[vk];
        latch_.pressed(vk);
        push(PlatformEvent::Type::KeyDown, 0, 0, vk);
        return true;
    }
    auto held = heldCodes_.find(code);
    if (held == heldCodes_.end()) return virtualKeyOfCode(code) != 0;
    vk = held->second;
    heldCodes_.erase(held);
    if (vk == 0) return false;
    if (holders_[vk] > 0 && --holders_[vk] == 0) latch_.released(vk);
    push(PlatformEvent::Type::KeyUp, 0, 0, vk);
    inputSeen_ = true;
    return true;
}

void WebPlatform::fullscreenLeft() {
    if (layout_.fullscreen) push(PlatformEvent::Type::Command, 0, 0, kCmdFullscreen);
}

void WebPlatform::releaseAll() {
    pointers_.releaseAll();
    for (const auto& [code, vk] : heldCodes_) {
        if (vk == 0) continue;
        holders_[vk] = 0;
        latch_.released(vk);
        push(PlatformEvent::Type::KeyUp, 0, 0, vk);
    }
    heldCodes_.clear();
}

void WebPlatform::dropFile(const std::string& path) {
    PlatformEvent e;
    e.type = PlatformEvent::Type::DropFile;
    e.path = path;
    queue_.push_back(e);
    inputSeen_ = true;
}

bool WebPlatform::takeInputSeen() {
    const bool seen = inputSeen_;
    inputSeen_ = false;
    return seen;
}

bool WebPlatform::pollEvent(PlatformEvent& event) {
    if (queue_.empty()) return false;
    event = queue_.front();
    queue_.pop_front();
    return true;
}

const std::array<uint8_t, 256>& WebPlatform::keyboardState() {
    // The runner's keyboard is its script alone, with no latch: a scripted run here is its run.
    if (options_.virtualTime) return scripted_;
    for (size_t vk = 0; vk < down_.size(); ++vk) down_[vk] = holders_[vk] ? 0x80 : 0;
    return latch_.scan(down_);
}

bool WebPlatform::createWindow(const std::string&, int, int,
                               const std::vector<std::pair<int, int>>&) {
    // The canvas is the page's; the outline is drawn by the face itself.
    return true;
}

void WebPlatform::presentWindow(const RgbImage& image) {
    shown_ = &image;
    const ChangedRows::Span span = changed_.update(image);
    if (span.rows > 0)
        page::present(image.rgb.data(), image.width, image.height, span.first, span.rows);
}

void WebPlatform::uploadWhole() {
    if (!shown_) return;
    changed_.forget();
    changed_.update(*shown_);
    page::present(shown_->rgb.data(), shown_->width, shown_->height, 0, shown_->height);
}

void WebPlatform::beginDrag(int, int) {
    // A page does not move: a press on the body does nothing.
}

void WebPlatform::setView(const ViewLayout& layout) {
    // The page fills the screen or leaves it with the host's mode; which part of the window
    // image the canvas shows follows below.
    if (layout.fullscreen != layout_.fullscreen) page::fullscreen(layout.fullscreen);
    layout_ = layout;
    // The canvas shows the layout's part of the window image; the page scales it to fit.
    page::setSource(layout.source.left, layout.source.top, layout.source.width,
                    layout.source.height);
    uploadWhole();
}

void WebPlatform::pointerEvent(PlatformEvent::Type type, int x, int y) {
    // The host takes pointer positions in the view's output pixels.
    const int scale = layout_.scale > 0 ? layout_.scale : 1;
    push(type, layout_.left + (x - layout_.source.left) * scale,
         layout_.top + (y - layout_.source.top) * scale);
    if (type == PlatformEvent::Type::LeftUp) inputSeen_ = true;
}

void WebPlatform::messageBox(const std::string& text) {
    std::fprintf(stderr, "corvane: %s\n", text.c_str());
    page::message(text);
}

std::optional<std::string> WebPlatform::openFileDialog(const OpenFileRequest& request) {
    // The browser's picker answers later, as a dropped file: for the program image the Open
    // command asks for, it is shown now. A program's FileList cannot wait for it and finds the
    // dialog cancelled.
    if (request.defaultExtension == "vrn") page::pickProgram();
    return std::nullopt;
}

void WebPlatform::fileSaved(const std::string& file) {
    page::saved(file);
}

void WebPlatform::beep() {
    page::beep();
}

bool WebPlatform::debugConnect(uint32_t) {
    // A page has no debugger channel.
    return false;
}

void WebPlatform::debugSend(uint32_t, uint32_t, uint32_t, const uint8_t*, uint32_t) {}

void WebPlatform::push(PlatformEvent::Type type, int x, int y, uint32_t code) {
    PlatformEvent e;
    e.type = type;
    e.x = x;
    e.y = y;
    e.code = code;
    queue_.push_back(e);
}

}  // namespace corvane
