#include "host/platform/sdl/gamepads.h"

namespace corvane {

bool padButtonOf(int b, PadButton& out) {
    // SDL's buttons up to the d-pad come in the order of PadButton.
    if (b < SDL_CONTROLLER_BUTTON_A || b > SDL_CONTROLLER_BUTTON_DPAD_RIGHT) return false;
    out = PadButton(b - SDL_CONTROLLER_BUTTON_A);
    return true;
}

Gamepads::~Gamepads() {
    for (Pad& p : pads_) SDL_GameControllerClose(p.controller);
}

Gamepads::Pad* Gamepads::find(SDL_JoystickID id) {
    for (Pad& p : pads_)
        if (p.id == id) return &p;
    return nullptr;
}

void Gamepads::change(Pad& pad, PadButtons now, std::deque<PlatformEvent>& out) {
    const PadButtons before = pad.held;
    pad.held = now;
    latched_ |= now & ~before;
    for (int b = 0; b < kPadButtons; ++b) {
        const PadButtons bit = PadButtons(1) << b;
        if ((before ^ now) & bit) {
            PlatformEvent e;
            e.type = (now & bit) ? PlatformEvent::Type::PadDown : PlatformEvent::Type::PadUp;
            e.code = uint32_t(b);
            out.push_back(e);
        }
    }
}

bool Gamepads::handle(const SDL_Event& e, std::deque<PlatformEvent>& out) {
    switch (e.type) {
        case SDL_CONTROLLERDEVICEADDED: {
            SDL_GameController* c = SDL_GameControllerOpen(e.cdevice.which);
            if (!c) return true;
            const SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(c));
            if (find(id)) {  // reported twice: SDL counts references, so close this one
                SDL_GameControllerClose(c);
                return true;
            }
            const char* name = SDL_GameControllerName(c);
            pads_.push_back({c, id, name ? name : "", 0, 0, 0});
            PlatformEvent plugged;
            plugged.type = PlatformEvent::Type::PadPlugged;
            plugged.value = 1;
            plugged.path = pads_.back().name;
            out.push_back(plugged);
            return true;
        }
        case SDL_CONTROLLERDEVICEREMOVED: {
            Pad* pad = find(e.cdevice.which);
            if (!pad) return true;
            change(*pad, 0, out);
            PlatformEvent removed;
            removed.type = PlatformEvent::Type::PadPlugged;
            removed.value = 0;
            removed.path = pad->name;
            out.push_back(removed);
            SDL_GameControllerClose(pad->controller);
            pads_.erase(pads_.begin() + (pad - pads_.data()));
            return true;
        }
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP: {
            Pad* pad = find(e.cbutton.which);
            PadButton b;
            if (!pad || !padButtonOf(e.cbutton.button, b)) return true;
            const PadButtons bit = padBit(b);
            change(*pad, e.type == SDL_CONTROLLERBUTTONDOWN ? pad->held | bit : pad->held & ~bit,
                   out);
            return true;
        }
        case SDL_CONTROLLERAXISMOTION: {
            Pad* pad = find(e.caxis.which);
            if (!pad) return true;
            if (e.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX)
                pad->stickX = e.caxis.value;
            else if (e.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY)
                pad->stickY = e.caxis.value;
            else
                return true;
            constexpr PadButtons kStick =
                padBit(PadButton::StickUp) | padBit(PadButton::StickDown) |
                padBit(PadButton::StickLeft) | padBit(PadButton::StickRight);
            change(*pad, (pad->held & ~kStick) | stickDirections(pad->stickX, pad->stickY), out);
            return true;
        }
        default:
            return false;
    }
}

PadButtons Gamepads::buttons() {
    PadButtons b = latched_;
    for (const Pad& p : pads_) b |= p.held;
    latched_ = 0;
    return b;
}

}  // namespace corvane
