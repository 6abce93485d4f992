#include "host/dap_session.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "host/app.h"
#include "host/dap_values.h"
#include "host/loader.h"
#include "host/menu.h"
#include "host/runloop.h"
#include "host/source_map.h"
#include "library/gb2312.h"
#include "shared/disasm/disassembler.h"
#include "vm/image.h"
#include "vm/machine.h"
#include "vm/memory_map.h"
#include "vm/opcodes.h"

namespace corvane {

using json = nlohmann::json;

namespace {

constexpr int kThreadId = 1;
constexpr const char* kFaultFilter = "faults";
constexpr uint32_t kMemoryBlock = 0x1000;  // the Memory scope in blocks of 4 KiB, rows of 16

std::string hex(uint32_t v, int digits = 4) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%0*X", digits, v);
    return buf;
}

std::optional<uint32_t> parseAddress(const std::string& text) {
    if (text.empty()) return std::nullopt;
    size_t used = 0;
    unsigned long v = 0;
    try {
        v = std::stoul(text, &used, 0);
    } catch (...) {
        return std::nullopt;
    }
    if (used != text.size() || v > 0xFFFFFF) return std::nullopt;
    return uint32_t(v);
}

std::string base64(const uint8_t* data, size_t size) {
    static const char* kDigits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < size; i += 3) {
        uint32_t n = uint32_t(data[i]) << 16;
        if (i + 1 < size) n |= uint32_t(data[i + 1]) << 8;
        if (i + 2 < size) n |= data[i + 2];
        out += kDigits[n >> 18 & 63];
        out += kDigits[n >> 12 & 63];
        out += i + 1 < size ? kDigits[n >> 6 & 63] : '=';
        out += i + 2 < size ? kDigits[n & 63] : '=';
    }
    return out;
}

// A hit condition: "N" stops at the Nth hit, ">= N", "> N", "== N", "% N" as they say.
bool hitConditionHolds(const std::string& cond, uint64_t hits, bool& valid) {
    valid = true;
    std::string op;
    size_t i = 0;
    while (i < cond.size() && cond[i] == ' ') ++i;
    while (i < cond.size() && std::strchr("<>=%", cond[i])) op += cond[i++];
    const std::optional<uint32_t> n = parseAddress(cond.substr(
        cond.find_first_not_of(' ', i) == std::string::npos ? i : cond.find_first_not_of(' ', i)));
    if (!n) {
        valid = false;
        return true;
    }
    if (op.empty() || op == "==" || op == "=") return hits == *n;
    if (op == ">=") return hits >= *n;
    if (op == ">") return hits > *n;
    if (op == "<") return hits < *n;
    if (op == "<=") return hits <= *n;
    if (op == "%") return *n != 0 && hits % *n == 0;
    valid = false;
    return true;
}

std::optional<std::vector<uint8_t>> unbase64(const std::string& text) {
    std::vector<uint8_t> out;
    uint32_t bits = 0;
    int have = 0;
    size_t padding = 0;
    for (const char c : text) {
        int v = -1;
        if (c >= 'A' && c <= 'Z') v = c - 'A';
        if (c >= 'a' && c <= 'z') v = c - 'a' + 26;
        if (c >= '0' && c <= '9') v = c - '0' + 52;
        if (c == '+') v = 62;
        if (c == '/') v = 63;
        if (c == '=') {
            ++padding;
            continue;
        }
        if (v < 0 || padding) return std::nullopt;
        bits = bits << 6 | uint32_t(v);
        have += 6;
        if (have >= 8) {
            have -= 8;
            out.push_back(uint8_t(bits >> have));
        }
    }
    if (padding > 2) return std::nullopt;
    return out;
}

// An assembler's source: its lines are known by the program's `.line` markers alone.
bool isAssemblySource(const std::string& path) {
    const std::string ext = std::filesystem::path(path).extension().string();
    return ext == ".s" || ext == ".S";
}

// A source as the protocol names one.
json dapSource(const std::string& path) {
    return {{"name", std::filesystem::path(path).filename().string()}, {"path", path}};
}

// A watchpoint's data id: "0xADDR/SIZE".
std::string dataId(uint32_t address, uint32_t size) {
    return hex(address) + "/" + std::to_string(size);
}

bool parseDataId(const std::string& id, uint32_t& address, uint32_t& size) {
    const size_t slash = id.find('/');
    if (slash == std::string::npos) return false;
    const std::optional<uint32_t> a = parseAddress(id.substr(0, slash));
    const std::optional<uint32_t> n = parseAddress(id.substr(slash + 1));
    if (!a || !n || *n == 0 || uint64_t(*a) + *n > kVmMemorySize) return false;
    address = *a;
    size = *n;
    return true;
}

}  // namespace

struct DapSession::FrameView {
    StackFrame frame;
    std::unique_ptr<ValueReader> reader;
};

// What a variables reference stands for.
struct DapSession::Container {
    enum class Kind {
        Locals,
        Globals,
        Registers,
        OperandStack,
        Memory,
        MemoryBlock,
        Value
    } kind = Kind::Locals;
    size_t frame = 0;
    uint32_t base = 0;
    std::shared_ptr<Value> value;
};

DapSession::DapSession(DapLink& link) : link_(link) {}
DapSession::~DapSession() = default;

void DapSession::respond(int seq, const std::string& command, const void* body) {
    json r = {{"seq", seq_++},
              {"type", "response"},
              {"request_seq", seq},
              {"success", true},
              {"command", command}};
    if (body) r["body"] = *static_cast<const json*>(body);
    link_.send(r.dump(-1, ' ', false, json::error_handler_t::replace));
}

void DapSession::fail(int seq, const std::string& command, const std::string& message) {
    json r = {{"seq", seq_++},
              {"type", "response"},
              {"request_seq", seq},
              {"success", false},
              {"command", command},
              {"message", message},
              {"body", {{"error", {{"id", 1}, {"format", message}, {"showUser", false}}}}}};
    link_.send(r.dump(-1, ' ', false, json::error_handler_t::replace));
}

void DapSession::event(const std::string& name, const void* body) {
    json e = {{"seq", seq_++}, {"type", "event"}, {"event", name}};
    if (body) e["body"] = *static_cast<const json*>(body);
    link_.send(e.dump(-1, ' ', false, json::error_handler_t::replace));
}

void DapSession::output(const std::string& category, const std::string& text) {
    json body = {{"category", category}, {"output", text}};
    event("output", &body);
}

std::optional<std::vector<std::string>> DapSession::awaitLaunch() {
    while (!clientGone_ && launchSeq_ == 0) {
        std::optional<DapIncoming> in = link_.receive(waits_);
        if (!in && !waits_) return std::nullopt;
        if (!in || in->kind == DapIncoming::Kind::Closed) {
            clientGone_ = true;
            break;
        }
        if (in->kind == DapIncoming::Kind::Error) {
            output("stderr", "corvane-run: " + in->text + "\n");
            continue;
        }
        handle(in->text);
    }
    if (launchSeq_ == 0) return std::nullopt;
    return launchArgs_;
}

void DapSession::launchFailed(const std::string& why) {
    fail(launchSeq_, startCommand_, why.empty() ? "the program could not be started" : why);
    state_ = State::Ended;
    json none = json::object();
    event("terminated", &none);
}

