#include "host/platform/sdl/sdl_beep.h"

#include <SDL.h>

#include "host/beep_tone.h"

namespace corvane {

SdlBeeper::~SdlBeeper() {
    if (device_ != 0) SDL_CloseAudioDevice(device_);
    if (audioStarted_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SdlBeeper::open() {
    if (device_ != 0) return true;
    if (failed_) return false;
    failed_ = true;  // until the device is there
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    audioStarted_ = true;
    SDL_AudioSpec want{};
    want.freq = kBeepSampleRate;
    want.format = AUDIO_S16SYS;
    want.channels = 1;
    want.samples = 512;
    SDL_AudioSpec have{};
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device_ == 0) return false;
    samples_ = beepSamples();
    SDL_PauseAudioDevice(device_, 0);
    failed_ = false;
    return true;
}

void SdlBeeper::beep() {
    if (!open()) return;
    // A program that beeps in a loop hears one beep at a time, not a backlog.
    if (SDL_GetQueuedAudioSize(device_) > samples_.size() * sizeof(int16_t)) return;
    SDL_QueueAudio(device_, samples_.data(), uint32_t(samples_.size() * sizeof(int16_t)));
}

}  // namespace corvane
