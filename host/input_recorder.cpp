#include "host/input_recorder.h"

#include <filesystem>
#include <fstream>

#include "host/app.h"
#include "shared/host_path.h"
#include "vm/machine.h"

namespace corvane {

namespace {

// Whether an event may load another image (a menu command, a dropped file).
bool mayLoad(const PlatformEvent& e) {
    return e.type == PlatformEvent::Type::Command || e.type == PlatformEvent::Type::DropFile;
}

}  // namespace

InputRecorder::InputRecorder(std::string file, uint64_t instructionsPerSecond,
                             const LocalTime& date, App& app)
    : file_(std::move(file)), app_(app) {
    current_ = identifyImage(app.machine());
    currentPath_ = app.loader().imagePath();
    log_.image = current_;
    std::error_code ec;
    log_.imageName = hostPathText(std::filesystem::absolute(hostFsPath(currentPath_), ec));
    log_.instructionsPerSecond = instructionsPerSecond;
    log_.date = date;
}

void InputRecorder::released(uint64_t count, uint64_t frame,
                             const std::vector<PlatformEvent>& events) {
    for (const PlatformEvent& e : events) {
        if (!loggedEvent(e.type)) continue;
        append(count, frame).event = e;
        if (mayLoad(e)) loadPossible_ = true;
    }
}

void InputRecorder::dialogAnswer(uint64_t count, uint64_t frame, const std::string& answer) {
    InputRecord& r = append(count, frame);
    r.kind = InputRecord::Kind::Dialog;
    r.text = answer;
    loadPossible_ = true;
}

void InputRecorder::frameEnded(uint64_t count, uint64_t frame) {
    const Machine& m = app_.machine();
    if (!loadPossible_ && app_.loader().imagePath() == currentPath_ && m.imageSize == current_.size)
        return;
    loadPossible_ = false;
    currentPath_ = app_.loader().imagePath();
    const ImageIdentity now = identifyImage(m);
    if (now == current_) return;
    current_ = now;
    InputRecord& r = append(count, frame);
    r.kind = InputRecord::Kind::Loaded;
    r.image = now;
}

InputRecord& InputRecorder::append(uint64_t count, uint64_t frame) {
    InputRecord& r = log_.records.emplace_back();
    r.instructions = count;
    r.frame = frame;
    return r;
}

void InputRecorder::rewound(uint64_t frame) {
    while (!log_.records.empty() && log_.records.back().frame > frame) log_.records.pop_back();
    // The image loaded at that point is the last one recorded up to it.
    current_ = log_.image;
    for (const InputRecord& r : log_.records)
        if (r.kind == InputRecord::Kind::Loaded) current_ = r.image;
    currentPath_.clear();
}

bool InputRecorder::finish(int status, bool atCount, std::string& error) {
    if (finished_) return true;
    finished_ = true;
    log_.end = InputLogEnd{app_.runLoop().instructions(), app_.runLoop().frames(), status,
                           lcdHash(app_.machine()), atCount};
    const std::string text = writeInputLog(log_);
    std::ofstream out(hostFsPath(file_), std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) {
        error = "cannot write the input log " + file_;
        return false;
    }
    return true;
}

}  // namespace corvane
