#pragma once
// PC keys as the browser reports them: KeyboardEvent.code (the key's position, named as on a US
// keyboard) turned into the host's virtual-key codes, letters and digits following the keyboard
// layout through the key's character (KeyboardEvent.key), as the desktop does.

#include <cstdint>
#include <string_view>

namespace corvane {

// The virtual-key code of the key at a KeyboardEvent.code position, 0 for keys the host has no
// use for.
uint8_t virtualKeyOfCode(std::string_view code);

// The PC key a key press stands for: `character` is the code point of KeyboardEvent.key when it
// is one character, else 0.
uint8_t webKeyOf(std::string_view code, uint32_t character);

}  // namespace corvane
