#include "host/captures.h"

#include <cstdio>
#include <system_error>
#include <utility>

#include "host/gif_recorder.h"
#include "library/path.h"

namespace corvane {
namespace fs = std::filesystem;

Captures::Captures(fs::path root) : root_(std::move(root)) {}

Captures::~Captures() = default;

std::string Captures::saveScreenshot(const RgbImage& picture, const LocalTime& date) const {
    const fs::path dir = screenshotDir();
    std::error_code ec;
    fs::create_directories(dir, ec);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d-%02d%02d%02d", date.year % 10000,
                  date.month % 100, date.day % 100, date.hour % 100, date.minute % 100,
                  date.second % 100);
    fs::path file;
    for (int n = 0;; ++n) {
        file =
            dir / ("corvane-" + std::string(stamp) + (n ? "-" + std::to_string(n) : "") + ".png");
        if (!fs::exists(file, ec)) break;
    }
    if (!writePng(hostPathText(file), picture)) return {};
    return hostPathText(file);
}

std::string Captures::nextRecordingFile(const std::string& imageName) const {
    const fs::path dir = recordingDir();
    std::error_code ec;
    for (int n = 1;; ++n) {
        fs::path file = dir / hostFsPath(imageName + "-" + std::to_string(n) + ".gif");
        if (!fs::exists(file, ec)) return hostPathText(file);
    }
}

bool Captures::startRecording(const std::string& file, int scale, const RgbImage& window,
                              const uint8_t* lcd, bool blackWhite, uint64_t nowNs) {
    if (recording()) return false;
    auto recorder = std::make_unique<GifRecorder>();
    std::error_code ec;
    const fs::path target = hostFsPath(file);
    if (target.has_parent_path()) fs::create_directories(target.parent_path(), ec);
    const bool opened = recordWindow_
                            ? recorder->openWindow(file, window.width, window.height, scale, nowNs)
                            : recorder->open(file, scale, blackWhite, nowNs);
    if (!opened) return false;
    // The picture at the start is the first frame, whether or not the program draws again.
    if (recordWindow_)
        recorder->windowFrame(window, nowNs);
    else
        recorder->frame(lcd, nowNs);
    recorder_ = std::move(recorder);
    recordingFile_ = file;
    return true;
}

bool Captures::stopRecording(uint64_t nowNs) {
    if (!recording()) return false;
    const bool ok = recorder_->close(nowNs);
    recorder_.reset();
    recordingFile_.clear();
    return ok;
}

bool Captures::recording() const {
    return recorder_ && recorder_->isOpen();
}

void Captures::frame(const RgbImage& window, const uint8_t* lcd, uint64_t nowNs) {
    if (!recorder_) return;
    if (recorder_->recordsWindow())
        recorder_->windowFrame(window, nowNs);
    else
        recorder_->frame(lcd, nowNs);
}

}  // namespace corvane
