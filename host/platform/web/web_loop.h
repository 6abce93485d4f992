#pragma once
// The run loop in a page: the browser calls tick() once per displayed frame
// (requestAnimationFrame), or, while a program computes, again as soon as it has done its own
// work; the simulator runs in between, never blocking and never spinning.
//
// Real time: a tick brings the machine up to the moment it started. Slices run until the
// machine would sleep past that moment, or for at most the tick's budget (below) of real time
// while a program computes, so the browser keeps its share of each frame. A tick that ends with
// the program still computing asks for the next at once (computing()): that tick, between two
// frames, runs for a slice of half a frame, so that the browser, which paints when the tick
// under way ends, still paints every frame, and the program has the rest. A sleep whose
// deadline has already passed is taken as slept: delay ticks (1/256 s) come more often than the
// browser's frames, and each tick catches up on those that fell due since the last, at most
// kMaxCatchUpNs' worth (after the page was hidden, the machine goes on from where it was).
//
// Virtual time (the test hook): the runner's loop, as far as the tick's budget of real time goes
// in one tick; once the program waits with no scripted input left, the clock stands still.

#include <cstdint>
#include <functional>

#include "host/page_pacing.h"

namespace corvane {

class App;
class WebPlatform;

// How much of each frame a tick keeps, and the batches it runs in real time: host/page_pacing.h.
constexpr uint64_t kMaxCatchUpNs = 100'000'000;

class WebLoop {
  public:
    WebLoop(App& app, WebPlatform& platform) : app_(app), platform_(platform) {}

    // One browser frame's worth of running. False once the simulator has ended (Exit).
    bool tick();

    // Real time: the last tick ended with nothing to do until input comes (no program, a
    // program waiting for a key, paused), so the page may stop calling tick() for a while.
    bool restful() const { return restful_; }

    // Real time: the last tick ended with the program still computing (its time was up, nothing
    // to wait for), so the next may come as soon as the browser has done its own work, without
    // waiting for the next frame; that tick then takes TickShare::sliceBudget().
    bool computing() const { return computing_; }

    // A program's stream was closed (App::onStreamClosed).
    void streamClosed() { streamClosed_ = true; }

    // What the loop watches to write the root to storage: called after a tick in which a
    // program's file was closed, a program stopped or started, or the user gave input.
    std::function<void()> onStorageDirty;
    // Virtual time: whether captures are still to come, so a waiting program's clock still runs
    // up to them (as the runner's does).
    std::function<bool()> capturesPending;

  private:
    void realTimeTick();
    void virtualTimeTick();
    void watchStorage();

    App& app_;
    WebPlatform& platform_;
    bool sleeping_ = false;
    bool restful_ = false;
    bool computing_ = false;
    bool streamClosed_ = false;
    bool wasLoaded_ = false;
    TickShare share_;
    BatchSize batch_;
};

}  // namespace corvane
