#include "host/platform/headless/input_session.h"

#include <cinttypes>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/app.h"
#include "host/platform/headless/runner.h"
#include "shared/host_path.h"
#include "vm/machine.h"

namespace corvane {

namespace {

std::string describe(const ImageIdentity& id) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%u bytes, hash %016" PRIx64, id.size, id.hash);
    return buf;
}

}  // namespace

bool InputReplay::prepare(const std::string& file, RunnerOptions& o, Switches& switches,
                          std::string& error) {
    file_ = file;
    std::ifstream in(hostFsPath(file), std::ios::binary);
    std::ostringstream text;
    if (in) text << in.rdbuf();
    if (!in) {
        error = "cannot read the input log " + file;
        return false;
    }
    std::string why;
    std::optional<InputLog> log = readInputLog(text.str(), why);
    if (!log) {
        error = file + ": " + why;
        return false;
    }
    if (!o.script.empty() || !o.dialogAnswers.empty() || !o.loadState.empty() || o.realtime) {
        error =
            "--replay takes the run's input from the log: it goes with no --keys, --click, "
            "--rclick, --command, --drop, --dialog, --load-state or --realtime";
        return false;
    }
    log_ = std::move(*log);
    o.ips = log_.instructionsPerSecond;
    o.date = log_.date;
    if (log_.view) {
        // Pointer positions land where they did: the window shown as it was, on a screen of
        // the same size.
        o.view = log_.view->mode;
        o.screenWidth = log_.view->screenWidth;
        o.screenHeight = log_.view->screenHeight;
    }
    for (const InputRecord& r : log_.records) {
        if (r.kind == InputRecord::Kind::Event) {
            o.script.add(r.frame, r.event);
            frameCounts_.emplace(r.frame, r.instructions);
        } else if (r.kind == InputRecord::Kind::Dialog) {
            o.dialogAnswers.push_back(r.text);
        } else {
            loads_.push_back(r.image);
        }
    }
    if (log_.end) {
        // The run ends where the recorded one ended: at its instruction count when it stopped
        // there, else after its last frame once it has run as many instructions (frameEnded);
        // the frame limit lies one beyond, so a program that ended by itself in that frame gets
        // there.
        if (log_.end->atCount) {
            o.maxInstructions = log_.end->instructions;
            o.instructionsGiven = true;
        }
        o.maxFrames = log_.end->frames + 1;
        o.framesGiven = true;
    }
    if (!switches.image) switches.image = log_.imageName;
    return true;
}

bool InputReplay::checkImage(App& app, std::string& error) const {
    const ImageIdentity id = identifyImage(app.machine());
    if (id == log_.image) return true;
    error = file_ + " was recorded with another program image (" + log_.imageName + ", " +
            describe(log_.image) + "; this one has " + describe(id) + "): not replayed";
    return false;
}

bool InputReplay::frameStarted(uint64_t count, uint64_t frame) {
    auto it = frameCounts_.find(frame);
    if (it == frameCounts_.end() || it->second == count) return true;
    problem_ = "the replay went another way: the input of frame " + std::to_string(frame) +
               " came after " + std::to_string(it->second) + " instructions when recorded, after " +
               std::to_string(count) + " now";
    return false;
}

bool InputReplay::frameEnded(App& app) {
    const Machine& m = app.machine();
    // The recorded run stopped after this frame (a frame limit, or a wait no input ended).
    if (log_.end && app.runLoop().frames() == log_.end->frames &&
        app.runLoop().instructions() == log_.end->instructions)
        return false;
    if (current_.size == 0) {
        current_ = log_.image;
        currentPath_ = app.loader().imagePath();
    }
    if (app.loader().imagePath() == currentPath_ && m.imageSize == current_.size &&
        nextLoad_ >= loads_.size())
        return true;
    currentPath_ = app.loader().imagePath();
    const ImageIdentity now = identifyImage(m);
    if (now == current_) return true;
    current_ = now;
    if (nextLoad_ < loads_.size() && loads_[nextLoad_] == now) {
        ++nextLoad_;
        return true;
    }
    problem_ = "the replay loaded another program image (" + describe(now) + ") than recorded";
    return false;
}

bool InputReplay::finished(App& app, int status) {
    if (!problem_.empty()) return false;
    if (!log_.end) return true;
    InputLogEnd now{app.runLoop().instructions(), app.runLoop().frames(), status,
                    lcdHash(app.machine()), log_.end->atCount};
    // A run interrupted (Ctrl+C) is replayed to the point of the interruption, where the replay
    // stops at its limit.
    if (log_.end->status == kRunInterrupted && status == kRunLimit) now.status = kRunInterrupted;
    if (now == *log_.end) return true;
    char buf[256];
    std::snprintf(buf, sizeof buf,
                  "the replay ended otherwise than recorded: %" PRIu64 " instructions, %" PRIu64
                  " frames, status %d, LCD %016" PRIx64 " (recorded: %" PRIu64 ", %" PRIu64
                  ", %d, %016" PRIx64 ")",
                  now.instructions, now.frames, now.status, now.lcdHash, log_.end->instructions,
                  log_.end->frames, log_.end->status, log_.end->lcdHash);
    problem_ = buf;
    return false;
}

}  // namespace corvane