void DapSession::launched(App& app, const std::string& imagePath) {
    app_ = &app;
    imagePath_ = imagePath;
    programLoads_ = app.loader().loads();
    Machine& m = app.machine();
    std::string problem;
    info_ = loadDebugInfoFor(imagePath, m.image.get(), m.imageSize, &problem);
    if (!problem.empty()) output("stderr", problem + "; debugging at instruction level\n");
    markSources_.reset();
    if (info_ && !info_->describesC()) {
        // An assembly program's records: where its markers come from, nothing to step by.
        markSources_ = std::move(info_);
        info_.reset();
    }
    if (info_)
        for (const DebugLine& l : info_->lines) lineAddresses_.insert(l.address);
    else
        findLineMarkers();
    app.runLoop().setGate([this](const Machine& mm) { return gate(mm); });
    checkpoints_ = CheckpointStore(reverseSettings_.keyEvery);
    takeCheckpoint();  // the start of the run, where going back ends
    app.onConsoleByte = [this](uint8_t b) {
        if (consoleLead_ < 0 && b < 0x80) {
            console_ += char(b);
        } else if (consoleLead_ < 0) {
            consoleLead_ = b;
        } else {
            const char pair[2] = {char(consoleLead_), char(b)};
            consoleLead_ = -1;
            std::string utf8;
            if (gb2312ToUtf8(std::string_view(pair, 2), utf8))
                console_ += utf8;
            else
                console_.append(pair, 2);
        }
    };
    launchedProgram_ = true;
    if (restarting_) {
        // Configured already: breakpoints and watches carry over to the new run.
        restarting_ = false;
        placeAgain();
        for (DataBreakpoint& w : dataBreakpoints_)
            std::memcpy(w.last.data(), &m.mem[w.address], w.size);
        if (stopOnEntry_ && !followingOpen_) {
            stopAt("entry", "");
            afterTurn();
        }
        return;
    }
    respond(launchSeq_, startCommand_, nullptr);
    event("initialized", nullptr);
}

bool DapSession::takeLaunchArguments(int seq, const std::string& command, const void* argsPtr) {
    const json& args = *static_cast<const json*>(argsPtr);
    if (!args.contains("program") || !args["program"].is_string()) {
        fail(seq, command, "launch needs \"program\": the program image to run");
        return false;
    }
    std::vector<std::string> taken;
    if (args.contains("args")) {
        if (!args["args"].is_array()) {
            fail(seq, command, "\"args\" is a list of corvane-run options");
            return false;
        }
        for (const json& a : args["args"]) {
            if (!a.is_string()) {
                fail(seq, command, "\"args\" is a list of corvane-run options");
                return false;
            }
            taken.push_back(a.get<std::string>());
        }
    }
    taken.push_back(args["program"].get<std::string>());
    launchArgs_ = std::move(taken);
    stopOnEntry_ = args.value("stopOnEntry", false);
    return true;
}

std::vector<std::string> DapSession::beginRestart() {
    restartRequested_ = false;
    restarting_ = true;
    app_ = nullptr;  // gone with the run that ended
    state_ = State::Running;
    frames_.clear();
    containers_.clear();
    instructionAddresses_.clear();
    lineAddresses_.clear();
    lineMarkers_.clear();
    step_ = Step::None;
    skipGateOnce_ = false;
    pauseRequested_ = false;
    pendingStop_.reset();
    pendingHits_.clear();
    faultReported_ = false;
    console_.clear();
    consoleLead_ = -1;
    checkpoints_.clear();
    lineOfPc_.clear();  // the program may be compiled anew
    marks_ = {};        // the runner's, gone with its run: the next run gives its own
    reverse_ = Reverse::None;
    replaying_ = false;
    scanDone_ = false;
    repositioned_ = false;
    for (auto& [path, list] : sourceBreakpoints_)
        for (SourceBreakpoint& bp : list) bp.hits = 0;
    for (SourceBreakpoint& bp : functionBreakpoints_) bp.hits = 0;
    return launchArgs_;
}

void DapSession::placeAgain() {
    // The program may have been rebuilt: each breakpoint goes where its line or function now is.
    auto tell = [this](const SourceBreakpoint& bp, uint32_t was) {
        if (bp.address == was) return;
        json b = {{"id", bp.id}, {"verified", bp.address != 0}};
        if (bp.address != 0) b["line"] = bp.actualLine;
        json body = {{"reason", "changed"}, {"breakpoint", b}};
        event("breakpoint", &body);
    };
    for (auto& [path, list] : sourceBreakpoints_) {
        for (SourceBreakpoint& bp : list) {
            const uint32_t was = bp.address;
            placeSourceBreakpoint(bp, path);
            tell(bp, was);
        }
    }
    for (SourceBreakpoint& bp : functionBreakpoints_) {
        const uint32_t was = bp.address;
        placeFunctionBreakpoint(bp);
        tell(bp, was);
    }
}

bool DapSession::serve() {
    for (;;) {
        if (restartRequested_) return false;
        if (detached_ && !terminateRequested_) return true;
        if (clientGone_ || terminateRequested_) return false;
        followWindow();
        const bool hold = state_ == State::Stopped || !configured_;
        std::optional<DapIncoming> in = link_.receive(hold && waits_);
        if (!in) {
            if (hold && waits_) continue;
            return true;
        }
        if (in->kind == DapIncoming::Kind::Closed) {
            clientGone_ = true;
            return false;
        }
        if (in->kind == DapIncoming::Kind::Error) {
            output("stderr", "corvane-run: " + in->text + "\n");
            continue;
        }
        handle(in->text);
    }
}

std::vector<std::string> DapSession::sourcePaths() const {
    std::vector<std::string> paths;
    const DebugInfo* files = info_ ? &*info_ : markSources_ ? &*markSources_ : nullptr;
    if (files)
        for (size_t i = 0; i < files->files.size(); ++i)
            paths.push_back(sourcePathIn(*files, int(i + 1)));
    return paths;
}

void DapSession::followWindow() {
    if (!app_ || !launchedProgram_ || state_ == State::Ended) return;
    const Machine& m = app_->machine();
    if (app_->loader().loads() == programLoads_) {
        // Closed from the window's menu while held: nothing is there to hold any more, and the
        // end is reported as any other.
        if (state_ == State::Stopped && !m.programLoaded &&
            app_->loader().lastEnd() == ProgramEnd::Closed) {
            state_ = State::Running;
            dropStopView();
            json body = {{"threadId", kThreadId}, {"allThreadsContinued", true}};
            event("continued", &body);
        }
        return;
    }
    // The window opened another image (its menu, a dropped file): what the session knew of the
    // old one (its debug information, the breakpoints' places, the stop, the checkpoints) goes,
    // and the client hears what changed.
    const bool wasStopped = state_ == State::Stopped;
    const std::vector<std::string> before = sourcePaths();
    App& app = *app_;
    PlatformMarks marks = marks_;
    beginRestart();
    marks_ = std::move(marks);
    if (wasStopped) {
        json body = {{"threadId", kThreadId}, {"allThreadsContinued", true}};
        event("continued", &body);
    }
    if (!m.programLoaded) {
        // The new image could not be read: the old program is gone, and none runs.
        app_ = &app;
        programLoads_ = app.loader().loads();
        info_.reset();
        markSources_.reset();
        return;
    }
    followingOpen_ = true;
    launched(app, app.loader().imagePath());
    followingOpen_ = false;
    output("console", "corvane: the window opened " + imagePath_ +
                          (info_ ? "" : ": no debug information, debugging at instruction level") +
                          "\n");
    const std::vector<std::string> after = sourcePaths();
    auto tell = [this](const std::vector<std::string>& paths, const std::vector<std::string>& not_,
                       const char* reason) {
        for (const std::string& path : paths)
            if (std::find(not_.begin(), not_.end(), path) == not_.end()) {
                json body = {{"reason", reason}, {"source", dapSource(path)}};
                event("loadedSource", &body);
            }
    };
    tell(before, after, "removed");
    tell(after, before, "new");
    if (clientTakesInvalidated_) {
        json body = {{"areas", json::array({"all"})}};
        event("invalidated", &body);
    }
}

