#include "host/platform/web/web_loop.h"

#include <algorithm>

#include "host/app.h"
#include "host/platform/web/web_platform.h"
#include "vm/machine.h"

namespace corvane {

bool WebLoop::tick() {
    if (app_.quitRequested()) return false;
    if (platform_.virtualTime())
        virtualTimeTick();
    else
        realTimeTick();
    watchStorage();
    return !app_.quitRequested();
}

void WebLoop::realTimeTick() {
    const uint64_t start = WebPlatform::pageNs();
    // A tick between frames (the program computed to the end of the last) takes a slice short
    // enough that the browser paints at every frame; a frame's tick keeps its share of the frame.
    const uint64_t budget = computing_ ? share_.sliceBudget() : share_.tickBudget(start);
    computing_ = false;
    // Where the machine's clock stands: at the deadline it slept until, if that has come, else
    // now; never further back than the catch-up allows.
    uint64_t now = platform_.nowNs();
    if (restful_) {
        // After a rest nothing was due but frames, which never catch up: straight to now.
        now = std::max(now, start);
        sleeping_ = false;
    } else if (sleeping_) {
        now = std::max(now, std::min(platform_.wakeNs(), start));
        sleeping_ = false;
    } else {
        now = std::max(now, start);
    }
    now = std::max(now, start - std::min(start, kMaxCatchUpNs));
    restful_ = false;
    platform_.setClock(now);
    platform_.pointers().tick(start);

    uint64_t sliceStart = start;
    while (true) {
        app_.dispatchEvents();
        if (app_.quitRequested()) return;
        app_.runLoop().setMaxBatch(batch_.batch());
        const SliceResult s = app_.turn();
        if (app_.quitRequested()) return;
        if (s.idle == IdleReason::None) {
            const uint64_t real = WebPlatform::pageNs();
            batch_.ran(s.executed, real - std::min(real, sliceStart));
            sliceStart = real;
            platform_.setClock(std::max(platform_.nowNs(), real));
            if (real - start >= budget) {
                computing_ = true;
                return;
            }
            continue;
        }
        if (s.idle == IdleReason::Stopped) return;
        platform_.waitUntil(s.wakeNs);
        if (s.wakeNs <= start) {
            // The moment has passed already: as if slept until then.
            platform_.setClock(std::max(platform_.nowNs(), s.wakeNs));
            continue;
        }
        sleeping_ = true;
        restful_ = (s.idle == IdleReason::NoProgram || s.idle == IdleReason::WaitKey ||
                    s.idle == IdleReason::Paused) &&
                   !platform_.pointers().resting();
        return;
    }
}

void WebLoop::virtualTimeTick() {
    computing_ = false;
    const uint64_t start = WebPlatform::pageNs();
    const uint64_t budget = share_.tickBudget(start);
    while (WebPlatform::pageNs() - start < budget) {
        app_.dispatchEvents();
        if (app_.quitRequested()) return;
        const SliceResult s = app_.turn();
        if (app_.quitRequested()) return;
        if (s.idle == IdleReason::None) continue;
        if (s.idle == IdleReason::Stopped) return;
        // The runner's rule: a program that can only wait for input that will not come leaves
        // the clock where it is (a real key or click still wakes it at the next tick).
        const bool stuck = s.idle == IdleReason::WaitKey || s.idle == IdleReason::Paused ||
                           s.idle == IdleReason::NoProgram;
        if (stuck && !platform_.scriptPending() && !(capturesPending && capturesPending())) return;
        platform_.waitUntil(s.wakeNs);
    }
}

void WebLoop::watchStorage() {
    const bool loaded = app_.machine().programLoaded;
    const bool changed = loaded != wasLoaded_;
    wasLoaded_ = loaded;
    const bool closed = streamClosed_;
    streamClosed_ = false;
    const bool input = platform_.takeInputSeen();
    if ((closed || changed || input) && onStorageDirty) onStorageDirty();
}

}  // namespace corvane
