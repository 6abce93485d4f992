#include "host/page_pacing.h"

#include <algorithm>

namespace corvane {

uint64_t TickShare::tickBudget(uint64_t startNs) {
    const bool gap = lastStartNs_ != 0 && startNs > lastStartNs_;
    if (gap) gaps_[gapsSeen_++ % kGapWindow] = startNs - lastStartNs_;
    lastStartNs_ = startNs;
    if (gap && gapsSeen_ % kGapStep == 0) {
        std::array<uint64_t, kGapWindow> sorted = gaps_;
        const auto filled = sorted.begin() + std::min<uint64_t>(gapsSeen_, kGapWindow);
        const auto middle = sorted.begin() + (filled - sorted.begin()) / 2;
        std::nth_element(sorted.begin(), middle, filled);
        budgetNs_ = std::clamp(*middle / 4 * 3, kMinTickBudgetNs, kMaxTickBudgetNs);
    }
    return budgetNs_;
}

void BatchSize::ran(uint64_t executed, uint64_t elapsedNs) {
    if (elapsedNs > kTargetNs) {
        // Slow instructions, or the page was busy elsewhere: back to the smallest batch.
        batch_ = kMinBatch;
    } else if (executed >= batch_ && elapsedNs < kTargetNs / 2) {
        // A whole batch in under half the target: the next may be twice as long.
        batch_ = std::min(batch_ * 2, kMaxBatch);
    }
    // A batch cut short (the program waited, slept or ended) says nothing about the rate.
}

}  // namespace corvane
