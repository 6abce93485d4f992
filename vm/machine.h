#pragma once
// The whole state of one simulated handheld. Fixed-size storage only: a Machine allocates its
// image buffer once when it is constructed and nothing afterwards.

#include <array>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "display/display_state.h"
#include "vm/decoded_code.h"
#include "vm/memory_map.h"
#include "vm/vm_access.h"

namespace corvane {

class Host;
struct FontTables;

constexpr int kFileSlots = 3;
constexpr int kFunctionStackSize = 1024;

// The host path and mode name the file to the user when its data is lost, and let a save state
// reopen it where it was.
struct FileSlot {
    bool inUse = false;
    std::FILE* stream = nullptr;
    std::string path;          // the host path it was opened with
    bool writeFailed = false;  // a write or flush the host could not complete: data was lost
    std::string mode;          // the host mode, as given to fopen
};

// The most recent RET: where it stood and the address it took from its frame. A RET whose frame
// held no return address into the program lands outside it, and the fetch there names the RET
// instead of the header byte or the end of the image it found. Not machine state; a reset clears
// it.
struct LastReturn {
    uint32_t at = 0;  // 0: none since the reset (no instruction runs inside the header)
    uint32_t to = 0;
};

// Debugger-link state: survives machine resets, emptied only when the simulator starts.
struct DebugState {
    int32_t stopValue = -1;         // -1 never stops, -2 every line, 0 same function, else line
    uint32_t currentFunction = 0;   // 24-bit identifier set by FUNC
    uint32_t lastStopFunction = 0;  // function identifier at the most recent stop; 0 = none yet
    uint32_t functionDepth = 0;
    std::array<uint32_t, kFunctionStackSize> functionStack{};
};

// The memory accessors and stack primitives come from VmAccess.
struct Machine : VmAccess<Machine> {
    Machine();
    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;

    // --- VmMemory and the registers ---
    std::array<uint8_t, kVmMemorySize> mem{};
    uint32_t pc = 0;
    uint8_t osp = 0;
    uint8_t argCursor = 0;
    uint16_t fp = 0;
    uint16_t sp = 0;
    uint32_t regA = 0;
    uint32_t regB = 0;
    uint32_t cond = 0;
    uint16_t strPtr = 0;
    uint8_t strKey = 0;

    // --- keys, delay, random ---
    uint8_t waitForKey = 0;
    uint8_t keyRegister = 0;  // bit 7 = a key is pending; bits 0-6 the device key code
    uint32_t randomSeed = 0;
    uint32_t delayCounter = 0;            // 1/256 s ticks still to wait
    uint64_t lastDelayNs = 0;             // clock reading at the last delay tick
    std::array<uint8_t, 256> hostKeys{};  // host key-state table, bit 7 = key down

    // --- host flags ---
    bool programLoaded = false;
    bool paused = true;
    // Set by every handler after which `run` must stop and look at the flags above, the delay
    // counter or the wait for a key (EXIT, a fault, a debugger stop, Delay, getchar, GetWord).
    // Keeps that test out of the path of ordinary instructions.
    bool stopRun = false;

    // --- end of a program by a fault (invalid opcode, pc outside the image, division by zero) ---
    bool faulted = false;
    char faultReason[128] = {};
    LastReturn lastReturn;

    // --- program image ---
    std::unique_ptr<uint8_t[]> image;  // kImageBufferSize + kImageReadSlack bytes
    uint32_t imageSize = 0;            // bytes of the loaded file, header included
    // What the run loop decoded from the image; derived from it, not machine state. Loading an
    // image or a reset clears it.
    DecodedCode decoded;

    // --- display ---
    DrawState draw;
    ConsoleState console;
    ConsoleRenderCache consoleCache;  // derived from the above; not machine state
    std::array<uint8_t, 256> bitReverse{};
    const FontTables* fonts = nullptr;  // owned by the host; null draws blank glyphs

    // --- files ---
    std::array<FileSlot, kFileSlots> files{};
    std::string rootDir;     // host path of the program file root, ending with '/'
    std::string currentDir;  // host path of the current directory, ending with '/'

    // --- debugger link ---
    DebugState debug;

    Host* host = nullptr;

    // The formatter's walk over its arguments.
    uint32_t nextArgument() {
        argCursor = uint8_t(argCursor + 4);
        regA = slot(argCursor);
        return regA;
    }
};

}  // namespace corvane
