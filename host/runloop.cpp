#include "host/runloop.h"

#include <algorithm>

#include "host/platform.h"
#include "vm/machine.h"

namespace corvane {

Timing Timing::fromFrequency(uint32_t mhz) {
    // 64-bit product: a 32-bit one wraps above 4,294 MHz and breaks every period.
    const uint64_t rate = uint64_t(mhz) * 1'000'000u;
    Timing t;
    t.framePeriodNs = rate / 60;
    t.tickPeriodNs = rate / 256;
    return t;
}

RunLoop::RunLoop(Machine& machine, RunClock& clock, RunLoopClient& client, Timing timing)
    : m_(machine), clock_(clock), client_(client), timing_(timing) {}

bool RunLoop::running() const {
    return m_.programLoaded && !m_.paused && !frozen_;
}

SliceResult RunLoop::slice() {
    SliceResult r;
    if (stop_) {
        r.idle = IdleReason::Stopped;
        return r;
    }
    const uint64_t now = clock_.nowNs();
    if (now - lastFrameNs_ >= timing_.framePeriodNs) {
        // From now, not from the old value plus the period: frames are at least one period
        // apart and never catch up after the loop was held.
        lastFrameNs_ = now;
        ++frames_;
        r.frame = true;
        client_.frame(frames_, running());
        if (stop_) {
            r.idle = IdleReason::Stopped;
            return r;
        }
    }
    r.wakeNs = nextFrameNs();
    if (!m_.programLoaded) {
        r.idle = IdleReason::NoProgram;
        return r;
    }
    if (m_.paused || frozen_) {
        r.idle = IdleReason::Paused;
        return r;
    }
    if (m_.delayCounter != 0) {
        // At most one tick per slice; no instruction runs while the delay counts.
        if (now - m_.lastDelayNs >= timing_.tickPeriodNs) {
            m_.lastDelayNs = now;
            --m_.delayCounter;
        }
        if (m_.delayCounter != 0) {
            r.idle = IdleReason::Delay;
            r.wakeNs = std::min(r.wakeNs, m_.lastDelayNs + timing_.tickPeriodNs);
        }
        return r;
    }
    if (limitReached()) {
        r.idle = IdleReason::Stopped;
        return r;
    }

    uint64_t budget = std::min(clock_.batchBudget(nextFrameNs()), maxBatch_);
    if (limit_ != 0) budget = std::min(budget, limit_ - total_);
    if (trace_) {
        budget = 1;
        trace_(m_);
    }
    const RunResult ran = run(m_, std::max<uint64_t>(budget, 1));
    clock_.executed(ran.executed);
    total_ += ran.executed;
    r.executed = ran.executed;

    if (!m_.programLoaded) {
        client_.programEnded();
        r.idle = IdleReason::NoProgram;
        return r;
    }
    switch (ran.stop) {
        case RunStop::WaitKey:
            r.idle = IdleReason::WaitKey;  // only a frame's keyboard scan can bring a key
            break;
        case RunStop::Delay:
            if (m_.delayCounter != 0) {
                r.idle = IdleReason::Delay;
                r.wakeNs = std::min(r.wakeNs, m_.lastDelayNs + timing_.tickPeriodNs);
            }
            break;
        case RunStop::Paused:
            r.idle = IdleReason::Paused;
            break;
        default:
            break;
    }
    if (r.idle == IdleReason::None && limitReached()) r.idle = IdleReason::Stopped;
    return r;
}

}  // namespace corvane
