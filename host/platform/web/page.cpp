#include "host/platform/web/page.h"

#include <emscripten.h>

// Each function forwards to the page's script, `Module.page` (web/page.js).
// clang-format off
EM_JS(void, corvane_page_present, (const uint8_t* rgb, int width, int height, int first, int rows), {
    const stride = width * 3;
    Module.page.present(HEAPU8.subarray(rgb + first * stride, rgb + (first + rows) * stride),
                        width, height, first, rows);
});
EM_JS(void, corvane_page_set_source, (int left, int top, int width, int height), {
    Module.page.setSource(left, top, width, height);
});
EM_JS(void, corvane_page_fullscreen, (int on), { Module.page.fullscreen(on !== 0); });
EM_JS(void, corvane_page_message, (const char* text), {
    Module.page.message(UTF8ToString(text));
});
EM_JS(void, corvane_page_pick_program, (), { Module.page.pickProgram(); });
EM_JS(void, corvane_page_saved, (const char* path), {
    Module.page.saved(UTF8ToString(path));
});
EM_JS(void, corvane_page_beep, (), { Module.page.beep(); });
EM_JS(void, corvane_page_persist, (), { Module.page.persist(); });
EM_JS(void, corvane_page_lcd_captured, (double frame, const uint8_t* lcd, int size), {
    Module.page.lcdCaptured(frame, HEAPU8.slice(lcd, lcd + size));
});
EM_JS(void, corvane_page_console_byte, (int byte), { Module.page.consoleByte(byte); });
EM_JS(void, corvane_page_ended, (), { Module.page.ended(); });
// clang-format on

namespace corvane::page {

void present(const uint8_t* rgb, int width, int height, int first, int rows) {
    corvane_page_present(rgb, width, height, first, rows);
}

void setSource(int left, int top, int width, int height) {
    corvane_page_set_source(left, top, width, height);
}

void fullscreen(bool on) {
    corvane_page_fullscreen(on ? 1 : 0);
}

void message(const std::string& text) {
    corvane_page_message(text.c_str());
}

void pickProgram() {
    corvane_page_pick_program();
}

void saved(const std::string& path) {
    corvane_page_saved(path.c_str());
}

void beep() {
    corvane_page_beep();
}

void persist() {
    corvane_page_persist();
}

void lcdCaptured(uint64_t frame, const uint8_t* lcd, int size) {
    corvane_page_lcd_captured(double(frame), lcd, size);
}

void consoleByte(uint8_t byte) {
    corvane_page_console_byte(byte);
}

void ended() {
    corvane_page_ended();
}

double nowMs() {
    return emscripten_get_now();
}

}  // namespace corvane::page
