#pragma once
// corvane-run's input logs: "--record-input FILE" writes what a run took from outside as it
// happens (host/input_log.h), "--replay FILE" runs it again from the log and checks as it goes
// that it takes the same path: each frame's input after the same number of instructions, the
// same images loaded, and at the end the same instructions, frames, exit status and LCD.

#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host/input_log.h"
#include "host/platform/headless/runner_options.h"

namespace corvane {

class App;

class InputRecorder {
  public:
    InputRecorder(std::string file, const RunnerOptions& options, App& app);

    // The events frame `frame` released after `count` instructions.
    void released(uint64_t count, uint64_t frame, const std::vector<PlatformEvent>& events);
    void dialogAnswer(uint64_t count, uint64_t frame, const std::string& answer);
    // After each frame: an image loaded in it is recorded.
    void frameEnded(uint64_t count, uint64_t frame);
    // The debugger went back to frame `frame`: what came after it will be recorded again.
    void rewound(uint64_t frame);
    // Writes the log with its end record; `atCount`: the run stopped at an instruction count (its
    // limit, an interruption). False (said on `err`) when it cannot be written.
    bool finish(int status, bool atCount, std::FILE* err);

  private:
    std::string file_;
    App& app_;
    InputLog log_;
    ImageIdentity current_;
    std::string currentPath_;
    bool loadPossible_ = false;  // an event of this frame may have loaded an image
    bool finished_ = false;
};

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
