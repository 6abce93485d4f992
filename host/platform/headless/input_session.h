#pragma once
// corvane-run's input logs: "--record-input FILE" writes what a run took from outside as it
// happens (host/input_recorder.h), "--replay FILE" runs it again from the log and checks as it
// goes that it takes the same path: each frame's input after the same number of instructions,
// the same images loaded, and at the end the same instructions, frames, exit status and LCD.

#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host/input_log.h"
#include "host/input_recorder.h"
#include "host/platform/headless/runner_options.h"

namespace corvane {

class App;

class InputReplay {
  public:
    // Reads the log and makes the run's options take their input from it: its clock, its
    // script, its dialog answers, its end as the limits, and the image it names when the
    // command line names none. False with `error` set when it cannot be replayed.
    bool prepare(const std::string& file, RunnerOptions& options, Switches& switches,
                 std::string& error);
    // The image loaded at the start must be the one recorded.
    bool checkImage(App& app, std::string& error) const;
    // False (with the reason kept) when the replay took another path.
    bool frameStarted(uint64_t count, uint64_t frame);
    // False when the run is to stop: it took another path (the reason is kept), or the recorded
    // run stopped here.
    bool frameEnded(App& app);
    // Whether the recorded run was still going at this frame: it had input to come then (keys
    // scripted for after its end never reached the log), so the replay must not stop for want
    // of any.
    bool goesOn(uint64_t frames) const { return log_.end && frames < log_.end->frames; }
    // Whether the run ended as recorded; the reason is kept when not.
    bool finished(App& app, int status);
    const std::string& problem() const { return problem_; }

  private:
    InputLog log_;
    std::string file_;
    std::map<uint64_t, uint64_t> frameCounts_;  // frame -> the count its input came at
    std::vector<ImageIdentity> loads_;
    size_t nextLoad_ = 0;
    ImageIdentity current_;
    std::string currentPath_;
    std::string problem_;
};

}  // namespace corvane
