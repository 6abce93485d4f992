#pragma once
// Which run controls have something to act on. The menu greys an item, and its key (F7, F9, F10,
// F11) answers with one notice over the face, exactly when its control has nothing to act on, so
// every one of them answers alike with no program.

#include <cstdint>

namespace corvane {

struct ProgramPresence {
    bool running = false;      // a program is loaded and has not ended
    bool imageLoaded = false;  // an image is in the buffer (also after its program was closed)
    bool recording = false;    // a recording is under way
};

// Pausing, saving a state and starting a recording need a running program; a recording under way
// can always be stopped; loading a state needs an image it could resume. Every other command is
// available.
bool controlAvailable(uint16_t command, const ProgramPresence& presence);

}  // namespace corvane
