#pragma once
// The run slice: the virtual machine's clock. Each slice looks at the clock once; when a frame
// period has passed since the last frame it runs a frame (LCD presentation and keyboard scan,
// through the client); while a Delay counts down it checks for one delay tick instead of running
// instructions; otherwise it runs a batch of instructions with `run`. A program that ended in the
// slice is closed in the same slice. The caller handles every waiting event between two slices,
// so events always come between two instructions, never inside one.

#include <cstdint>
#include <functional>
#include <utility>

#include "vm/interpreter.h"

namespace corvane {

struct Machine;
class RunClock;

// Frame period and delay tick, in nanoseconds of the clock. The description's frequency is the
// rate of the counter in MHz: a frame lasts frequency x 1,000,000 / 60 counts and a delay tick
// frequency x 1,000,000 / 256 counts, computed in 64 bits. The nanosecond clock counts 1,000 per
// microsecond, so 1000 gives exactly 1/60 s and 1/256 s; any other configured value makes frames
// and delays proportionally slower or faster, never the instructions.
struct Timing {
    uint64_t framePeriodNs = 16'666'666;
    uint64_t tickPeriodNs = 3'906'250;

    static Timing fromFrequency(uint32_t mhz);
};

// The rate of the nanosecond clock, written as "CPU"/"Frequency" instead of a measurement.
constexpr uint32_t kNanosecondClockMHz = 1000;

// What the run loop calls out to.
class RunLoopClient {
  public:
    virtual ~RunLoopClient() = default;
    // Frame number `number` (from 1) is due. The client first handles what belongs before this
    // frame's keyboard scan; then, when `running` (a program is loaded, not paused, not frozen)
    // it presents the LCD and scans the keyboard.
    virtual void frame(uint64_t number, bool running) = 0;
    // The program cleared the program-loaded flag during this slice (EXIT or a fault).
    virtual void programEnded() = 0;
};

// Why nothing can happen until the wake-up time of a slice.
enum class IdleReason : uint8_t {
    None,       // busy: run the next slice at once
    NoProgram,  // no program loaded
    Paused,     // paused by the debugger link or frozen (menu open)
    Delay,      // a Delay counts down
    WaitKey,    // waiting for a key with none pending
    Stopped,    // a stop was requested, or the instruction limit was reached
    Throttled,  // the speed limit allows no instruction before the wake-up time
};

struct SliceResult {
    uint64_t executed = 0;  // instructions run in this slice
    bool frame = false;     // a frame was due in this slice
    IdleReason idle = IdleReason::None;
    uint64_t wakeNs = 0;  // when idle: the next moment something is due (clock time)
};

// Instructions per batch at most. A program sees it: a virtual clock advances by the instructions
// of a batch only when the batch ends, so the time calls inside a batch read the time it began
// at, and a larger batch would change what a program reads (the clock demo's goldens hold it).
constexpr uint64_t kMaxBatch = 4096;

class RunLoop {
  public:
    RunLoop(Machine& machine, RunClock& clock, RunLoopClient& client, Timing timing = {});

    SliceResult slice();

    void setTiming(Timing timing) { timing_ = timing; }
    const Timing& timing() const { return timing_; }

    // Frozen: a modal interaction (the open menu) holds the program; frames keep their count.
    void setFrozen(bool frozen) { frozen_ = frozen; }
    bool frozen() const { return frozen_; }

    // Paused by the user: like frozen, the program holds and frames keep their count, but the
    // machine's own paused flag (a debugger stop) is left alone.
    void setUserPaused(bool paused);
    bool userPaused() const { return userPaused_; }

    // Speed limit in instructions per second of the clock; 0 = unlimited (as many as the loop
    // can turn). Fast-forward runs frames, delay ticks and a speed limit `factor` times faster;
    // 1 = normal speed.
    void setSpeedLimit(uint64_t instructionsPerSecond);
    uint64_t speedLimit() const { return speedLimit_; }
    void setFastForward(uint32_t factor);
    uint32_t fastForward() const { return fastForward_; }
    // The periods in force, fast-forward included.
    uint64_t framePeriodNs() const { return timing_.framePeriodNs / fastForward_; }
    uint64_t tickPeriodNs() const { return timing_.tickPeriodNs / fastForward_; }

