// The beep tone the desktops play for a program's Beep: its samples and its WAV form.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "host/beep_tone.h"

namespace corvane {
namespace {

TEST(BeepTone, ASquareToneOfTheRightLengthWithoutClicks) {
    struct Case {
        int rate, hz, ms;
    } cases[] = {{kBeepSampleRate, kBeepHz, kBeepMs}, {44100, 1000, 50}, {8000, 440, 200}};
    for (const Case& c : cases) {
        const std::vector<int16_t> s = beepSamples(c.rate, c.hz, c.ms);
        ASSERT_EQ(s.size(), size_t(c.rate * c.ms / 1000)) << c.rate;
        // Silent at both ends, so it starts and stops without a click.
        EXPECT_EQ(s.front(), 0);
        EXPECT_EQ(s.back(), 0);
        // Two sign changes a period: the tone's frequency, within a period.
        int changes = 0;
        int peak = 0;
        for (size_t i = 1; i < s.size(); ++i) {
            if ((s[i - 1] > 0 && s[i] < 0) || (s[i - 1] < 0 && s[i] > 0)) ++changes;
            peak = std::max(peak, std::abs(int(s[i])));
        }
        const int expected = 2 * c.hz * c.ms / 1000;
        EXPECT_NEAR(changes, expected, 2 + expected / 20) << c.rate << " " << c.hz;
        // Loud enough to hear, far from the clipping level.
        EXPECT_GT(peak, 1000);
        EXPECT_LT(peak, 16000);
    }
}

TEST(BeepTone, TheWaveFileHoldsTheSamples) {
    const std::vector<uint8_t> wave = beepWave();
    const std::vector<int16_t> samples = beepSamples();
    auto u32 = [&](size_t at) {
        return uint32_t(wave[at]) | uint32_t(wave[at + 1]) << 8 | uint32_t(wave[at + 2]) << 16 |
               uint32_t(wave[at + 3]) << 24;
    };
    ASSERT_EQ(wave.size(), 44 + samples.size() * 2);
    EXPECT_EQ(std::memcmp(wave.data(), "RIFF", 4), 0);
    EXPECT_EQ(u32(4), wave.size() - 8);
    EXPECT_EQ(std::memcmp(&wave[8], "WAVEfmt ", 8), 0);
    EXPECT_EQ(u32(24), uint32_t(kBeepSampleRate));
    EXPECT_EQ(std::memcmp(&wave[36], "data", 4), 0);
    EXPECT_EQ(u32(40), samples.size() * 2);
    // Little-endian samples, the negative ones too.
    const size_t i = samples.size() / 2 + 6;
    EXPECT_EQ(int16_t(wave[44 + 2 * i] | wave[45 + 2 * i] << 8), samples[i]);
}

}  // namespace
}  // namespace corvane
