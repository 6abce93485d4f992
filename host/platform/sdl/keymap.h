#pragma once
// PC keys as the host sees them: SDL scancodes translated to the Windows virtual-key codes the
// rest of the host works with, letters and digits following the keyboard layout.

#include <SDL_scancode.h>

#include <cstdint>

#include "host/virtual_keys.h"

namespace corvane {

// The virtual-key code of the key at a scancode's position (as on a US keyboard), 0 for keys the
// host has no use for.
uint8_t virtualKeyOf(SDL_Scancode scancode);

// The PC key a scancode stands for under the keyboard layout in use: letters and digits by the
// character on the cap (layoutKey), every other key by its position.
uint8_t pcKeyOf(SDL_Scancode scancode);

}  // namespace corvane
