#pragma once
// The page around the canvas, as the WebAssembly side reaches it: each call hands its arguments
// to the page's script (web/page.js), which owns the canvas, the file picker, the message area
// and the browser's storage. Nothing here decides anything.

#include <cstdint>
#include <string>

namespace corvane::page {

// Rows [first, first + rows) of the 24-bit window image (`width` x `height`) to the canvas.
void present(const uint8_t* rgb, int width, int height, int first, int rows);
// The part of the window image the canvas shows, as the host's view lays it out.
void setSource(int left, int top, int width, int height);
// The page fills the screen (the browser's full screen) or leaves it.
void fullscreen(bool on);
// A message over the page (UTF-8) that stays until dismissed; the simulator runs on.
void message(const std::string& text);
// The browser's file picker for a program image; the choice comes back as a dropped file.
void pickProgram();
// A file the user asked for, written at `path`: the page offers it as a download.
void saved(const std::string& path);
// A short beep through the page's audio.
void beep();
// Writes the root's files to the browser's storage (after what the program's streams hold has
// been flushed into them).
void persist();
// Frame `frame`'s LCD screen memory (1,600 bytes) for the page's test hook.
void lcdCaptured(uint64_t frame, const uint8_t* lcd, int size);
// A byte of the program's console text.
void consoleByte(uint8_t byte);
// The simulator ended (the Exit command): the page says how to start it again.
void ended();

// Milliseconds of the page's monotonic clock (performance.now()), with fractions.
double nowMs();

}  // namespace corvane::page