void DapSession::flushConsole() {
    if (console_.empty()) return;
    output("stdout", console_);
    console_.clear();
}

void DapSession::afterTurn() {
    if (detached_) {
        console_.clear();
        return;
    }
    Machine& m = app_->machine();
    // What a replay of the past prints was printed when the program went there the first time.
    if (replaying_) console_.clear();
    if (scanDone_) {
        scanDone_ = false;
        finishScan();
        return;
    }
    if (reverse_ == Reverse::Seek && app_->runLoop().heldAtCount()) seekArrived();
    if (replaying_ && reverse_ != Reverse::None && !m.programLoaded) {
        // Only a change outside the machine (a file the program reads) can make a replay end
        // where the run it repeats went on.
        reverse_ = Reverse::None;
        replaying_ = false;
        output("stderr", "corvane-run: going back: the replay went another way and ended\n");
    }
    flushConsole();
    if (pendingStop_) {
        const auto [reason, text] = *pendingStop_;
        pendingStop_.reset();
        replaying_ = false;
        state_ = State::Stopped;
        buildFrames();
        json body = {{"reason", reason}, {"threadId", kThreadId}, {"allThreadsStopped", true}};
        if (!text.empty()) body["text"] = text;
        if (!pendingHits_.empty()) body["hitBreakpointIds"] = pendingHits_;
        pendingHits_.clear();
        event("stopped", &body);
        return;
    }
    if (!m.programLoaded && app_->loader().lastEnd() == ProgramEnd::Fault && !faultReported_) {
        faultReported_ = true;
        faultText_ = faultMessageWithPlace(m.faultReason, info_ ? &*info_ : nullptr);
        const size_t at = faultText_.find(" at 0x");
        faultPc_ = at == std::string::npos
                       ? m.pc
                       : uint32_t(std::strtoul(faultText_.c_str() + at + 6, nullptr, 16));
        if (stopOnFaults_) {
            state_ = State::Stopped;
            buildFrames();
            json body = {{"reason", "exception"},
                         {"description", faultText_},
                         {"text", faultText_},
                         {"threadId", kThreadId},
                         {"allThreadsStopped", true}};
            event("stopped", &body);
        }
    }
    if (m.programLoaded) maybeCheckpoint();
}

void DapSession::stopAt(const std::string& reason, const std::string& text,
                        std::vector<int> hitIds) {
    pendingStop_ = {reason, text};
    pendingHits_ = std::move(hitIds);
    step_ = Step::None;
    pauseRequested_ = false;
}

bool DapSession::conditionHolds(SourceBreakpoint& bp, const Machine& m) {
    if (!bp.condition.empty()) {
        const std::vector<StackFrame> stack = walkStack(info_ ? &*info_ : nullptr, m);
        ValueReader reader(info_ ? &*info_ : nullptr, m, stack.front());
        Value v;
        char format = 0;
        std::string error;
        if (!reader.evaluate(bp.condition, v, format, error)) {
            // A condition that cannot be read stops, and says why.
            output("stderr", "breakpoint condition \"" + bp.condition + "\": " + error + "\n");
            return true;
        }
        const std::string shown = reader.show(v, 'd');
        if (shown == "0" || shown == "0x0000") return false;
    }
    ++bp.hits;
    if (bp.hitCondition.empty()) return true;
    bool valid = true;
    const bool holds = hitConditionHolds(bp.hitCondition, bp.hits, valid);
    return holds;
}

bool DapSession::breakpointStops(SourceBreakpoint& bp, const Machine& m) {
    if (!conditionHolds(bp, m)) return false;
    if (bp.logMessage.empty()) return true;
    console_ += logText(bp.logMessage, m) + "\n";
    flushConsole();
    return false;
}

std::string DapSession::logText(const std::string& message, const Machine& m) {
    const std::vector<StackFrame> stack = walkStack(info_ ? &*info_ : nullptr, m);
    ValueReader reader(info_ ? &*info_ : nullptr, m, stack.front());
    std::string out;
    for (size_t i = 0; i < message.size(); ++i) {
        // "{{" and "}}" stand for the braces themselves.
        if ((message[i] == '{' || message[i] == '}') && i + 1 < message.size() &&
            message[i + 1] == message[i]) {
            out += message[i++];
            continue;
        }
        const size_t close = message[i] == '{' ? message.find('}', i) : std::string::npos;
        if (close == std::string::npos) {
            out += message[i];
            continue;
        }
        Value v;
        char format = 0;
        std::string error;
        if (reader.evaluate(message.substr(i + 1, close - i - 1), v, format, error))
            out += reader.show(v, format);
        else
            out += "<" + error + ">";
        i = close;
    }
    return out;
}

std::vector<int> DapSession::changedWatches(const Machine& m) {
    std::vector<int> changed;
    for (DataBreakpoint& w : dataBreakpoints_) {
        const uint8_t* now = &m.mem[w.address];
        if (std::memcmp(now, w.last.data(), w.size) == 0) continue;
        std::memcpy(w.last.data(), now, w.size);
        changed.push_back(w.id);
    }
    return changed;
}

bool DapSession::gate(const Machine& m) {
    const uint64_t count = app_->runLoop().instructions();
    if (reverse_ != Reverse::None) return reverseGate(m, count);
    lastGateCount_ = count;
    if (skipGateOnce_) {
        skipGateOnce_ = false;
        if (m.pc == resumePc_) return true;  // the instruction the program stopped before
    }
    if (!dataBreakpoints_.empty()) {
        std::vector<int> changed = changedWatches(m);
        if (!changed.empty()) {
            stopAt("data breakpoint", "", std::move(changed));
            return false;
        }
    }
    if (pauseRequested_) {
        stopAt("pause", "");
        return false;
    }
    if (step_ == Step::Instruction) {
        stopAt("step", "");
        return false;
    }
    if (instructionBreakpoints_.count(m.pc)) {
        stopAt("instruction breakpoint", "");
        return false;
    }
    // Without debug information no line start is to come: a step out stops at the caller's
    // first instruction after the return.
    if (step_ == Step::Out && !info_ && m.fp < stepFp_) {
        stopAt("step", "");
        return false;
    }
    if (!lineAddresses_.count(m.pc)) return true;
    std::vector<int> hits;
    for (auto& [path, list] : sourceBreakpoints_)
        for (SourceBreakpoint& bp : list)
            if (bp.address == m.pc && breakpointStops(bp, m)) hits.push_back(bp.id);
    if (!hits.empty()) {
        stopAt("breakpoint", "", hits);
        return false;
    }
    for (SourceBreakpoint& bp : functionBreakpoints_)
        if (bp.address == m.pc && breakpointStops(bp, m)) hits.push_back(bp.id);
    if (!hits.empty()) {
        stopAt("function breakpoint", "", hits);
        return false;
    }
    // The frame base grows with each call: a deeper call has a larger one.
    if (step_ == Step::In || (step_ == Step::Over && m.fp <= stepFp_) ||
        (step_ == Step::Out && m.fp < stepFp_)) {
        stopAt("step", "");
        return false;
    }
    return true;
}

void DapSession::resume(Step step, bool instructionLevel) {
    const Machine& m = app_->machine();
    step_ = step;
    if (step != Step::None && (instructionLevel || !info_) && step != Step::Out)
        step_ = Step::Instruction;
    stepFp_ = m.fp;
    resumePc_ = m.pc;
    skipGateOnce_ = true;
    // What the client wrote while stopped is no change of the program's.
    for (DataBreakpoint& w : dataBreakpoints_)
        std::memcpy(w.last.data(), &m.mem[w.address], w.size);
    state_ = State::Running;
    frames_.clear();
    containers_.clear();
}

