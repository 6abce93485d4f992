#include "host/platform/win32/beep_win32.h"

#include <windows.h>
// After windows.h, whose types it uses.
#include <mmsystem.h>

#include "host/beep_tone.h"

namespace corvane {

Win32Beeper::~Win32Beeper() {
    if (!wave_.empty()) PlaySoundW(nullptr, nullptr, 0);
}

void Win32Beeper::beep() {
    if (wave_.empty()) wave_ = beepWave();
    // Asynchronous and never the system's default sound in its place; a beep still sounding is
    // cut short by the next one rather than queued. The buffer stays alive with the beeper.
    PlaySoundW(reinterpret_cast<LPCWSTR>(wave_.data()), nullptr,
               SND_MEMORY | SND_ASYNC | SND_NODEFAULT);
}

}  // namespace corvane
