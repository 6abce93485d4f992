#pragma once
// gdb's `x/NFU ADDR` over the machine's memory: the count, format and unit that follow the
// slash, and the lines that show the bytes read. Formats: x (hexadecimal), d (signed), u
// (unsigned), o (octal), t (binary), c (characters), s (strings) and i (instructions, which the
// session asks the server to disassemble); units: b (1 byte), h (2, the handheld's int), w (4,
// its long). What is not given stays as the last x command had it.

#include <cstdint>
#include <string>
#include <vector>

namespace corvane {

struct ExamineFormat {
    int count = 1;
    char format = 'x';
    int unit = 4;
};

// Reads "/NFU" (any of the three, in that order) over `f`, which holds the last command's
// format. False with `error` when it is not one.
bool parseExamineFormat(const std::string& formatText, ExamineFormat& f, std::string& error);

// How many bytes `f` reads (strings: as many as their search may need).
uint32_t examineBytes(const ExamineFormat& f);

// The lines x shows for the `bytes` read from `address` (fewer than asked at the end of
// memory). `next` receives the address after the last item shown.
std::string examineLines(uint32_t address, const std::vector<uint8_t>& bytes,
                         const ExamineFormat& f, uint32_t& next);

// One byte as C writes it between quotes: itself when printable, else an escape.
std::string quotedChar(uint8_t c, char quote);

}  // namespace corvane
