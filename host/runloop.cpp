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
    return m_.programLoaded && !m_.paused && !frozen_ && !userPaused_;
}

void RunLoop::setUserPaused(bool paused) {
    userPaused_ = paused;
    paceAnchored_ = false;
}

void RunLoop::setSpeedLimit(uint64_t instructionsPerSecond) {
    speedLimit_ = instructionsPerSecond;
    paceAnchored_ = false;
}

void RunLoop::setFastForward(uint32_t factor) {
    fastForward_ = factor == 0 ? 1 : factor;
    paceAnchored_ = false;
}

uint64_t RunLoop::sinceLastFrameNs() const {
    return clock_.nowNs() - lastFrameNs_;
}

void RunLoop::restoreFrames(uint64_t frames, uint64_t sinceLastFrameNs) {
    frames_ = frames;
    // Unsigned arithmetic: every later test is a difference from this value, so it holds even
    // when the clock has not yet reached the span.
    lastFrameNs_ = clock_.nowNs() - sinceLastFrameNs;
    paceAnchored_ = false;
}

RunLoop::Position RunLoop::position() const {
    return {frames_, lastFrameNs_, total_, heldBudget_, heldExecuted_};
}

void RunLoop::restorePosition(const Position& p) {
    frames_ = p.frames;
    lastFrameNs_ = p.lastFrameNs;
    total_ = p.total;
    heldBudget_ = p.heldBudget;
    heldExecuted_ = p.heldExecuted;
    paceAnchored_ = false;
}

uint64_t RunLoop::paceAllowance(uint64_t now, uint64_t budget, uint64_t& wakeNs) {
    if (speedLimit_ == 0) return budget;
    using Wide = unsigned __int128;
    const uint64_t rate = speedLimit_ * fastForward_;
    if (!paceAnchored_) {
        paceAnchored_ = true;
        paceStartNs_ = now;
        paceCount_ = 0;
    }
    uint64_t due = uint64_t(Wide(now - paceStartNs_) * rate / 1'000'000'000u);
    // A host too slow for the limit falls behind; it may catch up by one frame, no more.
    const uint64_t frameWorth = uint64_t(Wide(framePeriodNs()) * rate / 1'000'000'000u);
    if (due > paceCount_ + frameWorth) {
        paceStartNs_ = now - framePeriodNs();
        paceCount_ = 0;
        due = frameWorth;
    }
    if (due > paceCount_) return std::min(budget, due - paceCount_);
    // Rounded up, so the instruction is really allowed at the wake-up time.
    wakeNs = paceStartNs_ + uint64_t((Wide(paceCount_ + 1) * 1'000'000'000u + rate - 1) / rate);
    return 0;
}

SliceResult RunLoop::slice() {
    SliceResult r;
    heldAtCount_ = false;
    if (stop_) {
        r.idle = IdleReason::Stopped;
        return r;
    }
    const uint64_t now = clock_.nowNs();
    if (now - lastFrameNs_ >= framePeriodNs()) {
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
    if (m_.paused || frozen_ || userPaused_) {
        paceAnchored_ = false;
        r.idle = IdleReason::Paused;
        return r;
    }
    if (m_.delayCounter != 0) {
        paceAnchored_ = false;
        // At most one tick per slice; no instruction runs while the delay counts.
        if (now - m_.lastDelayNs >= tickPeriodNs()) {
            m_.lastDelayNs = now;
            --m_.delayCounter;
        }
        if (m_.delayCounter != 0) {
            r.idle = IdleReason::Delay;
            r.wakeNs = std::min(r.wakeNs, m_.lastDelayNs + tickPeriodNs());
        }
        return r;
    }
    if (limitReached()) {
        r.idle = IdleReason::Stopped;
        return r;
    }

    uint64_t budget = 0;
    if (heldBudget_ != 0) {
        // The rest of a batch the gate held: nothing else can have become due meanwhile, since
        // the clock still stands where the batch began.
        budget = heldBudget_;
        heldBudget_ = 0;
    } else {
        budget = std::min(clock_.batchBudget(nextFrameNs()), maxBatch_);
        if (limit_ != 0) budget = std::min(budget, limit_ - total_);
        uint64_t paceWake = 0;
        budget = paceAllowance(now, std::max<uint64_t>(budget, 1), paceWake);
        if (budget == 0) {
            r.idle = IdleReason::Throttled;
            r.wakeNs = std::min(r.wakeNs, paceWake);
            return r;
        }
    }
    if (trace_) {
        budget = 1;
        if (gate_ && !gate_(m_)) {
            paceAnchored_ = false;
            r.idle = IdleReason::Paused;
            return r;
        }
        trace_(m_);
    }
    RunResult ran;
    bool held = false;
    if (holdAt_ != kNoHold && !trace_) {
        // Up to the count at full speed; a batch that reaches it before its own end is held
        // like one the gate held. One that ends there by itself is held at the next slice,
        // after what comes between two batches, where the gate would be asked.
        if (total_ < holdAt_) {
            const uint64_t cut = std::min(budget, holdAt_ - total_);
            ran = run(m_, cut);
            total_ += ran.executed;
            held = ran.stop == RunStop::Budget && total_ == holdAt_ && cut < budget;
        } else {
            held = true;
        }
        heldAtCount_ = held;
    } else if (gate_ && !trace_) {
        // One instruction at a time, each let through by the gate, within the same batch.
        while (ran.executed < budget) {
            if (!gate_(m_)) {
                held = true;
                break;
            }
            const RunResult one = run(m_, 1);
            ran.executed += one.executed;
            total_ += one.executed;
            ran.stop = one.stop;
            if (one.stop != RunStop::Budget || one.executed == 0) break;
        }
        if (!held && ran.executed == budget) ran.stop = RunStop::Budget;
    } else {
        ran = run(m_, std::max<uint64_t>(budget, 1));
        total_ += ran.executed;
    }
    if (held) {
        heldBudget_ = budget - ran.executed;
        heldExecuted_ += ran.executed;
    } else {
        clock_.executed(heldExecuted_ + ran.executed);
        heldExecuted_ = 0;
    }
    paceCount_ += ran.executed;
    if (ran.stop == RunStop::WaitKey || ran.stop == RunStop::Delay) paceAnchored_ = false;
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
                r.wakeNs = std::min(r.wakeNs, m_.lastDelayNs + tickPeriodNs());
            }
            break;
        case RunStop::Paused:
            r.idle = IdleReason::Paused;
            break;
        default:
            break;
    }
    if (held && r.idle == IdleReason::None) {
        paceAnchored_ = false;
        r.idle = IdleReason::Paused;
    }
    if (r.idle == IdleReason::None && limitReached()) r.idle = IdleReason::Stopped;
    return r;
}

}  // namespace corvane
