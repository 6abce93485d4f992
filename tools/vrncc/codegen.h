#pragma once
// Code generation: the program's functions, its start-up code and its initial data into an
// image.

#include <cstdint>
#include <vector>

#include "tools/vrncc/ast.h"

namespace corvane::cc {

struct Layout {
    uint32_t dataStart = 0x2000;  // globals from here
    uint32_t dataEnd = 0x7000;    // end of DataArea: globals and the frame stack share it
    uint32_t minStack = 1024;     // frame stack a program keeps at least
};

class DebugRecorder;

// The image, or empty when errors were reported. With `debug`, the code carries line and
// function markers and `debug` records where they are; with `check`, the checks of -fcheck.
std::vector<uint8_t> generate(Program& prog, Diagnostics& diag, const Layout& layout = {},
                              DebugRecorder* debug = nullptr, bool check = false);

}  // namespace corvane::cc
