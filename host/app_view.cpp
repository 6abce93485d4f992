// The window's size and full screen, the recent files, screenshots with their notice, and the
// About item; with the settings they keep in vorn.ini.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "host/app.h"
#include "host/captures.h"
#include "host/config_store.h"
#include "host/screen_fit.h"
#include "host/stored_settings.h"
#include "host/text_wrap.h"
#include "host/texts.h"
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
    // A size kept from a larger screen gives way to the largest this one has room for.
    work_ = platform_.workArea();
    view_.scale = fittingScale(view_.scale, work_);
    viewApplied_ = false;
    syncView();
}

void App::setViewMode(const ViewMode& mode) {
    work_ = platform_.workArea();
    view_ = mode;
    view_.scale = std::clamp(mode.scale == 0 ? 1 : mode.scale, kMinScale, kMaxScale);
    syncView();
    if (window_) {
        // A new size is a new picture: every pixel is uploaded again.
        upload();
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
    // Only the sizes whose window fits the screen's work area are offered.
    for (int n = kMinScale; n <= kMaxScale; ++n) {
        menu.setChecked(uint16_t(kCmdScale1 + n - 1), n == view_.scale);
        menu.setEnabled(uint16_t(kCmdScale1 + n - 1), scaleFits(n, work_));
    }
    menu.setChecked(kCmdFullscreen, view_.fullscreen);
    menu.setChecked(kCmdFullscreenLcd, view_.content == FullscreenContent::Lcd);
    menu.setChecked(kCmdRecordWindow, recordsWindow());
    // Whatever loaded an image (the dialog, a drop, the command line, a recent file) puts it
    // first among the recent files.
    if (loader_ && !loader_->imagePath().empty() && loader_->imagePath() != recentNoted_) {
        recentNoted_ = loader_->imagePath();
        noteRecentFile(recentNoted_);
    }
    // The items' texts are made again only when the list changed: naming a file takes a look at
    // the file system, and the window syncs after every frame.
    if (recentShown_ && *recentShown_ == recent_) return;
    for (int n = 1; n <= kRecentFiles; ++n) {
        const size_t i = size_t(n - 1);
        menu.setText(uint16_t(kCmdRecent1 + n - 1),
                     i < recent_.size() ? recentText(n, recent_[i]) : std::string());
    }
    recentShown_ = recent_;
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
    if (event.type == PlatformEvent::Type::RightDown && !window_->menu().isOpen()) {
        // The menu about to open stays on the part of the window the screen shows, wherever the
        // window has been moved to since.
        work_ = platform_.workArea();
        window_->menu().setBounds(visibleWindowPart(layout_, platform_.windowRect(), work_));
        return false;
    }
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
        work_ = platform_.workArea();
        if (!scaleFits(mode.scale, work_)) return true;  // not offered: the item is greyed
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
            setRecordWindow(!recordsWindow());
            return true;
        case kCmdAbout:
            // Wrapped so the box, sized by its longest line, is no wider than the window.
            platform_.messageBox(wrapText(aboutText(), messageColumns(layout_.outputWidth)));
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
    // The face and the LCD at the size shown, without the notices and signs drawn over them.
    render(window_->capturedImage(), layout_, presented_);
    return saveScreenshot(presented_);
}

std::string App::saveScreenshot(const RgbImage& picture) {
    const std::string file = captures_->saveScreenshot(picture, localTime());
    if (file.empty()) {
        notify(hostText(TextId::NoticeScreenshotFailed));
        return {};
    }
    notify(formatText(TextId::NoticeScreenshotSaved, {hostPathText(hostFsPath(file).filename())}));
    platform_.fileSaved(file);
    return file;
}

std::string App::aboutText() const {
    const std::string root = directoryText(settings_.paths.root);
    std::string text;
    text += "Corvane " CORVANE_VERSION "\n\n";
    text += hostText(TextId::AboutKeys) + "\n";
    text += hostText(TextId::AboutShortcuts) + "\n";
    text += input_.describe() + "\n";
    text += formatText(TextId::AboutRoot, {root}) + "\n";
    text += formatText(TextId::AboutConfig, {hostPathText(settings_.paths.configFile)}) + "\n";
    text += formatText(TextId::AboutFonts, {hostPathText(settings_.paths.fontFile)}) + "\n";
    text += formatText(TextId::AboutScreenshots, {hostPathText(captures_->screenshotDir())}) + "\n";
    text += formatText(TextId::AboutStates, {hostPathText(settings_.paths.root / "states")}) + "\n";
    text += formatText(TextId::AboutRecordings, {hostPathText(captures_->recordingDir())}) + "\n";
    text += formatText(TextId::AboutSizes, {std::to_string(fittingScale(kMaxScale, work_))}) + "\n";
    return text;
}

void App::readViewSettings() {
    ViewSettings stored = stored_->readView();
    sizeChosen_ = stored.size != 0;
    view_.scale = stored.size;
    view_.fullscreen = stored.fullscreen;
    view_.content = stored.content;
    setRecordWindow(stored.recordWindow);
    recent_ = std::move(stored.recent);
}

void App::writeViewSettings() {
    ViewSettings stored;
    stored.size = sizeChosen_ ? view_.scale : 0;
    stored.fullscreen = view_.fullscreen;
    stored.content = view_.content;
    stored.recordWindow = recordsWindow();
    stored.recent = recent_;
    stored_->writeView(stored);
}

}  // namespace corvane
