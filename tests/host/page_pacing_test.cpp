// The browser tick's share of a frame (and of a tick between frames) and the real-time batch
// size: the frame estimate must follow the display and ignore a tick that ran long and the
// quick ticks after it, and the batch must grow only while whole batches end quickly and fall
// back as soon as one is slow.

#include "host/page_pacing.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

namespace corvane::test {
namespace {

constexpr uint64_t kMs = 1'000'000;

// Ticks whose gaps repeat `pattern`, one window's worth and one more tick: the budget then,
// and the slice of a tick between frames.
std::pair<uint64_t, uint64_t> budgetAfterWindow(const std::vector<uint64_t>& pattern) {
    TickShare share;
    uint64_t t = 1'000 * kMs;
    uint64_t budget = share.tickBudget(t);
    for (uint32_t i = 0; i < TickShare::kGapWindow; ++i) {
        t += pattern[i % pattern.size()];
        budget = share.tickBudget(t);
    }
    return {budget, share.sliceBudget()};
}

// A frame's tick keeps three quarters of the usual gap; a tick between frames, half of it (so
// that the browser's painting, which waits for the tick under way, still comes every frame).
TEST(TickShare, KeepsThreeQuartersOfTheUsualGap) {
    const struct {
        const char* display;
        std::vector<uint64_t> gaps;
        uint64_t budget;
        uint64_t slice;
    } cases[] = {
        {"60 Hz", {16'666'667}, 12'499'998, 8'333'332},
        {"120 Hz", {8'333'333}, 6'249'999, 4'166'666},
        // A long tick makes a long gap, and the browser's next frame comes early after it: the
        // usual gap still decides.
        {"60 Hz with a long tick and a quick one after it",
         {16'666'667, 16'666'667, 40 * kMs, 300'000},
         12'499'998,
         8'333'332},
        {"a display faster than the smallest tick allows",
         {kMs},
         TickShare::kMinTickBudgetNs,
         TickShare::kMinTickBudgetNs / 3 * 2},
        {"30 Hz, capped", {33 * kMs}, TickShare::kMaxTickBudgetNs, 8'333'332},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(budgetAfterWindow(c.gaps), std::make_pair(c.budget, c.slice)) << c.display;
    }
}

TEST(TickShare, FirstEstimateAfterAFewTicksThenFollowsTheDisplay) {
    TickShare share;
    uint64_t t = 5 * kMs;
    EXPECT_EQ(share.tickBudget(t), TickShare::kTickBudgetNs);
    for (uint32_t i = 1; i < TickShare::kGapStep; ++i)
        EXPECT_EQ(share.tickBudget(t += 8 * kMs), TickShare::kTickBudgetNs) << i;
    EXPECT_EQ(share.tickBudget(t += 8 * kMs), 6 * kMs);
    // Taken again only every few ticks; then the gaps of the window decide, the old ones gone.
    uint64_t budget = 0;
    for (uint32_t i = 1; i < TickShare::kGapStep; ++i) budget = share.tickBudget(t += 12 * kMs);
    EXPECT_EQ(budget, 6 * kMs);
    for (uint32_t i = 0; i < TickShare::kGapWindow; ++i) budget = share.tickBudget(t += 12 * kMs);
    EXPECT_EQ(budget, 9 * kMs);
}

TEST(BatchSize, GrowsWhileQuickAndFallsBackWhenSlow) {
    // Each step: the slice's instructions (0: all of the batch) and its real time; the batch
    // after it.
    const struct {
        uint64_t executed;
        uint64_t elapsedNs;
        uint64_t batch;
    } steps[] = {
        {0, 10'000, 2 * BatchSize::kMinBatch},
        {0, 10'000, 4 * BatchSize::kMinBatch},
        // Cut short by a wait: no growth, however quick.
        {100, 1'000, 4 * BatchSize::kMinBatch},
        // Whole, but not under half the target: kept.
        {0, BatchSize::kTargetNs / 2, 4 * BatchSize::kMinBatch},
        {0, BatchSize::kTargetNs, 4 * BatchSize::kMinBatch},
        // Over the target: slow instructions, straight back.
        {0, BatchSize::kTargetNs + 1, BatchSize::kMinBatch},
        // Cut short and slow: back too.
        {0, 1'000, 2 * BatchSize::kMinBatch},
        {5, 2 * BatchSize::kTargetNs, BatchSize::kMinBatch},
    };
    BatchSize size;
    EXPECT_EQ(size.batch(), BatchSize::kMinBatch);
    int i = 0;
    for (const auto& s : steps) {
        size.ran(s.executed ? s.executed : size.batch(), s.elapsedNs);
        EXPECT_EQ(size.batch(), s.batch) << "step " << i++;
    }
    for (int n = 0; n < 64; ++n) size.ran(size.batch(), 1'000);
    EXPECT_EQ(size.batch(), BatchSize::kMaxBatch);
}

}  // namespace
}  // namespace corvane::test
