#pragma once
// The checkpoints of the debugger's reverse execution: where a run stood every so many
// instructions (the machine's save state, the run loop's and the platform's positions), so that
// going back restores the nearest earlier one and replays forward to the exact instruction.
//
// Any checkpoint can be reached directly: every `keyEvery`-th one keeps its state whole and each
// one between keeps only its difference from the key before it (the rewind history's byte
// difference), so a checkpoint costs about what the program changed since the key.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "host/runloop.h"
#include "host/skin.h"
#include "vm/machine.h"

namespace corvane {

struct Checkpoint {
    uint64_t instructions = 0;  // where it was taken: the run loop's count
    RunLoop::Position loop;
    std::shared_ptr<const void> platform;  // what the platform's mark hook took
    Skin skin;                             // the keyboard scan's and the mouse-held key's state
    LastReturn lastReturn;
};

class CheckpointStore {
  public:
    explicit CheckpointStore(size_t keyEvery = 32) : keyEvery_(keyEvery ? keyEvery : 1) {}

    // Adds a checkpoint after the newest one; `state` is an encoded save state.
    void add(Checkpoint checkpoint, const std::vector<uint8_t>& state);
    // The newest checkpoint taken at or before `instructions`; -1 when there is none.
    long atOrBefore(uint64_t instructions) const;
    const Checkpoint& operator[](size_t index) const { return entries_[index].checkpoint; }
    // Its state, whole; false when it cannot be rebuilt (never, unless the store was damaged).
    bool state(size_t index, std::vector<uint8_t>& out) const;
    // The run goes another way after `instructions`: the checkpoints past it are dropped.
    void dropAfter(uint64_t instructions);
    void clear();

    size_t count() const { return entries_.size(); }
    // Bytes held by the states and their differences.
    size_t bytes() const { return bytes_; }

  private:
    struct Entry {
        Checkpoint checkpoint;
        size_t key = 0;  // the index of the key whose difference this is (itself for a key)
        std::vector<uint8_t> data;
    };
    size_t keyEvery_;
    std::vector<Entry> entries_;
    size_t bytes_ = 0;
};

}  // namespace corvane
