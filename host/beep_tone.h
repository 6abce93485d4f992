#pragma once
// The sound a desktop plays for a program's Beep: a short square tone, its edges ramped so it
// starts and ends without a click. Each backend hands these samples to its own audio.

#include <cstdint>
#include <vector>

namespace corvane {

constexpr int kBeepSampleRate = 22050;
constexpr int kBeepHz = 2000;
constexpr int kBeepMs = 80;

// One beep as signed 16-bit mono samples at `rate`.
std::vector<int16_t> beepSamples(int rate = kBeepSampleRate, int hz = kBeepHz, int ms = kBeepMs);

// The same samples as a complete WAV file (PCM, 16 bits, mono), for audio functions that play
// files from memory.
std::vector<uint8_t> beepWave();

}  // namespace corvane