void DapSession::buildFrames() {
    frames_.clear();
    containers_.clear();
    const Machine& m = app_->machine();
    std::vector<StackFrame> stack = walkStack(info_ ? &*info_ : nullptr, m);
    if (faultReported_ && !m.programLoaded) {
        // The faulting instruction's frame, not the address after it.
        stack.front().pc = faultPc_;
        if (info_) stack.front().function = info_->functionAt(faultPc_);
    }
    for (const StackFrame& f : stack) {
        auto view = std::make_unique<FrameView>();
        view->frame = f;
        view->reader = std::make_unique<ValueReader>(info_ ? &*info_ : nullptr, m, f);
        frames_.push_back(std::move(view));
    }
}

uint16_t DapSession::stopFrameFp() const {
    return frames_.empty() ? app_->machine().fp : frames_.front()->frame.fp;
}

uint32_t DapSession::stopFramePc() const {
    return frames_.empty() ? app_->machine().pc : frames_.front()->frame.pc;
}

void DapSession::dropStopView() {
    frames_.clear();
    containers_.clear();
}

int DapSession::addContainer(Container c) {
    containers_.push_back(std::move(c));
    return int(containers_.size());
}

std::string DapSession::sourcePath(int file) const {
    return sourcePathIn(*info_, file);
}

std::string DapSession::sourcePathIn(const DebugInfo& info, int file) {
    const std::string& name = info.fileName(file);
    std::filesystem::path p(name);
    if (p.is_relative() && !info.dir.empty()) p = std::filesystem::path(info.dir) / p;
    return p.lexically_normal().string();
}

int DapSession::fileFor(const std::string& path) const {
    return info_ ? fileIn(*info_, path) : 0;
}

int DapSession::fileIn(const DebugInfo& info, const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path asked = fs::weakly_canonical(fs::path(path), ec);
    for (size_t i = 0; i < info.files.size(); ++i) {
        const fs::path recorded =
            fs::weakly_canonical(fs::path(sourcePathIn(info, int(i + 1))), ec);
        if (!ec && recorded == asked) return int(i + 1);
    }
    // A path the client names otherwise: the recorded one, or its last parts.
    if (const int n = info.fileNumber(path)) return n;
    const std::string leaf = fs::path(path).filename().string();
    int found = 0;
    for (size_t i = 0; i < info.files.size(); ++i) {
        if (fs::path(info.files[i]).filename().string() != leaf) continue;
        if (found) return 0;
        found = int(i + 1);
    }
    return found;
}

void DapSession::endProgram() {
    if (app_ && app_->machine().programLoaded) app_->command(kCmdExit);
}

bool DapSession::handle(const std::string& text) {
    json msg;
    try {
        msg = json::parse(text);
    } catch (const std::exception&) {
        output("stderr", "corvane-run: a message that is not JSON was ignored\n");
        return false;
    }
    if (!msg.is_object() || msg.value("type", "") != "request" || !msg.contains("command") ||
        !msg["command"].is_string()) {
        output("stderr", "corvane-run: a message that is not a request was ignored\n");
        return false;
    }
    const int seq =
        msg.contains("seq") && msg["seq"].is_number_integer() ? msg["seq"].get<int>() : 0;
    const std::string command = msg["command"].get<std::string>();
    const json args = msg.contains("arguments") && msg["arguments"].is_object() ? msg["arguments"]
                                                                                : json::object();
    try {
        return dispatch(command, &args, seq);
    } catch (const std::exception& e) {
        fail(seq, command, std::string("malformed arguments: ") + e.what());
        return false;
    }
}

