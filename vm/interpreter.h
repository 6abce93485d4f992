#pragma once
// Fetch, dispatch and the batch run of the virtual machine.

#include <cstdint>

namespace corvane {

struct Machine;
struct FileSlot;

// Why `run` returned.
enum class RunStop : uint8_t {
    Budget,   // executed `budget` steps
    Ended,    // the program-loaded flag is clear (EXIT, exit, or a fault)
    Paused,   // the paused flag is set (a debugger stop, or the host paused it)
    Delay,    // a Delay is counting down: the host counts its ticks
    WaitKey,  // waiting in getchar/GetWord with no key pending
};

struct RunResult {
    uint64_t executed = 0;  // steps that fetched and ran an instruction
    RunStop stop = RunStop::Budget;
};

// Executes one step: delivers a pending key to a waiting getchar, or runs one instruction.
void step(Machine& m);

// Runs up to `budget` instructions and returns early when the machine can make no progress
// without the host (program ended, paused, delay counting, waiting for a key).
RunResult run(Machine& m, uint64_t budget);

// The end of a program (EXIT, system call exit, the host's close and reset): closes the
// program's open files and clears the program-loaded flag.
void endProgram(Machine& m);

// Closes the stream of one file slot and frees the slot. When the host could not write all the
// stream's data (an earlier write failed, or the final flush or close fails), the host is told,
// naming the file; nothing changes for the program.
void closeFileSlot(Machine& m, FileSlot& slot);

// Ends the program as EXIT does and records why, for the host to show.
void fault(Machine& m, const char* format, ...) __attribute__((format(printf, 2, 3)));

// The handler of a system call whose implementation is not part of this build.
void notAvailable(Machine& m, uint8_t opcode);

}  // namespace corvane
