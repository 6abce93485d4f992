// The desktop's beep without an audio device: silently nothing.

#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>

#include "host/platform/sdl/sdl_beep.h"

namespace corvane {
namespace {

TEST(DesktopBeep, NoAudioDeviceIsSilentlyNothing) {
    // A driver that does not exist: the audio subsystem cannot start. Every beep returns at once
    // and says nothing.
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    {
        SdlBeeper beeper;
        testing::internal::CaptureStderr();
        for (int i = 0; i < 3; ++i) beeper.beep();
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    }
    // A device that takes the samples and plays them nowhere: beeps are queued, not piled up.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    {
        SdlBeeper beeper;
        for (int i = 0; i < 100; ++i) beeper.beep();
    }
    unsetenv("SDL_AUDIODRIVER");
}

}  // namespace
}  // namespace corvane
