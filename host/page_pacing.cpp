#include "host/page_pacing.h"

#include <algorithm>

namespace corvane {

uint64_t TickShare::tickBudget(uint64_t startNs) {
    if (lastStartNs_ != 0 && startNs > lastStartNs_) gaps_[gapCount_++] = startNs - lastStartNs_;
    lastStartNs_ = startNs;
    if (gapCount_ == kGapWindow) {
        auto middle = gaps_.begin() + kGapWindow / 2;
        std::nth_element(gaps_.begin(), middle, gaps_.end());
        budgetNs_ = std::clamp(*middle / 4 * 3, kMinTickBudgetNs, kMaxTickBudgetNs);
        gapCount_ = 0;
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
