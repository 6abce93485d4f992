#include "host/beep_tone.h"

#include <algorithm>

namespace corvane {

std::vector<int16_t> beepSamples(int rate, int hz, int ms) {
    const int count = rate * ms / 1000;
    // A millisecond's ramp at each end.
    const int ramp = std::max(1, rate / 1000);
    constexpr int kAmplitude = 6000;
    std::vector<int16_t> samples(size_t(count), 0);
    for (int i = 0; i < count; ++i) {
        const int edge = std::min({i, count - 1 - i, ramp});
        const int level = kAmplitude * edge / ramp;
        // The half-period a sample falls in, from the sample's time: exact whatever the rate.
        const bool high = (int64_t(2) * hz * i / rate) % 2 == 0;
        samples[size_t(i)] = int16_t(high ? level : -level);
    }
    return samples;
}

std::vector<uint8_t> beepWave() {
    const std::vector<int16_t> samples = beepSamples();
    const uint32_t dataBytes = uint32_t(samples.size() * 2);
    std::vector<uint8_t> wave(44 + size_t(dataBytes));
    size_t at = 0;
    auto text = [&](const char* s) {
        for (int i = 0; i < 4; ++i) wave[at++] = uint8_t(s[i]);
    };
    auto u16 = [&](uint32_t v) {
        wave[at++] = uint8_t(v);
        wave[at++] = uint8_t(v >> 8);
    };
    auto u32 = [&](uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    text("RIFF");
    u32(36 + dataBytes);
    text("WAVE");
    text("fmt ");
    u32(16);
    u16(1);  // PCM
    u16(1);  // mono
    u32(kBeepSampleRate);
    u32(kBeepSampleRate * 2);  // bytes a second
    u16(2);                    // bytes a frame
    u16(16);                   // bits a sample
    text("data");
    u32(dataBytes);
    for (int16_t sample : samples) u16(uint16_t(sample));
    return wave;
}

}  // namespace corvane
