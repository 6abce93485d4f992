#pragma once
// How a run loop that a browser calls once per displayed frame shares the frame and sizes its
// batches in real time. Plain arithmetic on the times the page reads, so that it is tested
// natively; the page's loop (host/platform/web) asks it at every tick and after every slice.

#include <array>
#include <cstdint>

namespace corvane {

// A tick keeps three quarters of a display frame while a program computes, the rest left to the
// browser (input, painting). The frame's length is the median gap between two ticks over the
// last kGapWindow ticks, taken again every kGapStep ticks (the first time after kGapStep): a
// faster display gets shorter ticks, and neither a tick that ran long (a longer gap) nor the
// browser catching up after it (shorter gaps) moves the estimate. kTickBudgetNs until the first
// estimate; never outside the bounds.
class TickShare {
  public:
    static constexpr uint64_t kTickBudgetNs = 10'000'000;
    static constexpr uint64_t kMinTickBudgetNs = 2'000'000;
    static constexpr uint64_t kMaxTickBudgetNs = 12'500'000;
    static constexpr uint32_t kGapWindow = 64;
    static constexpr uint32_t kGapStep = 8;

    // What the tick starting at `startNs` (page time) may keep.
    uint64_t tickBudget(uint64_t startNs);
    // What a tick between two frames may keep (the page runs such ticks back to back while a
    // program computes): half the frame, so that the browser's turn to paint, which waits for
    // the tick under way, still comes once a frame.
    uint64_t sliceBudget() const { return budgetNs_ / 3 * 2; }

  private:
    std::array<uint64_t, kGapWindow> gaps_{};  // the last gaps, oldest overwritten first
    uint64_t gapsSeen_ = 0;
    uint64_t lastStartNs_ = 0;
    uint64_t budgetNs_ = kTickBudgetNs;
};

// Instructions per batch in real time. Between two batches the loop reads the page's clock,
// looks at input and frames; with the host's fixed batch those looks cost as much as the
// batch itself once the interpreter runs a counting loop at billions of instructions a second.
// The batch doubles while batches end quickly, down to kMinBatch again when one is slow, so
// that a batch stays near kTargetNs of real time whatever its instructions cost (a loop of
// slow system calls keeps small batches). Only for real time: under a virtual clock the batch
// size is visible to programs and stays the host's.
class BatchSize {
  public:
    static constexpr uint64_t kMinBatch = 4096;
    static constexpr uint64_t kMaxBatch = uint64_t(1) << 18;
    static constexpr uint64_t kTargetNs = 500'000;

    uint64_t batch() const { return batch_; }
    // A slice ran `executed` instructions in `elapsedNs` of real time under batch().
    void ran(uint64_t executed, uint64_t elapsedNs);

  private:
    uint64_t batch_ = kMinBatch;
};

}  // namespace corvane
