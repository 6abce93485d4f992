#pragma once
// The signs on the face that say which running mode is on: a recording under way, a pause, a
// rewind and fast-forward. Each mode that changes what the player sees has its sign while it
// lasts; the signs are drawn over the face, never into a recording or a screenshot.

#include <cstdint>
#include <string>
#include <vector>

namespace corvane {

struct RunModes {
    bool running = false;      // a program is loaded and has not ended
    bool recording = false;    // a recording is under way
    bool paused = false;       // the player paused the program
    bool rewinding = false;    // the rewind key is held
    uint32_t fastForward = 1;  // the run loop's speed factor (1: normal speed)
};

// The signs, left to right (UTF-8). A recording has its sign whatever else happens; fast-forward
// has one only while the program runs at that speed (not paused, not rewinding), and a rewind
// shows over a pause, since a held rewind steps back also while paused.
std::vector<std::string> modeSigns(const RunModes& modes);

}  // namespace corvane
