// The window's size and full screen, the recent files, screenshots with their notice, and the
// About item; with the settings they keep in vorn.ini.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "host/app.h"
#include "host/config_store.h"
#include "host/virtual_keys.h"
#include "host/window.h"
#include "library/path.h"
#include "vm/machine.h"

#ifndef CORVANE_VERSION
#define CORVANE_VERSION "0"
#endif

namespace corvane {
namespace fs = std::filesystem;

namespace {

// Beside the run settings; the recent files have a section of their own.
constexpr const char* kViewSection = "Corvane";
constexpr const char* kRecentSection = "Recent";

// A recent file's menu text: its number and its name (the folder would make the menu too wide).
std::string recentText(int n, const std::string& path) {
    std::string name = hostPathText(hostFsPath(path).filename());
    constexpr size_t kLongest = 40;
    if (name.size() > kLongest) {
        // Cut before a whole character, not inside one of UTF-8's multi-byte sequences.
        size_t cut = kLongest - 3;
        while (cut > 0 && (uint8_t(name[cut]) & 0xC0) == 0x80) --cut;
        name = name.substr(0, cut) + "...";
    }
    return std::to_string(n) + " " + name;
}

std::string sameFile(const std::string& path) {
    std::error_code ec;
    const fs::path canonical = fs::weakly_canonical(fs::absolute(hostFsPath(path), ec), ec);
    return ec ? path : hostPathText(canonical);
}

}  // namespace

void App::startView() {
    if (settings_.writeConfig) readViewSettings();
    if (view_.scale == 0) {
        const Platform::Screen screen = platform_.screen();
        view_.scale = defaultScale(screen.width, screen.height, screen.dpi);
    }
    viewApplied_ = false;
    syncView();
}

void App::setViewMode(const ViewMode& mode) {
    view_ = mode;
    view_.scale = std::clamp(mode.scale == 0 ? 1 : mode.scale, kMinScale, kMaxScale);
    syncView();
    if (window_) {
        // A new size is a new picture: every pixel is uploaded again.
        platform_.presentWindow(window_->image());
    }
}

void App::syncView() {
    if (!window_) return;
    const Platform::Screen screen = platform_.screen();
    // The menu is drawn over the face: an LCD-only full screen shows the face while it is open.
    const ViewLayout layout =
        layoutFor(view_, screen.width, screen.height, window_->menu().isOpen());
    if (!viewApplied_ || layout != layout_) {
        layout_ = layout;
        viewApplied_ = true;
        platform_.setView(layout_);
    }
    Menu& menu = window_->menu();
    for (int n = kMinScale; n <= kMaxScale; ++n)
        menu.setChecked(uint16_t(kCmdScale1 + n - 1), n == view_.scale);
    menu.setChecked(kCmdFullscreen, view_.fullscreen);
    menu.setChecked(kCmdFullscreenLcd, view_.content == FullscreenContent::Lcd);
    menu.setChecked(kCmdRecordWindow, recordWindow_);
    // Whatever loaded an image (the dialog, a drop, the command line, a recent file) puts it
    // first among the recent files.
    if (loader_ && !loader_->imagePath().empty() && loader_->imagePath() != recentNoted_) {
        recentNoted_ = loader_->imagePath();
        noteRecentFile(recentNoted_);
    }
    for (int n = 1; n <= kRecentFiles; ++n) {
        const size_t i = size_t(n - 1);
        menu.setText(uint16_t(kCmdRecent1 + n - 1),
                     i < recent_.size() ? recentText(n, recent_[i]) : std::string());
    }
}

const RgbImage& App::presentedImage() {
    render(window_->image(), layout_, presented_);
    return presented_;
}

bool App::mapPointer(PlatformEvent& event) const {
    using T = PlatformEvent::Type;
    if (event.type != T::LeftDown && event.type != T::LeftUp && event.type != T::RightDown &&
        event.type != T::PointerMove)
        return true;
    if (const auto at = toWindow(layout_, event.x, event.y)) {
        event.x = at->first;
        event.y = at->second;
        return true;
    }
    // On the black border of a full screen: a release still frees a held key, a right press
    // still opens the menu (where the picture is nearest); nothing else happens there.
    if (event.type != T::LeftUp && event.type != T::RightDown) return false;
    const ViewSource& s = layout_.source;
    const int scale = std::max(1, layout_.scale);
    event.x = s.left + std::clamp((event.x - layout_.left) / scale, 0, s.width - 1);
    event.y = s.top + std::clamp((event.y - layout_.top) / scale, 0, s.height - 1);
    return true;
}

bool App::viewEvent(const PlatformEvent& event) {
    if (event.type == PlatformEvent::Type::KeyDown && event.code == vk::kF12 &&
        !window_->menu().isOpen()) {
        saveScreenshot();
        return true;
    }
    return false;
}

bool App::viewCommand(uint16_t id) {
    if (id >= kCmdRecent1 && id <= kCmdRecent8) {
        const size_t i = size_t(id - kCmdRecent1);
        if (i >= recent_.size()) return true;
        // Opened as a file chosen in the dialog is, messages included.
        const std::string file = recent_[i];
        if (loader_->openChosen(file) == LoadResult::Loaded) runLoop_->setUserPaused(false);
        return true;
    }
    if (id >= kCmdScale1 && id <= kCmdScale4) {
        ViewMode mode = view_;
        mode.scale = id - kCmdScale1 + 1;
        mode.fullscreen = false;
        sizeChosen_ = true;
        setViewMode(mode);
        return true;
    }
    switch (id) {
        case kCmdFullscreen: {
            ViewMode mode = view_;
            mode.fullscreen = !mode.fullscreen;
            setViewMode(mode);
            return true;
        }
        case kCmdFullscreenLcd: {
            ViewMode mode = view_;
            mode.content = mode.content == FullscreenContent::Lcd ? FullscreenContent::Face
                                                                  : FullscreenContent::Lcd;
            setViewMode(mode);
            return true;
        }
        case kCmdRecordWindow:
            recordWindow_ = !recordWindow_;
            return true;
        case kCmdAbout:
            platform_.messageBox(aboutText());
            return true;
        default:
            return false;
    }
}

void App::noteRecentFile(const std::string& path) {
    const std::string key = sameFile(path);
    std::erase_if(recent_, [&](const std::string& p) { return sameFile(p) == key; });
    recent_.insert(recent_.begin(),
                   hostPathText(fs::absolute(hostFsPath(path)).lexically_normal()));
    if (recent_.size() > size_t(kRecentFiles)) recent_.resize(size_t(kRecentFiles));
}

std::string App::saveScreenshot() {
    const fs::path dir = settings_.paths.root / "screenshots";
    std::error_code ec;
    fs::create_directories(dir, ec);
    // Named after the machine's date, so a scripted run names its pictures the same every time.
    const LocalTime t = localTime();
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d-%02d%02d%02d", t.year % 10000, t.month % 100,
                  t.day % 100, t.hour % 100, t.minute % 100, t.second % 100);
    fs::path file;
    for (int n = 0;; ++n) {
        file =
            dir / ("corvane-" + std::string(stamp) + (n ? "-" + std::to_string(n) : "") + ".png");
        if (!fs::exists(file, ec)) break;
    }
    // The picture without the notice about an earlier picture.
    window_->clearNotice();
    if (!writePng(hostPathText(file), presentedImage())) {
        notify("无法保存截图!");
        return {};
    }
    notify("截图已保存: " + hostPathText(file.filename()));
    return hostPathText(file);
}

