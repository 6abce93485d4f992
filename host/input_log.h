#pragma once
// The input log of a run: everything from outside that a run on the virtual clock depends on
// (key presses and releases, clicks, menu commands such as a reset, dropped files and dialog
// answers, and each program image that was loaded), each with the frame whose start released it
// and the instruction count at which it took effect, plus the clock's settings and the image it
// was recorded with. Written to a file it reproduces a whole session; the same records, kept in
// memory, let the debugger go back and replay forward.
//
// The file is text, one record a line (docs/input-log.md):
//   corvane-input-log 1
//   image SIZE HASH NAME
//   clock IPS YYYY-MM-DDTHH:MM:SS
//   view SCALE WIDTHxHEIGHT [face|lcd]            (optional)
//   COUNT FRAME KIND ARGUMENTS...
//   end COUNT FRAMES STATUS LCDHASH [count]

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/machine_state.h"
#include "host/platform.h"
#include "host/view.h"
#include "vm/host.h"

namespace corvane {

constexpr int kInputLogVersion = 1;
// A longer file is refused before it is read.
constexpr size_t kInputLogMaxBytes = 64u * 1024 * 1024;

struct InputRecord {
    enum class Kind : uint8_t {
        Event,   // a key, button, pointer, pad, menu command or dropped file
        Dialog,  // the answer a file dialog got
        Loaded,  // another program image (or the same one again) was loaded
    };
    uint64_t instructions = 0;
    uint64_t frame = 0;
    Kind kind = Kind::Event;
    PlatformEvent event;  // Event
    std::string text;     // Dialog: the answer
    ImageIdentity image;  // Loaded
};

// How the recorded run ended: the instructions and frames it ran, its exit status, the 64-bit
// FNV-1a hash of the LCD's screen memory, and whether it stopped at an instruction count (its
// instruction limit, or an interruption) rather than after a frame or by itself.
struct InputLogEnd {
    uint64_t instructions = 0;
    uint64_t frames = 0;
    int status = 0;
    uint64_t lcdHash = 0;
    bool atCount = false;
    bool operator==(const InputLogEnd&) const = default;
};

// How the window was shown when the run started: pointer positions are the screen's pixels, so a
// replay shows it the same way to put them on the same points of the window.
struct LoggedView {
    ViewMode mode;  // its scale, and whether (and with what) it filled the screen
    int screenWidth = 0;
    int screenHeight = 0;
    bool operator==(const LoggedView&) const = default;
};

struct InputLog {
    ImageIdentity image;
    std::string imageName;
    uint64_t instructionsPerSecond = 10'000'000;
    LocalTime date;
    std::optional<LoggedView> view;    // missing in older logs: the replay's own view
    std::vector<InputRecord> records;  // in order of frame and count
    std::optional<InputLogEnd> end;    // missing when the recording was cut short
};

// Whether an event of this type is one the log keeps.
bool loggedEvent(PlatformEvent::Type type);

// What an input event, released at a frame start, leaves held for the program's keyboard scan:
// the keys down (bit 7, by virtual-key code) and the gamepad buttons (bit n = PadButton n).
// The runner's replay and the recording window hold them alike.
void holdInput(const PlatformEvent& event, std::array<uint8_t, 256>& keys, uint32_t& pads);

std::string writeInputLog(const InputLog& log);
// The log, or nothing with `error` saying which line is wrong and why.
std::optional<InputLog> readInputLog(const std::string& text, std::string& error);

// The hash the end record keeps of the LCD.
uint64_t lcdHash(const Machine& m);

}  // namespace corvane
