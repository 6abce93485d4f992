#include "host/rewind_pace.h"

namespace corvane {

namespace {

constexpr uint64_t kRealTimeFrames = 60;  // the first second held goes back in real time
constexpr uint64_t kDoubleFrames = 60;    // the next at twice that

}  // namespace

uint64_t rewindFramesBack(uint64_t heldFrames) {
    if (heldFrames <= kRealTimeFrames) return heldFrames;
    const uint64_t past = heldFrames - kRealTimeFrames;
    if (past <= kDoubleFrames) return kRealTimeFrames + 2 * past;
    return kRealTimeFrames + 2 * kDoubleFrames + 4 * (past - kDoubleFrames);
}

uint64_t rewindStepsDue(uint64_t heldFrames, uint32_t intervalFrames) {
    if (heldFrames == 0) return 0;
    const uint64_t interval = intervalFrames == 0 ? 1 : intervalFrames;
    return (rewindFramesBack(heldFrames) + interval - 1) / interval;
}

}  // namespace corvane
