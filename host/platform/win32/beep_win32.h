#pragma once
// The program's Beep made heard on Windows: the beep tone (host/beep_tone.h) as a WAV file in
// memory, played asynchronously by the multimedia functions. Without an audio device the call
// fails and nothing is played or said.

#include <cstdint>
#include <vector>

namespace corvane {

class Win32Beeper {
  public:
    Win32Beeper() = default;
    // Stops a beep still sounding: it plays from this beeper's buffer.
    ~Win32Beeper();
    Win32Beeper(const Win32Beeper&) = delete;
    Win32Beeper& operator=(const Win32Beeper&) = delete;

    void beep();

  private:
    std::vector<uint8_t> wave_;
};

}  // namespace corvane
