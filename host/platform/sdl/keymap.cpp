#include "host/platform/sdl/keymap.h"

#include <SDL_keyboard.h>

#include "host/input_map.h"

namespace corvane {

uint8_t virtualKeyOf(SDL_Scancode sc) {
    if (sc >= SDL_SCANCODE_A && sc <= SDL_SCANCODE_Z) return uint8_t(0x41 + (sc - SDL_SCANCODE_A));
    // The main keyboard's digit row runs 1..9 then 0.
    if (sc >= SDL_SCANCODE_1 && sc <= SDL_SCANCODE_9) return uint8_t(0x31 + (sc - SDL_SCANCODE_1));
    if (sc >= SDL_SCANCODE_F1 && sc <= SDL_SCANCODE_F12)
        return uint8_t(0x70 + (sc - SDL_SCANCODE_F1));
    switch (sc) {
        case SDL_SCANCODE_0:
            return 0x30;
        case SDL_SCANCODE_BACKSPACE:
            return 0x08;
        case SDL_SCANCODE_TAB:
            return 0x09;
        case SDL_SCANCODE_RETURN:
            return 0x0D;
        case SDL_SCANCODE_LSHIFT:
        case SDL_SCANCODE_RSHIFT:
            return 0x10;
        case SDL_SCANCODE_LCTRL:
        case SDL_SCANCODE_RCTRL:
            return 0x11;
        case SDL_SCANCODE_LALT:
        case SDL_SCANCODE_RALT:
            return 0x12;
        case SDL_SCANCODE_ESCAPE:
            return 0x1B;
        case SDL_SCANCODE_SPACE:
            return 0x20;
        case SDL_SCANCODE_PAGEUP:
            return 0x21;
        case SDL_SCANCODE_PAGEDOWN:
            return 0x22;
        case SDL_SCANCODE_END:
            return 0x23;
        case SDL_SCANCODE_HOME:
            return 0x24;
        case SDL_SCANCODE_LEFT:
            return 0x25;
        case SDL_SCANCODE_UP:
            return 0x26;
        case SDL_SCANCODE_RIGHT:
            return 0x27;
        case SDL_SCANCODE_DOWN:
            return 0x28;
        case SDL_SCANCODE_INSERT:
            return 0x2D;
        case SDL_SCANCODE_DELETE:
            return 0x2E;
        case SDL_SCANCODE_SEMICOLON:
            return 0xBA;
        case SDL_SCANCODE_EQUALS:
            return 0xBB;
        case SDL_SCANCODE_COMMA:
            return 0xBC;
        case SDL_SCANCODE_MINUS:
            return 0xBD;
        case SDL_SCANCODE_PERIOD:
            return 0xBE;
        case SDL_SCANCODE_SLASH:
            return 0xBF;
        case SDL_SCANCODE_GRAVE:
            return 0xC0;
        case SDL_SCANCODE_LEFTBRACKET:
            return 0xDB;
        case SDL_SCANCODE_BACKSLASH:
            return 0xDC;
        case SDL_SCANCODE_RIGHTBRACKET:
            return 0xDD;
        case SDL_SCANCODE_APOSTROPHE:
            return 0xDE;
        // The numeric keypad has keys of its own, which give nothing on the handheld unless the
        // key map binds them.
        case SDL_SCANCODE_KP_0:
            return 0x60;
        default:
            if (sc >= SDL_SCANCODE_KP_1 && sc <= SDL_SCANCODE_KP_9)
                return uint8_t(0x61 + (sc - SDL_SCANCODE_KP_1));
            return 0;
    }
}

uint8_t pcKeyOf(SDL_Scancode sc) {
    const SDL_Keycode key = SDL_GetKeyFromScancode(sc);
    // Keys without a character have the scancode bit set: no character.
    const uint32_t character = (key & SDLK_SCANCODE_MASK) ? 0 : uint32_t(key);
    return layoutKey(virtualKeyOf(sc), character);
}

}  // namespace corvane