bool DapSession::dispatch(const std::string& command, const void* argsPtr, int seq) {
    const json& args = *static_cast<const json*>(argsPtr);
    const bool haveProgram = app_ != nullptr;
    auto needStop = [&]() {
        if (state_ == State::Stopped) return true;
        fail(seq, command, "the program is not stopped");
        return false;
    };

    if (command == "initialize") {
        json caps = {{"supportsConfigurationDoneRequest", true},
                     {"supportsConditionalBreakpoints", true},
                     {"supportsHitConditionalBreakpoints", true},
                     {"supportsEvaluateForHovers", true},
                     {"supportsInstructionBreakpoints", true},
                     {"supportsReadMemoryRequest", true},
                     {"supportsDisassembleRequest", true},
                     {"supportsSteppingGranularity", true},
                     {"supportsTerminateRequest", true},
                     {"supportsExceptionInfoRequest", true},
                     {"supportsFunctionBreakpoints", true},
                     {"supportsLogPoints", true},
                     {"supportsDataBreakpoints", true},
                     {"supportsDataBreakpointBytes", true},
                     {"supportsSetVariable", true},
                     {"supportsSetExpression", true},
                     {"supportsWriteMemoryRequest", true},
                     {"supportsRestartRequest", true},
                     {"supportsStepBack", true},
                     {"supportsLoadedSourcesRequest", true},
                     {"exceptionBreakpointFilters",
                      json::array({{{"filter", kFaultFilter},
                                    {"label", "Faults"},
                                    {"description",
                                     "Stop where the program faults (division by zero, invalid "
                                     "opcode, a jump outside the program)"},
                                    {"default", true}}})}};
        stopOnFaults_ = true;
        clientTakesInvalidated_ = args.value("supportsInvalidatedEvent", false);
        respond(seq, command, &caps);
        return true;
    }
    if (command == "launch") {
        if (launchSeq_ != 0) {
            fail(seq, command, "the program is already launched");
            return false;
        }
        if (!takeLaunchArguments(seq, command, &args)) return false;
        launchSeq_ = seq;
        return true;
    }
    if (command == "attach") {
        // To the program the simulator already runs: nothing is loaded, it is taken as it is.
        if (launchSeq_ != 0) {
            fail(seq, command, "the program is already launched");
            return false;
        }
        launchArgs_.clear();
        stopOnEntry_ = args.value("stopOnEntry", false);
        startCommand_ = command;
        launchSeq_ = seq;
        return true;
    }
    if (command == "disconnect" || command == "terminate") {
        json none = json::object();
        respond(seq, command, &none);
        // A program attached to runs on by default, one launched ends with the session.
        const bool end =
            command == "terminate" || args.value("terminateDebuggee", startCommand_ != "attach");
        if (end) {
            endProgram();
            terminateRequested_ = true;
        } else {
            // The program runs on freely to its end, with nobody to tell.
            if (app_) app_->runLoop().setGate(nullptr);
            detached_ = true;
            configured_ = true;
        }
        if (command == "disconnect") clientGone_ = true;
        state_ = state_ == State::Ended ? State::Ended : State::Running;
        return true;
    }
    if (command == "setExceptionBreakpoints") {
        // One answer for each filter, in their order: a filter the server does not have is
        // said to be so, rather than taken in silence.
        stopOnFaults_ = false;
        json body = {{"breakpoints", json::array()}};
        for (const json& f : args.value("filters", json::array())) {
            const bool known = f.is_string() && f.get<std::string>() == kFaultFilter;
            stopOnFaults_ = stopOnFaults_ || known;
            json answer = {{"verified", known}};
            if (!known)
                answer["message"] = "no exception filter " + f.dump() + " (there is \"" +
                                    std::string(kFaultFilter) + "\")";
            body["breakpoints"].push_back(answer);
        }
        respond(seq, command, &body);
        return true;
    }
    if (!haveProgram && command != "threads") {
        fail(seq, command,
             state_ == State::Ended ? "the program has ended" : "no program is launched yet");
        return false;
    }
    if (command == "loadedSources") {
        json body = {{"sources", json::array()}};
        for (const std::string& path : sourcePaths()) body["sources"].push_back(dapSource(path));
        respond(seq, command, &body);
        return true;
    }
    if (command == "restart") {
        // New launch arguments when the client gives them, else the same run again.
        const json& again = args.contains("arguments") ? args["arguments"] : json::object();
        if (again.is_object() && again.contains("program") &&
            !takeLaunchArguments(seq, command, &again))
            return false;
        respond(seq, command, nullptr);
        if (!restartInPlace_) endProgram();
        restartRequested_ = true;
        return true;
    }
    if (command == "setBreakpoints") {
        const json& source = args.at("source");
        const std::string path = source.value("path", source.value("name", ""));
        std::vector<SourceBreakpoint> list;
        json out = json::array();
        for (const json& b : args.value("breakpoints", json::array())) {
            SourceBreakpoint bp;
            bp.id = nextBreakpointId_++;
            bp.line = b.at("line").get<int>();
            bp.condition = b.value("condition", "");
            bp.hitCondition = b.value("hitCondition", "");
            bp.logMessage = b.value("logMessage", "");
            placeSourceBreakpoint(bp, path);
            json r = {{"id", bp.id}, {"verified", bp.address != 0}};
            if (bp.address != 0) {
                r["line"] = bp.actualLine;
            } else {
                r["line"] = bp.line;
                r["message"] = unplacedReason(bp, path);
            }
            if (!bp.hitCondition.empty()) {
                bool valid = true;
                hitConditionHolds(bp.hitCondition, 1, valid);
                if (!valid) {
                    r["verified"] = false;
                    r["message"] = "a hit count is N, == N, >= N, > N, < N, <= N or % N";
                    bp.address = 0;
                }
            }
            out.push_back(r);
            list.push_back(bp);
        }
        sourceBreakpoints_[path] = std::move(list);
        json body = {{"breakpoints", out}};
        respond(seq, command, &body);
        return true;
    }
    if (command == "setFunctionBreakpoints") {
        functionBreakpoints_.clear();
        json out = json::array();
        for (const json& b : args.value("breakpoints", json::array())) {
            SourceBreakpoint bp;
            bp.id = nextBreakpointId_++;
            bp.function = b.at("name").get<std::string>();
            placeFunctionBreakpoint(bp);
            bp.condition = b.value("condition", "");
            bp.hitCondition = b.value("hitCondition", "");
            bool valid = true;
            if (!bp.hitCondition.empty()) hitConditionHolds(bp.hitCondition, 1, valid);
            json r = {{"id", bp.id}, {"verified", bp.address != 0 && valid}};
            if (!valid) {
                r["message"] = "a hit count is N, == N, >= N, > N, < N, <= N or % N";
                bp.address = 0;
            } else if (bp.address != 0) {
                r["line"] = bp.actualLine;
                r["instructionReference"] = hex(bp.address, 6);
            } else {
                r["message"] = info_ ? "no function of that name with code in the program"
                                     : "the program has no debug information (compile with -g)";
            }
            out.push_back(r);
            functionBreakpoints_.push_back(bp);
        }
        json body = {{"breakpoints", out}};
        respond(seq, command, &body);
        return true;
    }
    if (command == "dataBreakpointInfo") {
        dataBreakpointInfo(seq, &args);
        return true;
    }
    if (command == "setDataBreakpoints") {
        setDataBreakpoints(seq, &args);
        return true;
    }
    if (command == "setVariable") {
        if (!needStop()) return false;
        setVariable(seq, &args);
        return true;
    }
    if (command == "setExpression") {
        if (!needStop()) return false;
        setExpression(seq, &args);
        return true;
    }
    if (command == "writeMemory") {
        if (!needStop()) return false;
        writeMemory(seq, &args);
        return true;
    }
    if (command == "setInstructionBreakpoints") {
        instructionBreakpoints_.clear();
        json out = json::array();
        for (const json& b : args.value("breakpoints", json::array())) {
            const std::optional<uint32_t> base =
                parseAddress(b.at("instructionReference").get<std::string>());
            const int64_t offset = b.value("offset", 0);
            const int64_t at = base ? int64_t(*base) + offset : -1;
            const bool ok =
                base && at >= kImageHeaderSize && at < int64_t(app_->machine().imageSize);
            if (ok) instructionBreakpoints_.insert(uint32_t(at));
            json r = {{"verified", ok}};
            if (ok)
                r["instructionReference"] = hex(uint32_t(at), 6);
            else
                r["message"] = "not a code address of the program";
            out.push_back(r);
        }
        json body = {{"breakpoints", out}};
        respond(seq, command, &body);
        return true;
    }
    if (command == "configurationDone") {
        respond(seq, command, nullptr);
        configured_ = true;
        if (state_ == State::Configuring) {
            state_ = State::Running;
            if (stopOnEntry_) {
                stopAt("entry", "");
                afterTurn();
            }
        }
        return true;
    }
    if (command == "threads") {
        json body = {{"threads", json::array({{{"id", kThreadId}, {"name", "program"}}})}};
        respond(seq, command, &body);
        return true;
    }
    if (command == "pause") {
        respond(seq, command, nullptr);
        if (state_ == State::Running) pauseRequested_ = true;
        return true;
    }
    if (command == "continue" || command == "next" || command == "stepIn" || command == "stepOut") {
        if (!needStop()) return false;
        const bool instruction = args.value("granularity", "") == "instruction";
        json body = json::object();
        if (command == "continue") body["allThreadsContinued"] = true;
        respond(seq, command, &body);
        resume(command == "continue" ? Step::None
               : command == "next"   ? Step::Over
               : command == "stepIn" ? Step::In
                                     : Step::Out,
               instruction);
        return true;
    }
    if (command == "stepBack" || command == "reverseContinue") {
        if (!needStop()) return false;
        // "kind" chooses gdb's other ways back by line: "stepIn" into the call the previous
        // line made (to its last line), "stepOut" to the call that entered this function.
        const std::string kind = args.value("kind", "next");
        const Goal goal = command == "reverseContinue"                     ? Goal::Breakpoint
                          : args.value("granularity", "") == "instruction" ? Goal::Instruction
                          : kind == "stepIn"                               ? Goal::LineInto
                          : kind == "stepOut"                              ? Goal::Caller
                                                                           : Goal::Line;
        if (command == "stepBack" && kind != "next" && kind != "stepIn" && kind != "stepOut") {
            fail(seq, command, "a step back's \"kind\" is next, stepIn or stepOut");
            return false;
        }
        if (goal == Goal::Caller && frames_.size() < 2) {
            fail(seq, command, "the outermost frame was entered by no call");
            return false;
        }
        if (!marks_.take || checkpoints_.count() == 0) {
            fail(seq, command,
                 "going back needs the runner's virtual clock (a run without --realtime)");
            return false;
        }
        respond(seq, command, nullptr);
        std::string error;
        beginReverse(goal, error);
        return true;
    }
    if (command == "exceptionInfo") {
        if (!needStop()) return false;
        if (!faultReported_) {
            fail(seq, command, "the program did not fault");
            return false;
        }
        json body = {
            {"exceptionId", "fault"}, {"description", faultText_}, {"breakMode", "always"}};
        respond(seq, command, &body);
        return true;
    }
    if (command == "stackTrace") {
        if (!needStop()) return false;
        const size_t start = args.value("startFrame", 0);
        size_t levels = args.value("levels", 0);
        if (levels == 0) levels = frames_.size();
        json out = json::array();
        for (size_t i = start; i < frames_.size() && out.size() < levels; ++i) {
            const StackFrame& f = frames_[i]->frame;
            json fr = {
                {"id", int(i + 1)}, {"column", 1}, {"instructionPointerReference", hex(f.pc, 6)}};
            // In the callers the statement that made the call: the code before the return address.
            const uint32_t where = i == 0 ? f.pc : f.pc - 1;
            std::optional<SourcePlace> place = info_ ? sourcePlaceAt(*info_, where) : std::nullopt;
            if (f.function && place) {
                fr["name"] = f.function->name;
                fr["line"] = place->line;
                int fileNo = 0;
                for (size_t k = 0; k < info_->files.size(); ++k)
                    if (info_->files[k] == place->file) fileNo = int(k + 1);
                fr["source"] = dapSource(sourcePath(fileNo));
            } else {
                fr["name"] = hex(f.pc, 6);
                fr["line"] = 0;
                fr["presentationHint"] = "subtle";
            }
            out.push_back(fr);
        }
        json body = {{"stackFrames", out}, {"totalFrames", frames_.size()}};
        respond(seq, command, &body);
        return true;
    }
    if (command == "scopes") {
        if (!needStop()) return false;
        const int id = args.at("frameId").get<int>();
        if (id < 1 || size_t(id) > frames_.size()) {
            fail(seq, command, "no frame " + std::to_string(id));
            return false;
        }
        const size_t frame = size_t(id - 1);
        json scopes = json::array();
        scopes.push_back(
            {{"name", "Locals"},
             {"presentationHint", "locals"},
             {"variablesReference", addContainer({Container::Kind::Locals, frame, 0, {}})},
             {"expensive", false}});
        scopes.push_back(
            {{"name", "Globals"},
             {"variablesReference", addContainer({Container::Kind::Globals, frame, 0, {}})},
             {"expensive", false}});
        scopes.push_back(
            {{"name", "Registers"},
             {"presentationHint", "registers"},
             {"variablesReference", addContainer({Container::Kind::Registers, frame, 0, {}})},
             {"expensive", false}});
        scopes.push_back(
            {{"name", "Operand Stack"},
             {"variablesReference", addContainer({Container::Kind::OperandStack, frame, 0, {}})},
             {"expensive", false}});
        scopes.push_back(
            {{"name", "Memory"},
             {"variablesReference", addContainer({Container::Kind::Memory, frame, 0, {}})},
             {"expensive", true}});
        json body = {{"scopes", scopes}};
        respond(seq, command, &body);
        return true;
    }
    if (command == "variables") {
        if (!needStop()) return false;
        const int ref = args.at("variablesReference").get<int>();
        if (ref < 1 || size_t(ref) > containers_.size()) {
            fail(seq, command, "no variables reference " + std::to_string(ref));
            return false;
        }
        const Container c = containers_[size_t(ref - 1)];
        ValueReader& reader = *frames_[c.frame]->reader;
        const Machine& m = app_->machine();
        const size_t start = args.value("start", 0);
        const size_t count = args.value("count", 0);
        json out = json::array();
        auto addValue = [&](const std::string& name, const Value& v) {
            json item = {{"name", name},
                         {"value", reader.show(v)},
                         {"type", reader.typeName(v.type)},
                         {"variablesReference", 0}};
            if (v.lvalue) item["memoryReference"] = hex(v.address);
            if (reader.expandable(v))
                item["variablesReference"] =
                    addContainer({Container::Kind::Value, c.frame, 0, std::make_shared<Value>(v)});
            out.push_back(item);
        };
        switch (c.kind) {
            case Container::Kind::Locals:
                for (const auto& [name, v] : reader.locals()) addValue(name, v);
                break;
            case Container::Kind::Globals:
                for (const auto& [name, v] : reader.globals()) addValue(name, v);
                break;
            case Container::Kind::Value:
                for (const auto& [name, v] : reader.children(*c.value, start, count ? count : 1000))
                    addValue(name, v);
                break;
            case Container::Kind::Registers: {
                const std::pair<const char*, std::string> regs[] = {
                    {"pc", hex(m.pc, 6)},
                    {"fp", hex(m.fp)},
                    {"sp", hex(m.sp)},
                    {"osp", hex(m.osp, 2)},
                    {"regA", hex(m.regA, 8)},
                    {"regB", hex(m.regB, 8)},
                    {"cond", hex(m.cond, 8)},
                    {"strPtr", hex(m.strPtr)},
                    {"strKey", hex(m.strKey, 2)},
                    // Where the run stands in time, as reverse execution counts it.
                    {"instructions", std::to_string(app_->runLoop().instructions())}};
                for (const auto& [name, value] : regs)
                    out.push_back({{"name", name}, {"value", value}, {"variablesReference", 0}});
                break;
            }
            case Container::Kind::OperandStack:
                // The ring has no bottom: all its slots, from the top (the last value pushed)
                // down, each as the program's 32-bit value.
                for (uint32_t depth = 0; depth < kOperandRingSize / 4; ++depth) {
                    const uint16_t at = uint16_t(kOperandRing + uint8_t(m.osp - 4 * (depth + 1)));
                    const uint32_t v = m.read32(at);
                    out.push_back(
                        {{"name", depth == 0 ? std::string("top") : "top-" + std::to_string(depth)},
                         {"value", std::to_string(int32_t(v)) + " (" + hex(v, 8) + ")"},
                         {"memoryReference", hex(at)},
                         {"variablesReference", 0}});
                }
                break;
            case Container::Kind::Memory:
                for (uint32_t base = 0; base < kVmMemorySize; base += kMemoryBlock)
                    out.push_back(
                        {{"name", hex(base) + "-" + hex(base + kMemoryBlock - 1)},
                         {"value", ""},
                         {"memoryReference", hex(base)},
                         {"variablesReference",
                          addContainer({Container::Kind::MemoryBlock, c.frame, base, {}})}});
                break;
            case Container::Kind::MemoryBlock:
                for (uint32_t row = c.base; row < c.base + kMemoryBlock; row += 16) {
                    std::string bytes, text;
                    for (uint32_t i = 0; i < 16; ++i) {
                        char b[4];
                        std::snprintf(b, sizeof b, "%02X", m.mem[row + i]);
                        bytes += (i ? " " : "") + std::string(b);
                        const uint8_t ch = m.mem[row + i];
                        text += ch >= 0x20 && ch < 0x7F ? char(ch) : '.';
                    }
                    out.push_back({{"name", hex(row)},
                                   {"value", bytes + "  " + text},
                                   {"memoryReference", hex(row)},
                                   {"variablesReference", 0}});
                }
                break;
        }
        json body = {{"variables", out}};
        respond(seq, command, &body);
        return true;
    }
    if (command == "evaluate") {
        if (!needStop()) return false;
        const int id = args.value("frameId", 1);
        if (id < 1 || size_t(id) > frames_.size()) {
            fail(seq, command, "no frame " + std::to_string(id));
            return false;
        }
        const size_t frame = size_t(id - 1);
        ValueReader& reader = *frames_[frame]->reader;
        Value v;
        char format = 0;
        std::string error;
        if (!reader.evaluate(args.at("expression").get<std::string>(), v, format, error)) {
            fail(seq, command, error);
            return false;
        }
        if (format == 0 && args.contains("format") && args["format"].value("hex", false))
            format = 'x';
        json body = {{"result", reader.show(v, format)},
                     {"type", reader.typeName(v.type)},
                     {"variablesReference", 0}};
        if (v.lvalue) body["memoryReference"] = hex(v.address);
        if (reader.expandable(v))
            body["variablesReference"] =
                addContainer({Container::Kind::Value, frame, 0, std::make_shared<Value>(v)});
        respond(seq, command, &body);
        return true;
    }
    if (command == "readMemory") {
        if (!needStop()) return false;
        const std::optional<uint32_t> base =
            parseAddress(args.at("memoryReference").get<std::string>());
        const int64_t offset = args.value("offset", 0);
        const int64_t count = args.value("count", 0);
        const int64_t at = base ? int64_t(*base) + offset : -1;
        if (!base || at < 0 || count < 0) {
            fail(seq, command, "not a memory address of the machine (0x0000-0xFFFF)");
            return false;
        }
        const int64_t readable =
            std::max<int64_t>(0, std::min<int64_t>(count, int64_t(kVmMemorySize) - at));
        const uint8_t* data = readable > 0 ? &app_->machine().mem[size_t(at)] : nullptr;
        json body = {{"address", hex(uint32_t(at))},
                     {"data", readable > 0 ? base64(data, size_t(readable)) : ""},
                     {"unreadableBytes", count - readable}};
        respond(seq, command, &body);
        return true;
    }
    if (command == "disassemble") {
        const Machine& m = app_->machine();
        const std::optional<uint32_t> base =
            parseAddress(args.at("memoryReference").get<std::string>());
        if (!base) {
            fail(seq, command, "not a code address");
            return false;
        }
        if (instructionAddresses_.empty()) {
            for (uint32_t a = kImageHeaderSize; a < m.imageSize;) {
                instructionAddresses_.push_back(a);
                a += decodeInstruction(m.image.get(), m.imageSize, a).length;
            }
        }
        const uint32_t target = *base + uint32_t(args.value("offset", 0));
        auto it =
            std::upper_bound(instructionAddresses_.begin(), instructionAddresses_.end(), target);
        int64_t index =
            int64_t(it - instructionAddresses_.begin()) - 1 + args.value("instructionOffset", 0);
        const int64_t count = std::min<int64_t>(args.at("instructionCount").get<int64_t>(), 100000);
        json out = json::array();
        for (int64_t k = 0; k < count; ++k, ++index) {
            if (index < 0 || index >= int64_t(instructionAddresses_.size())) {
                out.push_back({{"address", hex(index < 0 ? 0 : m.imageSize, 6)},
                               {"instruction", "??"},
                               {"presentationHint", "invalid"}});
                continue;
            }
            const uint32_t a = instructionAddresses_[size_t(index)];
            const DecodedInstruction d = decodeInstruction(m.image.get(), m.imageSize, a);
            std::string bytes;
            for (uint32_t i = 0; i < d.length; ++i) {
                char b[4];
                std::snprintf(b, sizeof b, "%02X", m.image[a + i]);
                bytes += (i ? " " : "") + std::string(b);
            }
            json ins = {{"address", hex(a, 6)},
                        {"instructionBytes", bytes},
                        {"instruction", d.valid ? std::string(d.mnemonic) +
                                                      (d.operands.empty() ? "" : " " + d.operands)
                                                : "(invalid)"}};
            if (info_) {
                if (const std::optional<SourcePlace> p = sourcePlaceAt(*info_, a)) {
                    ins["line"] = p->line;
                    if (const DebugFunction* f = info_->functionAt(a); f && f->start == a)
                        ins["symbol"] = f->name;
                }
            }
            out.push_back(ins);
        }
        json body = {{"instructions", out}};
        respond(seq, command, &body);
        return true;
    }
    fail(seq, command, "unknown request \"" + command + "\"");
    return false;
}

