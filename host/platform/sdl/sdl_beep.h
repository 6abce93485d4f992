#pragma once
// The program's Beep made heard with SDL audio: the beep tone (host/beep_tone.h) queued on the
// default output device, opened at the first beep. Without an audio device (none installed, none
// answering) nothing is played and nothing is said, and the device is not asked again.

#include <cstdint>
#include <vector>

namespace corvane {

class SdlBeeper {
  public:
    SdlBeeper() = default;
    ~SdlBeeper();
    SdlBeeper(const SdlBeeper&) = delete;
    SdlBeeper& operator=(const SdlBeeper&) = delete;

    // Queues one beep; a beep still sounding is not followed by a queue of more.
    void beep();

  private:
    bool open();

    uint32_t device_ = 0;
    bool failed_ = false;
    bool audioStarted_ = false;
    std::vector<int16_t> samples_;
};

}  // namespace corvane
