#pragma once
// A save state of the whole machine: memory, registers and flags, the key state, the delay
// counter, drawing and console state, the debugger-link state, the random seed, the current
// directory and the program's open files (name, mode, position), together with the image it
// belongs to, the run loop's frame phase, the machine's date and a thumbnail of the LCD.
// The image itself is not saved: a state only loads over the image it was saved from.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "display/display_state.h"
#include "vm/machine.h"
#include "vm/memory_map.h"

namespace corvane {

// Identifies an image by its size and a 64-bit FNV-1a hash of its bytes.
struct ImageIdentity {
    uint32_t size = 0;
    uint64_t hash = 0;
    bool operator==(const ImageIdentity&) const = default;
};
ImageIdentity identifyImage(const Machine& machine);

// What the host keeps about time: frames counted, clock time since the last frame and since the
// last delay tick (spans, so a state continues at the same phase on any clock), and the date.
struct StateTiming {
    uint64_t frames = 0;
    uint64_t sinceLastFrameNs = 0;
    uint64_t sinceLastDelayNs = 0;
    std::optional<int64_t> dateNs;  // nanoseconds since 1970-01-01 00:00 local, when kept
};

struct SavedFile {
    int slot = 0;
    std::string path;  // relative to the root directory when below it
    std::string mode;
    uint64_t position = 0;
};

// A decoded state, checked and complete, ready to be put into a machine.
struct MachineState {
    ImageIdentity image;
    std::string imageName;
    StateTiming timing;
    std::array<uint8_t, kVmMemorySize> mem{};
    uint32_t pc = 0;
    uint8_t osp = 0, argCursor = 0;
    uint16_t fp = 0, sp = 0;
    uint32_t regA = 0, regB = 0, cond = 0;
    uint16_t strPtr = 0;
    uint8_t strKey = 0;
    uint8_t waitForKey = 0, keyRegister = 0;
    uint32_t randomSeed = 0, delayCounter = 0;
    bool programLoaded = true, paused = false;
    std::array<uint8_t, 256> hostKeys{};
    DrawState draw;
    ConsoleState console;
    std::array<uint8_t, 256> bitReverse{};
    DebugState debug;
    std::string currentDir;  // relative to the root directory when below it
    std::vector<SavedFile> files;
    std::array<uint8_t, kBitmapSize> thumbnail{};  // the LCD screen memory at the save
};

enum class StateError : uint8_t {
    None,
    NotAState,   // wrong magic, a damaged section or a required one missing
    TooNew,      // written by a later format this build cannot read
    OtherImage,  // saved from another program image
};

// Encodes the machine. Open files are flushed first so their contents on disk match the
// positions saved.
std::vector<uint8_t> encodeState(Machine& machine, const StateTiming& timing,
                                 const std::string& imageName);

// Decodes and checks a state file against the image loaded in `machine`; nothing is changed.
StateError decodeState(const std::vector<uint8_t>& file, const Machine& machine, MachineState& out);

// Puts a decoded state into the machine: the program's current files are closed and the saved
// ones reopened at their positions (a file opened for writing is reopened without truncating
// it). Returns the files that could not be reopened; their slots stay closed.
std::vector<std::string> applyState(Machine& machine, const MachineState& state, uint64_t nowNs);

}  // namespace corvane