void DapSession::findLineMarkers() {
    const Machine& m = app_->machine();
    // The source file of each marker, when the assembler recorded them.
    std::map<uint32_t, int> fileOf;
    if (markSources_)
        for (const DebugMark& k : markSources_->marks) fileOf[k.address] = k.file;
    for (uint32_t a = kImageHeaderSize; a < m.imageSize;) {
        const DecodedInstruction d = decodeInstruction(m.image.get(), m.imageSize, a);
        if (d.valid && d.opcode == op::LINE) {
            const uint8_t* v = &m.image[a + 1];
            const auto file = fileOf.find(a);
            lineMarkers_.push_back({a, uint32_t(v[0]) | uint32_t(v[1]) << 8 | uint32_t(v[2]) << 16,
                                    file == fileOf.end() ? 0 : file->second});
            lineAddresses_.insert(a);
        }
        a += d.length;
    }
}

void DapSession::placeSourceBreakpoint(SourceBreakpoint& bp, const std::string& path) {
    bp.address = 0;
    bp.actualLine = 0;
    bool valid = true;
    if (!bp.hitCondition.empty()) hitConditionHolds(bp.hitCondition, 1, valid);
    if (!valid || bp.line < 1) return;  // refused: never placed
    if (!info_) {
        if (!isAssemblySource(path)) return;
        // With the assembler's records only the markers this file wrote; without them (an image
        // assembled without -g) any marker of that line number.
        const int file = markSources_ ? fileIn(*markSources_, path) : 0;
        if (markSources_ && file == 0) return;
        // The first marker of the nearest line at or after the one asked for: the markers are
        // in address order.
        for (const LineMarker& k : lineMarkers_) {
            if (k.file != file || k.value < uint32_t(bp.line) ||
                (bp.address != 0 && k.value >= uint32_t(bp.actualLine)))
                continue;
            bp.actualLine = int(k.value);
            bp.address = k.address;
        }
        return;
    }
    const int file = fileFor(path);
    if (file <= 0) return;
    // The first line at or after the one asked for that has a line marker.
    for (const DebugLine& l : info_->lines) {
        if (lineFile(l.value) != file || lineNumber(l.value) < bp.line) continue;
        if (bp.actualLine == 0 || lineNumber(l.value) < bp.actualLine ||
            (lineNumber(l.value) == bp.actualLine && l.address < bp.address)) {
            bp.actualLine = lineNumber(l.value);
            bp.address = l.address;
        }
    }
}

