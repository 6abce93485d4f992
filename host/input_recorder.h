#pragma once
// Records a run's input log as it happens (host/input_log.h): what each frame start released,
// the answers file dialogs took, each program image loaded, and at the end how the run ended.
// corvane-run's "--record-input FILE" and the window's recording write the same log.

#include <cstdint>
#include <string>
#include <vector>

#include "host/input_log.h"

namespace corvane {

class App;

class InputRecorder {
  public:
    // `app` has started up with its image loaded; the clock counts `instructionsPerSecond` from
    // the local date `date`.
    InputRecorder(std::string file, uint64_t instructionsPerSecond, const LocalTime& date,
                  App& app);

    // How the window is shown as the run starts (its pointer positions go through it).
    void setView(const LoggedView& view) { log_.view = view; }
    // The events frame `frame` released after `count` instructions.
    void released(uint64_t count, uint64_t frame, const std::vector<PlatformEvent>& events);
    void dialogAnswer(uint64_t count, uint64_t frame, const std::string& answer);
    // After each frame: an image loaded in it is recorded.
    void frameEnded(uint64_t count, uint64_t frame);
    // The debugger went back to frame `frame`: what came after it will be recorded again.
    void rewound(uint64_t frame);
    // Writes the log with its end record; `atCount`: the run stopped at an instruction count (its
    // limit, an interruption). False, with `error` saying why, when it cannot be written.
    bool finish(int status, bool atCount, std::string& error);
    const std::string& file() const { return file_; }

  private:
    // A new record at instruction `count` of frame `frame`, at the end of the log.
    InputRecord& append(uint64_t count, uint64_t frame);

    std::string file_;
    App& app_;
    InputLog log_;
    ImageIdentity current_;
    std::string currentPath_;
    bool loadPossible_ = false;  // an event of this frame may have loaded an image
    bool finished_ = false;
};

}  // namespace corvane
