#pragma once
// What the app keeps of the picture: screenshots, named after the machine's date so a scripted
// run names its pictures the same every time, and recordings of the LCD or of the whole window
// as animated GIFs; each in its folder of the root directory. Every front end saves through here.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "host/image_io.h"
#include "vm/host.h"

namespace corvane {

class GifRecorder;

class Captures {
  public:
    explicit Captures(std::filesystem::path root);
    ~Captures();
    Captures(const Captures&) = delete;
    Captures& operator=(const Captures&) = delete;

    // Where screenshots, recordings go.
    std::filesystem::path screenshotDir() const { return root_ / "screenshots"; }
    std::filesystem::path recordingDir() const { return root_ / "recordings"; }

    // `picture` as <root>/screenshots/corvane-YYYYMMDD-HHMMSS.png at `date` (with -1, -2, ...
    // when taken already); the file written, or empty when it could not be.
    std::string saveScreenshot(const RgbImage& picture, const LocalTime& date) const;

    // Recordings take the whole window as shown (true) or the LCD alone; the choice holds from
    // the next start of a recording.
    void setRecordWindow(bool on) { recordWindow_ = on; }
    bool recordsWindow() const { return recordWindow_; }
    // <root>/recordings/<image name>-<n>.gif, the first n not taken.
    std::string nextRecordingFile(const std::string& imageName) const;
    // Starts a recording whose first frame is the picture now: `window` or the 1,600 bytes of
    // `lcd` (`blackWhite` picks the white background). False when the file cannot be made.
    bool startRecording(const std::string& file, int scale, const RgbImage& window,
                        const uint8_t* lcd, bool blackWhite, uint64_t nowNs);
    // The file is complete once stopped; false when anything could not be written.
    bool stopRecording(uint64_t nowNs);
    bool recording() const;
    // The file of the recording under way (empty when none runs).
    const std::string& recordingFile() const { return recordingFile_; }
    // A frame for the recording, if one runs: the window or the LCD, whichever it takes.
    void frame(const RgbImage& window, const uint8_t* lcd, uint64_t nowNs);

  private:
    std::filesystem::path root_;
    std::unique_ptr<GifRecorder> recorder_;
    bool recordWindow_ = false;
    std::string recordingFile_;
};

}  // namespace corvane
