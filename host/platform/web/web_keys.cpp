#include "host/platform/web/web_keys.h"

#include <utility>

#include "host/input_map.h"
#include "host/virtual_keys.h"

namespace corvane {

namespace {

// Every named key the desktop maps, by its KeyboardEvent.code; letters, digits, F-keys and the
// keypad's digits follow a pattern and are worked out below.
constexpr std::pair<std::string_view, uint8_t> kNamedKeys[] = {
    {"Backspace", vk::kBackspace},
    {"Tab", vk::kTab},
    {"Enter", vk::kEnter},
    {"ShiftLeft", vk::kShift},
    {"ShiftRight", vk::kShift},
    {"ControlLeft", vk::kControl},
    {"ControlRight", vk::kControl},
    {"AltLeft", vk::kAlt},
    {"AltRight", vk::kAlt},
    {"Escape", vk::kEscape},
    {"Space", vk::kSpace},
    {"PageUp", vk::kPageUp},
    {"PageDown", vk::kPageDown},
    {"End", vk::kEnd},
    {"Home", vk::kHome},
    {"ArrowLeft", vk::kLeft},
    {"ArrowUp", vk::kUp},
    {"ArrowRight", vk::kRight},
    {"ArrowDown", vk::kDown},
    {"Insert", vk::kInsert},
    {"Delete", vk::kDelete},
    {"Semicolon", vk::kSemicolon},
    {"Equal", vk::kEquals},
    {"Comma", vk::kComma},
    {"Minus", vk::kMinus},
    {"Period", vk::kFullStop},
    {"Slash", vk::kSlash},
    {"Backquote", vk::kBackquote},
    {"BracketLeft", vk::kLeftBracket},
    {"Backslash", vk::kBackslash},
    {"BracketRight", vk::kRightBracket},
    {"Quote", vk::kQuote},
};

bool startsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

}  // namespace

uint8_t virtualKeyOfCode(std::string_view code) {
    if (code.size() == 4 && startsWith(code, "Key") && code[3] >= 'A' && code[3] <= 'Z')
        return uint8_t(code[3]);
    if (code.size() == 6 && startsWith(code, "Digit") && code[5] >= '0' && code[5] <= '9')
        return uint8_t(code[5]);
    if (code.size() == 7 && startsWith(code, "Numpad") && code[6] >= '0' && code[6] <= '9')
        return uint8_t(vk::kNumpad0 + (code[6] - '0'));
    if (startsWith(code, "F") && code.size() >= 2 && code.size() <= 3) {
        int n = 0;
        for (char c : code.substr(1)) {
            if (c < '0' || c > '9') return 0;
            n = n * 10 + (c - '0');
        }
        return n >= 1 && n <= 12 ? uint8_t(vk::kF1 + n - 1) : 0;
    }
    for (const auto& [name, key] : kNamedKeys)
        if (name == code) return key;
    return 0;
}

uint8_t webKeyOf(std::string_view code, uint32_t character) {
    const uint8_t position = virtualKeyOfCode(code);
    // Keys without a position the host knows stay out, whatever character they type.
    if (position == 0) return 0;
    // The keypad's digits type digits too, but are keys of their own, as on the desktop.
    if (position >= vk::kNumpad0 && position <= vk::kNumpad0 + 9) return position;
    return layoutKey(position, character);
}

}  // namespace corvane
