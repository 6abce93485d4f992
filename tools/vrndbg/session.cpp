#include "tools/vrndbg/session.h"

#include <climits>
#include <sstream>

#include "tools/vrndbg/memory_view.h"
#include "tools/vrndbg/source_debugger.h"
#include "tools/vrndbg/transport.h"

namespace corvane {
namespace {

const char* kHelp =
    "x ADDR [COUNT]   bytes of the snapshot from ADDR (default 16)\n"
    "xw ADDR [COUNT]  ints (16-bit), xl ADDR [COUNT] longs (32-bit)\n"
    "c [STOP]         resume: -2 every line, 0 same function, N line N, -1 run free\n"
    "                 (without STOP the stop value stays as it is)\n"
    "s                resume to the next line anywhere (c -2)\n"
    "n                resume to the next line in this function (c 0)\n"
    "q                quit; the program runs on freely\n";

// Whether a marker can still stop the program: -2, 0 and a 24-bit line value can; -1 (run
// free) and any other value never do, so a command waiting for a stop would wait for ever.
bool canStop(int32_t stopValue) {
    return stopValue == -2 || (stopValue >= 0 && stopValue < (1 << 24));
}

}  // namespace

DebugSession::DebugSession(DebugTransport& link, int32_t stopValue, std::FILE* out,
                           bool interactive)
    : link_(link), out_(out), interactive_(interactive), stopValue_(stopValue) {
    link_.onRecord = [this](const DebugRecord& r) { records_.push_back(r); };
}

void DebugSession::handle(const DebugRecord& r) {
    switch (r.message) {
        case kDebugMsgAttach:
            std::fprintf(out_, "attached to process %u\n", r.first);
            break;
        case kDebugMsgSnapshot:
            snapshot_ = r.payload;
            dataWord_ = r.second;
            break;
        case kDebugMsgStop:
            if (source_) {
                std::string text;
                if (auto again = source_->stop(r.first, dataWord_, snapshot_, text)) {
                    resume(*again);  // not the stop the user is waiting for
                    break;
                }
                std::fputs(text.c_str(), out_);
                stopped_ = true;
                prompted_ = false;
                break;
            }
            stopped_ = true;
            prompted_ = false;
            std::fprintf(out_, "stop at line %u  function %u  fp 0x%04X\n", r.first,
                         dataWord_ >> 16, dataWord_ & 0xFFFF);
            break;
        case kDebugMsgExit:
            exited_ = true;
            std::fprintf(out_, "the simulator has ended\n");
            break;
        default:
            break;
    }
    std::fflush(out_);
}

bool DebugSession::resume(int32_t stopValue) {
    stopValue_ = stopValue;
    stopped_ = false;
    return link_.resume(stopValue);
}

void DebugSession::quit() {
    // Leave the program running free: no marker stops it once the stop value is -1.
    if (link_.connected()) link_.resume(-1);
    link_.close();
}

bool DebugSession::command(const std::string& line) {
    std::istringstream in(line);
    std::string word, a, b;
    in >> word >> a >> b;
    if (word.empty()) return true;
    if (source_ && word != "q" && word != "quit") {
        std::string text;
        std::optional<int32_t> go;
        if (source_->command(line, stopped_, text, go)) {
            std::fputs(text.c_str(), out_);
            std::fflush(out_);
            if (go) resume(*go);
            return true;
        }
    }
    if (word == "q" || word == "quit") {
        quit();
        return false;
    }
    if (word == "help" || word == "h" || word == "?") {
        std::fputs(kHelp, out_);
        if (source_) std::fputs(SourceDebugger::help(), out_);
    } else if (word == "c" || word == "s" || word == "n") {
        int32_t value = word == "s" ? -2 : word == "n" ? 0 : stopValue_;
        if (!a.empty()) {
            auto v = parseNumber(a);
            if (!v || *v < INT32_MIN || *v > UINT32_MAX) {
                std::fprintf(out_, "not a stop value: %s\n", a.c_str());
                std::fflush(out_);
                return true;
            }
            value = int32_t(uint32_t(*v));
        }
        resume(value);
    } else if (word == "x" || word == "xw" || word == "xl") {
        const int width = word == "x" ? 1 : word == "xw" ? 2 : 4;
        auto addr = parseNumber(a);
        auto count = b.empty() ? std::optional<int64_t>(16) : parseNumber(b);
        if (!addr || !count || *addr < 0 || *addr > 0xFFFF || *count < 0 || *count > 0x10000) {
            std::fprintf(out_, "usage: %s ADDR [COUNT]\n", word.c_str());
        } else if (!stopped_) {
            std::fprintf(out_, "the program is running\n");
        } else {
            std::fputs(viewMemory(snapshot_, uint32_t(*addr), uint32_t(*count), width).c_str(),
                       out_);
        }
    } else {
        std::fprintf(out_, "unknown command: %s (help lists them)\n", word.c_str());
    }
    std::fflush(out_);
    return true;
}

void DebugSession::prompt() {
    if (!interactive_ || !stopped_ || prompted_ || input_.hasLine()) return;
    std::fputs("(vrndbg) ", out_);
    std::fflush(out_);
    prompted_ = true;
}

int DebugSession::run() {
    for (;;) {
        while (!records_.empty()) {
            DebugRecord r = std::move(records_.front());
            records_.pop_front();
            handle(r);
        }
        if (exited_) return 0;
        if (!link_.connected()) {
            std::fprintf(out_, "the link to the simulator was lost\n");
            std::fflush(out_);
            return 1;
        }
        // Commands run at a stop; from a terminal they run whenever they are typed, and so they
        // do once no stop can come.
        while (input_.hasLine() && (stopped_ || interactive_ || !canStop(stopValue_))) {
            const std::string line = input_.take();
            prompted_ = false;
            if (!command(line)) return 0;
        }
        if (input_.ended() && !input_.hasLine() && stopped_) {
            quit();
            return 0;
        }
        prompt();
        link_.wait(input_);
    }
}

}  // namespace corvane
