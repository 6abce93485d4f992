// The debug server's reverse execution: stepBack and reverseContinue.
//
// The run is deterministic given its inputs, so the past is replayed rather than recorded
// instruction by instruction: checkpoints every so many instructions keep where the machine, the
// run loop and the platform (its clock and the input to come) stood. Going back restores the
// nearest checkpoint before the current point and replays forward. A step back by line or a
// reverse continue needs to know where the goal lies first: a scan replays the interval up to
// the current point and notes the last point that fits (a line at this frame's depth or
// shallower, or at any depth; the call that entered this function; a breakpoint whose condition
// holds, a watched change); then a seek restores the
// same checkpoint again and replays to exactly that instruction count. When the interval holds
// none, the scan moves on to the interval before it, down to the start of the run.

#include <algorithm>
#include <chrono>
#include <cstring>
#include <iterator>

#include "host/app.h"
#include "host/dap_session.h"
#include "host/dap_values.h"
#include "host/loader.h"
#include "host/window.h"
#include "vm/machine.h"
#include "vm/opcodes.h"

namespace corvane {

void DapSession::takeCheckpoint() {
    if (!marks_.take || !app_ || !app_->machine().programLoaded) return;
    const auto start = std::chrono::steady_clock::now();
    Checkpoint c;
    c.instructions = app_->runLoop().instructions();
    c.loop = app_->runLoop().position();
    c.platform = marks_.take();
    if (app_->hasWindow()) c.skin = app_->window().skin();
    c.lastReturn = app_->machine().lastReturn;
    checkpoints_.add(std::move(c), app_->captureState());
    checkpointTime_ += std::chrono::steady_clock::now() - start;
}

void DapSession::maybeCheckpoint() {
    if (replaying_ || !marks_.take || !app_) return;
    const RunLoop& loop = app_->runLoop();
    if (checkpoints_.count() != 0) {
        const Checkpoint& last = checkpoints_[checkpoints_.count() - 1];
        if (loop.instructions() < last.instructions + reverseSettings_.instructions &&
            loop.frames() < last.loop.frames + reverseSettings_.frames)
            return;
    }
    takeCheckpoint();
}

bool DapSession::restoreCheckpoint(size_t index) {
    std::vector<uint8_t> bytes;
    if (!checkpoints_.state(index, bytes)) return false;
    const Checkpoint& c = checkpoints_[index];
    // The platform's clock first: the machine's delay and date are put back relative to it.
    marks_.restore(c.platform);
    app_->runLoop().restorePosition(c.loop);
    if (!app_->restoreState(bytes)) return false;
    if (app_->hasWindow()) app_->window().skin() = c.skin;
    app_->machine().lastReturn = c.lastReturn;
    faultReported_ = false;
    skipGateOnce_ = false;
    pauseRequested_ = false;
    step_ = Step::None;
    state_ = State::Running;
    repositioned_ = true;
    return true;
}

bool DapSession::holds() {
    const bool again = repositioned_;
    repositioned_ = false;
    return state_ == State::Stopped || again;
}

void DapSession::dataWritten() {
    if (!app_ || checkpoints_.count() == 0) return;
    // Checkpoints at this count were taken before the write: the run from here is another one.
    const uint64_t now = app_->runLoop().instructions();
    if (now == 0)
        checkpoints_.clear();
    else
        checkpoints_.dropAfter(now - 1);
    takeCheckpoint();
}

bool DapSession::conditionTrue(const SourceBreakpoint& bp, const Machine& m) {
    if (bp.condition.empty()) return true;
    const std::vector<StackFrame> stack = walkStack(info_ ? &*info_ : nullptr, m);
    ValueReader reader(info_ ? &*info_ : nullptr, m, stack.front());
    Value v;
    char format = 0;
    std::string error;
    if (!reader.evaluate(bp.condition, v, format, error)) return true;
    const std::string shown = reader.show(v, 'd');
    return shown != "0" && shown != "0x0000";
}

uint32_t DapSession::lineValueAt(uint32_t pc) {
    auto known = lineOfPc_.find(pc);
    if (known != lineOfPc_.end()) return known->second;
    uint32_t value = 0;
    const std::vector<DebugLine>& lines = info_->lines;
    auto it = std::upper_bound(lines.begin(), lines.end(), pc,
                               [](uint32_t a, const DebugLine& l) { return a < l.address; });
    const DebugFunction* f = info_->functionAt(pc);
    if (it != lines.begin() && f && std::prev(it)->address >= f->start)
        value = std::prev(it)->value;
    lineOfPc_.emplace(pc, value);
    return value;
}

void DapSession::considerCandidate(const Machine& m, uint64_t count, bool watchesOnly) {
    if (goal_ == Goal::Caller) {
        // The caller's last instruction before this function's frame was built: the call. The
        // called function's ENTER still runs at the caller's frame base but lies before its
        // first line, and so does the dispatcher of a call through a pointer.
        if (watchesOnly || m.fp >= goalFp_) return;
        const bool callersCode =
            info_ ? lineValueAt(m.pc) != 0 : m.pc < m.imageSize && m.image[m.pc] == op::CALL;
        if (callersCode) {
            candidate_ = count;
            candidateReason_ = "step";
        }
        return;
    }
    if (goal_ == Goal::Line || goal_ == Goal::LineInto) {
        if (watchesOnly) return;
        // Into a call: the start of any line, at any depth, is where the program last was.
        if (goal_ == Goal::LineInto && m.fp > goalFp_ && lineAddresses_.count(m.pc)) {
            candidate_ = count;
            candidateReason_ = "step";
            return;
        }
        if (m.fp > goalFp_) return;
        if (lineAddresses_.count(m.pc)) {
            candidate_ = count;
            candidateReason_ = "step";
        } else if (lineValueAt(m.pc) != goalLine_) {
            // Code of another line that began long before (a loop's condition, whose line
            // marker ran once at the loop's start): its last instruction here will do.
            lineFallback_ = count;
        }
        return;
    }
    // Goal::Breakpoint: what would have stopped a forward run here. Hit counts are left out:
    // they count the hits of the run going forward.
    std::vector<int> changed;
    for (size_t i = 0; i < dataBreakpoints_.size(); ++i) {
        const DataBreakpoint& w = dataBreakpoints_[i];
        std::vector<uint8_t>& last = scanWatch_[i];
        if (std::memcmp(&m.mem[w.address], last.data(), w.size) == 0) continue;
        std::memcpy(last.data(), &m.mem[w.address], w.size);
        changed.push_back(w.id);
    }
    if (!changed.empty()) {
        candidate_ = count;
        candidateReason_ = "data breakpoint";
        candidateHits_ = changed;
        return;
    }
    if (watchesOnly) return;
    if (instructionBreakpoints_.count(m.pc)) {
        candidate_ = count;
        candidateReason_ = "instruction breakpoint";
        candidateHits_.clear();
        return;
    }
    if (!lineAddresses_.count(m.pc)) return;
    std::vector<int> hits;
    for (const auto& [path, list] : sourceBreakpoints_)
        for (const SourceBreakpoint& bp : list)
            if (bp.address == m.pc && bp.logMessage.empty() && conditionTrue(bp, m))
                hits.push_back(bp.id);
    std::string reason = "breakpoint";
    if (hits.empty()) {
        reason = "function breakpoint";
        for (const SourceBreakpoint& bp : functionBreakpoints_)
            if (bp.address == m.pc && conditionTrue(bp, m)) hits.push_back(bp.id);
    }
    if (hits.empty()) return;
    candidate_ = count;
    candidateReason_ = reason;
    candidateHits_ = hits;
}

bool DapSession::reverseGate(const Machine& m, uint64_t count) {
    if (reverse_ == Reverse::Seek) {
        if (count < seekTarget_) return true;
        seekArrived();
        return false;
    }
    if (count < candidatesBefore_) considerCandidate(m, count, false);
    if (count < scanEnd_) return true;
    // A change the instruction before this checkpoint made shows only here.
    if (watchAtEnd_ && goal_ == Goal::Breakpoint) considerCandidate(m, count, true);
    scanDone_ = true;
    return false;
}

void DapSession::startScan(size_t index, uint64_t candidatesBefore, uint64_t endAt,
                           bool watchAtEnd) {
    restoreCheckpoint(index);
    app_->runLoop().clearHoldAt();
    reverse_ = Reverse::Scan;
    scanFrom_ = index;
    candidatesBefore_ = candidatesBefore;
    scanEnd_ = endAt;
    watchAtEnd_ = watchAtEnd;
    candidate_.reset();
    lineFallback_.reset();
    candidateHits_.clear();
    const Machine& m = app_->machine();
    scanWatch_.clear();
    for (const DataBreakpoint& w : dataBreakpoints_)
        scanWatch_.emplace_back(&m.mem[w.address], &m.mem[w.address] + w.size);
}

void DapSession::startSeek(uint64_t target, const std::string& reason, std::vector<int> hits) {
    // From a checkpoint before any moment at that count: several pass at one count while the
    // program waits for a key or counts a delay down, and the seek stops at the first of them,
    // where a forward run would have stopped.
    const long index = target == 0 ? 0 : checkpoints_.atOrBefore(target - 1);
    restoreCheckpoint(size_t(std::max(index, 0L)));
    reverse_ = Reverse::Seek;
    seekTarget_ = target;
    seekReason_ = reason;
    seekHits_ = std::move(hits);
    // The run loop runs there at full speed; the gate's own check stays for a traced run.
    app_->runLoop().setHoldAt(target);
}

void DapSession::seekArrived() {
    app_->runLoop().clearHoldAt();
    reverse_ = Reverse::None;
    stopAt(seekReason_, "", seekHits_);
}

void DapSession::finishScan() {
    // The start of the previous line within this interval, else where the program was last in
    // another line, rather than replaying the whole run back to that line's start.
    if (!candidate_ && lineFallback_) candidate_ = lineFallback_;
    if (candidate_) {
        startSeek(*candidate_, candidateReason_, candidateHits_);
        return;
    }
    if (scanFrom_ == 0) {
        // Nothing before: the start of the run.
        startSeek(checkpoints_[0].instructions, "entry", {});
        return;
    }
    const uint64_t boundary = checkpoints_[scanFrom_].instructions;
    startScan(scanFrom_ - 1, boundary, boundary, true);
}

bool DapSession::beginReverse(Goal goal, std::string& error) {
    if (!marks_.take || checkpoints_.count() == 0) {
        error = "going back needs the runner's virtual clock (a run without --realtime)";
        return false;
    }
    const Machine& m = app_->machine();
    // Where the program stands: before the instruction it is stopped at, or after the one that
    // faulted.
    const bool atFault = faultReported_ && !m.programLoaded;
    const uint64_t here = atFault ? lastGateCount_ + 1 : app_->runLoop().instructions();
    const uint64_t endAt = atFault ? lastGateCount_ : here;
    goal_ = goal;
    goalFp_ = stopFrameFp();
    goalLine_ = info_ ? lineValueAt(stopFramePc()) : 0;
    replaying_ = true;
    dropStopView();
    if (goal == Goal::Instruction || ((goal == Goal::Line || goal == Goal::LineInto) && !info_)) {
        const uint64_t target = here == 0 ? 0 : here - 1;
        startSeek(std::max(target, checkpoints_[0].instructions), "step", {});
        return true;
    }
    if (goal == Goal::Breakpoint && !anythingToStopAt()) {
        // Nothing could have stopped the program on its way: straight back to the start.
        startSeek(checkpoints_[0].instructions, "entry", {});
        return true;
    }
    const long index = checkpoints_.atOrBefore(endAt);
    startScan(size_t(index < 0 ? 0 : index), here, endAt, false);
    return true;
}

bool DapSession::anythingToStopAt() const {
    if (!dataBreakpoints_.empty() || !instructionBreakpoints_.empty()) return true;
    for (const auto& [path, list] : sourceBreakpoints_)
        for (const SourceBreakpoint& bp : list)
            if (bp.address != 0 && bp.logMessage.empty()) return true;
    for (const SourceBreakpoint& bp : functionBreakpoints_)
        if (bp.address != 0) return true;
    return false;
}

}  // namespace corvane
