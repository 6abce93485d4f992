#pragma once
// The console text screen: output of one byte into the text buffer, and the render of the text
// buffer into the LCD screen memory.

#include <cstdint>

namespace corvane {

struct Machine;

// Console output of one byte (no drawing): control bytes, scrolling, storing.
void consoleOutput(Machine& m, uint8_t byte);

// Redraws the LCD screen memory from the text buffer, honouring and then clearing the skip mask.
// Only the glyphs that changed since the last render are drawn again; the result is the same.
void consoleRender(Machine& m);

// The same render drawing every glyph, whatever is known of the LCD.
void consoleRenderAll(Machine& m);

}  // namespace corvane