std::string DapSession::unplacedReason(const SourceBreakpoint& bp, const std::string& path) const {
    if (bp.line < 1) return "lines are numbered from 1";
    if (info_) return "no code on this line or after it in this file";
    if (!isAssemblySource(path)) return "the program has no debug information (compile with -g)";
    if (markSources_ && !fileIn(*markSources_, path))
        return "no line marker of the program comes from this file";
    return "no .line marker on this line or after it (write \".line\" on the lines to stop at)";
}

void DapSession::placeFunctionBreakpoint(SourceBreakpoint& bp) {
    bp.address = 0;
    bp.actualLine = 0;
    bool valid = true;
    if (!bp.hitCondition.empty()) hitConditionHolds(bp.hitCondition, 1, valid);
    if (!valid) return;  // refused: never placed
    const DebugFunction* f = info_ ? info_->functionByName(bp.function) : nullptr;
    if (!f) return;
    // Its first line marker: where the frame is set up and its first statement begins.
    for (const DebugLine& l : info_->lines) {
        if (l.address < f->start || l.address >= f->end) continue;
        bp.address = l.address;
        bp.actualLine = lineNumber(l.value);
        break;
    }
}

bool DapSession::childValue(int reference, const std::string& name, Value& out, size_t& frame) {
    if (reference < 1 || size_t(reference) > containers_.size()) return false;
    const Container& c = containers_[size_t(reference - 1)];
    ValueReader& reader = *frames_[c.frame]->reader;
    std::vector<std::pair<std::string, Value>> list;
    if (c.kind == Container::Kind::Locals) list = reader.locals();
    if (c.kind == Container::Kind::Globals) list = reader.globals();
    if (c.kind == Container::Kind::Value) list = reader.children(*c.value, 0, kVmMemorySize);
    for (const auto& [n, v] : list) {
        if (n != name) continue;
        out = v;
        frame = c.frame;
        return true;
    }
    return false;
}

