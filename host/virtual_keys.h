#pragma once
// The host's key codes: Windows virtual-key codes, in every front end. The keys of the handheld
// come from library/keycodes.h, which the core maps to device codes; here are the other keys the
// host names: its shortcuts, the dialogs' keys and the keys the key map can bind. Letters and
// digits are their ASCII capitals ('A'-'Z', '0'-'9').

#include <cstdint>

#include "library/keycodes.h"

namespace corvane::vk {

constexpr uint8_t kBackspace = 0x08;
constexpr uint8_t kTab = 0x09;
constexpr uint8_t kControl = 0x11;
constexpr uint8_t kAlt = 0x12;
constexpr uint8_t kEnd = 0x23;
constexpr uint8_t kHome = 0x24;
constexpr uint8_t kInsert = 0x2D;
constexpr uint8_t kNumpad0 = 0x60;  // Numpad1-Numpad9 follow
constexpr uint8_t kF2 = 0x71;       // F1-F12 run on from kF1
constexpr uint8_t kF3 = 0x72;
constexpr uint8_t kF7 = 0x76;
constexpr uint8_t kF8 = 0x77;
constexpr uint8_t kF9 = 0x78;
constexpr uint8_t kF10 = 0x79;
constexpr uint8_t kF11 = 0x7A;
constexpr uint8_t kF12 = 0x7B;

// The punctuation keys of a US keyboard, by the character on the cap (the full stop is kFullStop).
constexpr uint8_t kSemicolon = 0xBA;
constexpr uint8_t kEquals = 0xBB;
constexpr uint8_t kComma = 0xBC;
constexpr uint8_t kMinus = 0xBD;
constexpr uint8_t kSlash = 0xBF;
constexpr uint8_t kBackquote = 0xC0;
constexpr uint8_t kLeftBracket = 0xDB;
constexpr uint8_t kBackslash = 0xDC;
constexpr uint8_t kRightBracket = 0xDD;
constexpr uint8_t kQuote = 0xDE;

}  // namespace corvane::vk
