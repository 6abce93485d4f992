#pragma once
// Recording of the LCD to an animated GIF (encoded by giflib). A frame is written each time the
// picture changes and shows for as long as the picture stayed: delays follow the clock the frames
// came at, rounded to the format's hundredths of a second from the start of the recording so
// they do not drift. Each device pixel becomes a scale x scale block (1-4).

#include <array>
#include <cstdint>
#include <string>

#include "vm/memory_map.h"

struct GifFileType;

namespace corvane {

class GifRecorder {
  public:
    GifRecorder() = default;
    ~GifRecorder();
    GifRecorder(const GifRecorder&) = delete;
    GifRecorder& operator=(const GifRecorder&) = delete;

    // Starts a recording at clock time `nowNs`. `blackWhite` picks the white background instead
    // of the green one. False when the file cannot be created.
    bool open(const std::string& file, int scale, bool blackWhite, uint64_t nowNs);
    bool isOpen() const { return gif_ != nullptr; }

    // The LCD screen memory (1,600 bytes) at clock time `nowNs`.
    void frame(const uint8_t* lcd, uint64_t nowNs);

    // Writes the last picture (shown until `nowNs`) and closes the file. False when anything
    // could not be written.
    bool close(uint64_t nowNs);

    uint64_t framesWritten() const { return written_; }

  private:
    bool writePending(uint64_t untilNs);

    GifFileType* gif_ = nullptr;
    int scale_ = 1;
    bool failed_ = false;
    bool hasPending_ = false;
    std::array<uint8_t, kBitmapSize> pending_{};
    uint64_t startNs_ = 0;
    uint64_t pendingSinceNs_ = 0;
    uint64_t written_ = 0;
};

}  // namespace corvane
