#pragma once
// The rewind history: the machine's last seconds as a ring of save states taken every few frames.
// Only the newest state is kept whole; each older one is kept as its difference from the next
// newer (the bytes that changed, run-length coded), so a second of history costs about what the
// program changed in it rather than 64 KiB a state. Stepping back takes the newest state out and
// rebuilds the one before it from its difference.
//
// The history is bounded twice: by the number of states (seconds x states a second) and by the
// bytes it holds; the oldest states go first.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

namespace corvane {

struct RewindLimits {
    uint32_t states = 100;                // 10 s at one state every 6 frames
    size_t maxBytes = 32u * 1024 * 1024;  // whatever the program does, never more than this
};

class RewindRing {
  public:
    explicit RewindRing(RewindLimits limits = {}) : limits_(limits) {}

    void setLimits(RewindLimits limits);
    const RewindLimits& limits() const { return limits_; }

    // Adds a state (an encoded save state) as the newest.
    void push(std::vector<uint8_t> state);
    // Takes the newest state out into `state`; false when the history is empty.
    bool pop(std::vector<uint8_t>& state);
    void clear();

    size_t count() const { return newest_.empty() ? 0 : older_.size() + 1; }
    // Bytes held by the states and their differences.
    size_t bytes() const { return bytes_; }

  private:
    struct Older {
        bool whole = false;  // the state itself (its size differed from the next newer one)
        std::vector<uint8_t> data;
    };
    void trim();

    RewindLimits limits_;
    std::vector<uint8_t> newest_;
    std::deque<Older> older_;  // front: the oldest; back: the one just before newest_
    size_t bytes_ = 0;
};

// The difference of two byte strings of the same size, and its application: `base` becomes
// `other` again. The difference is a list of (unchanged run, changed run, changed bytes XOR base)
// with the runs as little-endian base-128 numbers.
std::vector<uint8_t> byteDifference(const std::vector<uint8_t>& base,
                                    const std::vector<uint8_t>& other);
bool applyDifference(std::vector<uint8_t>& base, const std::vector<uint8_t>& difference);

}  // namespace corvane