void DapSession::dataBreakpointInfo(int seq, const void* argsPtr) {
    const json& args = *static_cast<const json*>(argsPtr);
    const std::string command = "dataBreakpointInfo";
    const std::string name = args.at("name").get<std::string>();
    uint32_t address = 0, size = 0;
    if (args.value("asAddress", false)) {
        const std::optional<uint32_t> a = parseAddress(name);
        const int64_t bytes = args.value("bytes", int64_t(1));
        if (!a || bytes < 1 || int64_t(*a) + bytes > int64_t(kVmMemorySize)) {
            fail(seq, command, "a watched range lies within 0x0000-0xFFFF and has 1 byte or more");
            return;
        }
        address = *a;
        size = uint32_t(bytes);
    } else {
        if (state_ != State::Stopped) {
            fail(seq, command, "the program is not stopped");
            return;
        }
        Value v;
        size_t frame = 0;
        const int ref = args.value("variablesReference", 0);
        if (ref != 0) {
            if (!childValue(ref, name, v, frame)) {
                fail(seq, command, "no variable \"" + name + "\" here");
                return;
            }
        } else {
            const int id = args.value("frameId", 1);
            if (id < 1 || size_t(id) > frames_.size()) {
                fail(seq, command, "no frame " + std::to_string(id));
                return;
            }
            frame = size_t(id - 1);
            char format = 0;
            std::string error;
            if (!frames_[frame]->reader->evaluate(name, v, format, error)) {
                fail(seq, command, error);
                return;
            }
        }
        const int bytes = frames_[frame]->reader->sizeOf(v.type);
        if (!v.lvalue || bytes < 1 || v.address + uint32_t(bytes) > kVmMemorySize) {
            fail(seq, command, "\"" + name + "\" is not in memory: nothing to watch");
            return;
        }
        address = v.address;
        size = uint32_t(bytes);
    }
    json body = {
        {"dataId", dataId(address, size)},
        {"description", name + " (" + std::to_string(size) + " bytes at " + hex(address) + ")"},
        {"accessTypes", json::array({"write"})},
        {"canPersist", false}};
    respond(seq, command, &body);
}

void DapSession::setDataBreakpoints(int seq, const void* argsPtr) {
    const json& args = *static_cast<const json*>(argsPtr);
    const Machine& m = app_->machine();
    dataBreakpoints_.clear();
    json out = json::array();
    for (const json& b : args.value("breakpoints", json::array())) {
        DataBreakpoint w;
        w.id = nextBreakpointId_++;
        uint32_t address = 0;
        std::string problem;
        if (!parseDataId(b.at("dataId").get<std::string>(), address, w.size))
            problem = "not a range of memory (0x0000-0xFFFF) to watch";
        else if (b.value("accessType", "write") != "write")
            problem = "only writes are watched";
        else if (!b.value("condition", "").empty() || !b.value("hitCondition", "").empty())
            problem = "a watchpoint takes no condition";
        json r = {{"id", w.id}, {"verified", problem.empty()}};
        if (!problem.empty()) {
            r["message"] = problem;
        } else {
            w.address = uint16_t(address);
            w.last.assign(&m.mem[address], &m.mem[address] + w.size);
            dataBreakpoints_.push_back(std::move(w));
        }
        out.push_back(r);
    }
    json body = {{"breakpoints", out}};
    respond(seq, "setDataBreakpoints", &body);
}

void DapSession::setVariable(int seq, const void* argsPtr) {
    const json& args = *static_cast<const json*>(argsPtr);
    const std::string command = "setVariable";
    const std::string name = args.at("name").get<std::string>();
    Value target;
    size_t frame = 0;
    if (!childValue(args.at("variablesReference").get<int>(), name, target, frame)) {
        fail(seq, command, "no variable \"" + name + "\" that can be set here");
        return;
    }
    assign(seq, command, target, frame, args.at("value").get<std::string>());
}

void DapSession::setExpression(int seq, const void* argsPtr) {
    const json& args = *static_cast<const json*>(argsPtr);
    const std::string command = "setExpression";
    const int id = args.value("frameId", 1);
    if (id < 1 || size_t(id) > frames_.size()) {
        fail(seq, command, "no frame " + std::to_string(id));
        return;
    }
    const size_t frame = size_t(id - 1);
    const std::string expression = args.at("expression").get<std::string>();
    Value target;
    char format = 0;
    std::string error;
    if (!frames_[frame]->reader->evaluate(expression, target, format, error)) {
        fail(seq, command, error);
        return;
    }
    if (!target.lvalue) {
        fail(seq, command, "\"" + expression + "\" is not in memory: it cannot be set");
        return;
    }
    assign(seq, command, target, frame, args.at("value").get<std::string>());
}

void DapSession::assign(int seq, const std::string& command, const Value& target, size_t frame,
                        const std::string& text) {
    ValueReader& reader = *frames_[frame]->reader;
    Value source;
    char format = 0;
    std::string error;
    std::vector<uint8_t> bytes;
    if (!reader.evaluate(text, source, format, error) ||
        !reader.assignment(target, source, bytes, error)) {
        fail(seq, command, error);
        return;
    }
    Machine& m = app_->machine();
    for (size_t i = 0; i < bytes.size(); ++i) m.mem[uint16_t(target.address + i)] = bytes[i];
    dataWritten();
    json body = {{"value", reader.show(target)},
                 {"type", reader.typeName(target.type)},
                 {"variablesReference", 0}};
    if (reader.expandable(target))
        body["variablesReference"] =
            addContainer({Container::Kind::Value, frame, 0, std::make_shared<Value>(target)});
    respond(seq, command, &body);
}

void DapSession::writeMemory(int seq, const void* argsPtr) {
    const json& args = *static_cast<const json*>(argsPtr);
    const std::string command = "writeMemory";
    const std::optional<uint32_t> base =
        parseAddress(args.at("memoryReference").get<std::string>());
    const int64_t at = base ? int64_t(*base) + args.value("offset", int64_t(0)) : -1;
    if (!base || at < 0 || at >= int64_t(kVmMemorySize)) {
        fail(seq, command, "not a memory address of the machine (0x0000-0xFFFF)");
        return;
    }
    const std::optional<std::vector<uint8_t>> data = unbase64(args.at("data").get<std::string>());
    if (!data) {
        fail(seq, command, "the data is not base64");
        return;
    }
    const size_t fits = std::min<size_t>(data->size(), size_t(kVmMemorySize - at));
    if (fits < data->size() && !args.value("allowPartial", false)) {
        fail(seq, command, "the data runs past the end of memory (0xFFFF): nothing written");
        return;
    }
    std::copy_n(data->begin(), fits, app_->machine().mem.begin() + at);
    dataWritten();
    json body = {{"bytesWritten", fits}};
    respond(seq, command, &body);
}

void DapSession::finished(int status) {
    exited(status);
    // The last requests (disconnect) until the client leaves.
    while (!clientGone_) {
        std::optional<DapIncoming> in = link_.receive(true);
        if (!in || in->kind == DapIncoming::Kind::Closed) break;
        if (in->kind == DapIncoming::Kind::Message) handle(in->text);
    }
}

void DapSession::exited(int status) {
    flushConsole();
    if (!exitedSent_ && !clientGone_) {
        exitedSent_ = true;
        json code = {{"exitCode", status}};
        event("exited", &code);
        json none = json::object();
        event("terminated", &none);
    }
    state_ = State::Ended;
    frames_.clear();
    containers_.clear();
    // The app is gone with the run: nothing may reach it any more.
    app_ = nullptr;
    marks_ = {};
    checkpoints_.clear();
}

}  // namespace corvane
