#include "host/platform/sdl/keymap.h"

#include <SDL_keyboard.h>

#include "host/input_map.h"

namespace corvane {

uint8_t virtualKeyOf(SDL_Scancode sc) {
    if (sc >= SDL_SCANCODE_A && sc <= SDL_SCANCODE_Z) return uint8_t('A' + (sc - SDL_SCANCODE_A));
    // The main keyboard's digit row runs 1..9 then 0.
    if (sc >= SDL_SCANCODE_1 && sc <= SDL_SCANCODE_9) return uint8_t('1' + (sc - SDL_SCANCODE_1));
    if (sc >= SDL_SCANCODE_F1 && sc <= SDL_SCANCODE_F12)
        return uint8_t(vk::kF1 + (sc - SDL_SCANCODE_F1));
    switch (sc) {
        case SDL_SCANCODE_0:
            return vk::kDigit0;
        case SDL_SCANCODE_BACKSPACE:
            return vk::kBackspace;
        case SDL_SCANCODE_TAB:
            return vk::kTab;
        case SDL_SCANCODE_RETURN:
            return vk::kEnter;
        case SDL_SCANCODE_LSHIFT:
        case SDL_SCANCODE_RSHIFT:
            return vk::kShift;
        case SDL_SCANCODE_LCTRL:
        case SDL_SCANCODE_RCTRL:
            return vk::kControl;
        case SDL_SCANCODE_LALT:
        case SDL_SCANCODE_RALT:
            return vk::kAlt;
        case SDL_SCANCODE_ESCAPE:
            return vk::kEscape;
        case SDL_SCANCODE_SPACE:
            return vk::kSpace;
        case SDL_SCANCODE_PAGEUP:
            return vk::kPageUp;
        case SDL_SCANCODE_PAGEDOWN:
            return vk::kPageDown;
        case SDL_SCANCODE_END:
            return vk::kEnd;
        case SDL_SCANCODE_HOME:
            return vk::kHome;
        case SDL_SCANCODE_LEFT:
            return vk::kLeft;
        case SDL_SCANCODE_UP:
            return vk::kUp;
        case SDL_SCANCODE_RIGHT:
            return vk::kRight;
        case SDL_SCANCODE_DOWN:
            return vk::kDown;
        case SDL_SCANCODE_INSERT:
            return vk::kInsert;
        case SDL_SCANCODE_DELETE:
            return vk::kDelete;
        case SDL_SCANCODE_SEMICOLON:
            return vk::kSemicolon;
        case SDL_SCANCODE_EQUALS:
            return vk::kEquals;
        case SDL_SCANCODE_COMMA:
            return vk::kComma;
        case SDL_SCANCODE_MINUS:
            return vk::kMinus;
        case SDL_SCANCODE_PERIOD:
            return vk::kFullStop;
        case SDL_SCANCODE_SLASH:
            return vk::kSlash;
        case SDL_SCANCODE_GRAVE:
            return vk::kBackquote;
        case SDL_SCANCODE_LEFTBRACKET:
            return vk::kLeftBracket;
        case SDL_SCANCODE_BACKSLASH:
            return vk::kBackslash;
        case SDL_SCANCODE_RIGHTBRACKET:
            return vk::kRightBracket;
        case SDL_SCANCODE_APOSTROPHE:
            return vk::kQuote;
        // The numeric keypad has keys of its own, which give nothing on the handheld unless the
        // key map binds them.
        case SDL_SCANCODE_KP_0:
            return vk::kNumpad0;
        default:
            if (sc >= SDL_SCANCODE_KP_1 && sc <= SDL_SCANCODE_KP_9)
                return uint8_t(vk::kNumpad0 + 1 + (sc - SDL_SCANCODE_KP_1));
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
