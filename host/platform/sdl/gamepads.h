#pragma once
// Gamepads through SDL's game-controller layer: any controller SDL knows a mapping for shows the
// same buttons (A, B, X, Y, the d-pad...) whatever its make. Controllers are opened as they are
// plugged in (SDL reports those present at start the same way) and closed when pulled out; a
// button still held on a pad that goes away is released.

#include <SDL.h>

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "host/input_map.h"
#include "host/platform.h"

namespace corvane {

class Gamepads {
  public:
    Gamepads() = default;
    ~Gamepads();
    Gamepads(const Gamepads&) = delete;
    Gamepads& operator=(const Gamepads&) = delete;

    // Handles a controller event, queuing the host's events for it (PadDown, PadUp, PadPlugged).
    // False for every other event.
    bool handle(const SDL_Event& e, std::deque<PlatformEvent>& out);

    // Buttons held on any pad, plus those pressed since the last call (a tap between two frames
    // still counts once).
    PadButtons buttons();

    size_t connected() const { return pads_.size(); }

  private:
    struct Pad {
        SDL_GameController* controller = nullptr;
        SDL_JoystickID id = -1;
        std::string name;
        PadButtons held = 0;
        int stickX = 0;
        int stickY = 0;
    };
    Pad* find(SDL_JoystickID id);
    // Queues the changes from `pad.held` to `now` and takes `now`.
    void change(Pad& pad, PadButtons now, std::deque<PlatformEvent>& out);

    std::vector<Pad> pads_;
    PadButtons latched_ = 0;
};

// The pad button of an SDL controller button; nothing for buttons the host has no name for.
bool padButtonOf(int sdlButton, PadButton& out);

}  // namespace corvane
