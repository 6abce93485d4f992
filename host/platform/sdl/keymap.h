#pragma once
// PC keys as the host sees them: SDL scancodes (positions on the keyboard, whatever the layout)
// translated to the Windows virtual-key codes the rest of the host works with.

#include <SDL_scancode.h>

#include <cstdint>

namespace corvane {

// The virtual-key code of a scancode, 0 for keys the host has no use for (the numeric keypad
// among them: its digits give nothing on the handheld).
uint8_t virtualKeyOf(SDL_Scancode scancode);

// Virtual-key codes the desktop front end reacts to itself.
constexpr uint8_t kVkF4 = 0x73;
constexpr uint8_t kVkF12 = 0x7B;

}  // namespace corvane