    // Save states keep the frame count and how long ago the last frame was; restoring them makes
    // the next frame come after the same span of clock time as it would have.
    uint64_t sinceLastFrameNs() const;
    void restoreFrames(uint64_t frames, uint64_t sinceLastFrameNs);

    // Ends the current slice after its frame and keeps the next ones from running anything,
    // until cleared.
    void requestStop() { stop_ = true; }
    void clearStop() { stop_ = false; }
    bool stopRequested() const { return stop_; }

    // At most this many instructions in all (the runner's limit); 0 = no limit.
    void setInstructionLimit(uint64_t limit) { limit_ = limit; }
    bool limitReached() const { return limit_ != 0 && total_ >= limit_; }

    // At most this many instructions per batch (kMaxBatch unless set).
    void setMaxBatch(uint64_t maxBatch) { maxBatch_ = maxBatch ? maxBatch : 1; }

    // Called before every single instruction (batches of one while set): an instruction trace.
    void setTrace(std::function<void(const Machine&)> trace) { trace_ = std::move(trace); }
    // Called before every single instruction while set: false holds the
    // program before that instruction and ends the slice as Paused (a debugger's breakpoint).
    void setGate(std::function<bool(const Machine&)> gate) { gate_ = std::move(gate); }
    // Holds the program before the instruction that would make the count exceed `count`, as a
    // gate holding there would, but without a call per instruction: a debugger's replay of the
    // past runs there at full speed. heldAtCount() says the last slice ended held there.
    void setHoldAt(uint64_t count) { holdAt_ = count; }
    void clearHoldAt() { holdAt_ = kNoHold; }
    bool heldAtCount() const { return heldAtCount_; }

    uint64_t frames() const { return frames_; }
    // Instructions run so far; exact at every call of the gate, inside a batch too.
    uint64_t instructions() const { return total_; }

    // Where the loop stands, for the debugger's reverse execution: put back together with the
    // machine's state and the clock's, the run goes on from there exactly as it went before.
    struct Position {
        uint64_t frames = 0;
        uint64_t lastFrameNs = 0;
        uint64_t total = 0;
        uint64_t heldBudget = 0;    // of a batch the gate held: what is left of it
        uint64_t heldExecuted = 0;  // and what it ran before, not yet told to the clock
    };
    Position position() const;
    void restorePosition(const Position& position);

  private:
    bool running() const;
    uint64_t nextFrameNs() const { return lastFrameNs_ + framePeriodNs(); }
    // Instructions the speed limit allows now (all of `budget` when unlimited); sets `wakeNs`
    // to when the next one is allowed when it allows none.
    uint64_t paceAllowance(uint64_t now, uint64_t budget, uint64_t& wakeNs);

    Machine& m_;
    RunClock& clock_;
    RunLoopClient& client_;
    Timing timing_;
    uint64_t lastFrameNs_ = 0;
    uint64_t frames_ = 0;
    uint64_t total_ = 0;
    uint64_t limit_ = 0;
    uint64_t maxBatch_ = kMaxBatch;
    std::function<void(const Machine&)> trace_;
    std::function<bool(const Machine&)> gate_;
    bool frozen_ = false;
    bool stop_ = false;
    bool userPaused_ = false;
    uint64_t speedLimit_ = 0;
    uint32_t fastForward_ = 1;
    // The speed limit counts instructions from an anchor time while the program runs without a
    // break; any break (pause, Delay, wait for a key, a change of speed) starts a new anchor, so
    // time spent not running is never made up in a burst.
    bool paceAnchored_ = false;
    uint64_t paceStartNs_ = 0;
    uint64_t paceCount_ = 0;
    // A batch the gate held before its end goes on at the next slice at the same clock time, so
    // a debugger's stop leaves no trace in the program's timing: the clock hears of the batch's
    // instructions only when it ends as it would have without the stop.
    uint64_t heldBudget_ = 0;
    uint64_t heldExecuted_ = 0;
    static constexpr uint64_t kNoHold = ~uint64_t(0);
    uint64_t holdAt_ = kNoHold;
    bool heldAtCount_ = false;
};

}  // namespace corvane
