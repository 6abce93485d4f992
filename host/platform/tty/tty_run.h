#pragma once
// corvane-run --tty: a program played in the terminal, until it ends, the quit key (Ctrl+C or
// Ctrl+Q) or a signal. The terminal is checked first: no terminal, or one too small for the
// smallest drawing (80 x 20 braille cells), ends the run with a message and status 1 before
// anything is changed. Whatever the host writes on stderr while the terminal is taken is kept
// and written once it is given back.

#include <cstdio>
#include <string>

#include "host/app.h"
#include "host/cmdline.h"

namespace corvane {

struct TtyRequest {
    std::string cells = "auto";  // "auto", "half" or "braille"
    int wakeFd = -1;             // the interrupt signals' pipe
};

// Whether `cells` names a drawing: auto, half or braille.
bool validTtyCells(const std::string& cells);

// Runs the image of `switches` in the terminal on standard input and output. The exit statuses
// are the runner's: 0 ended (by itself or the quit key), 1 no terminal, too small or not
// loadable, 3 a fault, 130 interrupted by a signal.
int runTerminal(const Switches& switches, const AppSettings& settings, const TtyRequest& request,
                std::FILE* err);

}  // namespace corvane