std::string App::aboutText() const {
    const std::string root = directoryText(settings_.paths.root);
    std::string text;
    text += "Corvane " CORVANE_VERSION "\n\n";
    text +=
        "按键: 字母 A-Z, 0, Space, Enter, Esc, Delete (.), 方向键, Page Up/Down, Shift, "
        "F1-F6 是掌机的键; 数字键 1-9 是 b n m g h j t y u.\n";
    text +=
        "F8 复位, F12 截图, Alt+Enter 全屏, 右键 菜单; vorn.ini 的 [Keys] 与 [Gamepad] 可改键.\n";
    text += input_.describe() + "\n";
    text += "根目录: " + root + "\n";
    text += "设定: " + hostPathText(settings_.paths.configFile) + "\n";
    text += "字体: " + hostPathText(settings_.paths.fontFile) + "\n";
    text += "截图: " + hostPathText(settings_.paths.root / "screenshots") + "\n";
    text += "状态: " + hostPathText(settings_.paths.root / "states") + "\n";
    text += "录像: " + hostPathText(settings_.paths.root / "recordings") + "\n";
    return text;
}

void App::readViewSettings() {
    const ConfigStore& ini = *config_;
    // "Size" 0 or missing: chosen for the screen at each start.
    const uint32_t size = ini.getUnsigned(kViewSection, "Size", 0);
    sizeChosen_ = size >= uint32_t(kMinScale) && size <= uint32_t(kMaxScale);
    view_.scale = sizeChosen_ ? int(size) : 0;
    view_.fullscreen = ini.getUnsigned(kViewSection, "Fullscreen", 0) != 0;
    view_.content = contentFromName(ini.getString(kViewSection, "FullscreenShows", "face"))
                        .value_or(FullscreenContent::Face);
    recordWindow_ = ini.getUnsigned(kViewSection, "RecordWindow", 0) != 0;
    recent_.clear();
    for (int n = 1; n <= kRecentFiles; ++n) {
        const std::string file = ini.getString(kRecentSection, "File" + std::to_string(n), "");
        if (!file.empty()) recent_.push_back(file);
    }
}

void App::writeViewSettings() {
    const ConfigStore& ini = *config_;
    // As with the run settings: a key at its default is written only when the file has it.
    auto keep = [&](const char* section, const std::string& key, const std::string& value,
                    const std::string& fallback) {
        const bool present = ini.getString(section, key, "\x01") != "\x01";
        if (present || value != fallback) ini.setString(section, key, value);
    };
    // The size is remembered once the user chose one (a chosen 1x stays 1x on any screen);
    // until then each start picks it for the screen.
    if (sizeChosen_) ini.setString(kViewSection, "Size", std::to_string(view_.scale));
    keep(kViewSection, "Fullscreen", view_.fullscreen ? "1" : "0", "0");
    keep(kViewSection, "FullscreenShows", contentName(view_.content), "face");
    keep(kViewSection, "RecordWindow", recordWindow_ ? "1" : "0", "0");
    for (int n = 1; n <= kRecentFiles; ++n) {
        const size_t i = size_t(n - 1);
        keep(kRecentSection, "File" + std::to_string(n), i < recent_.size() ? recent_[i] : "", "");
    }
}

}  // namespace corvane
