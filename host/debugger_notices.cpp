#include "host/debugger_notices.h"

#include "host/app.h"
#include "host/platform.h"
#include "shared/debuglink.h"

namespace corvane {

void DebuggerNotices::attach() {
    if (target_ == 0 || !platform_.debugConnect(target_)) return;
    platform_.debugSend(kDebugMsgAttach, debugProcessId(), 0, nullptr, 0);
    attached_ = true;
}

void DebuggerNotices::startFailed() {
    if (attached_) platform_.debugSend(kDebugMsgExit, 0, 0, nullptr, 0);
    target_ = 0;
}

void DebuggerNotices::snapshot(uint32_t dataWord, const uint8_t* data, uint32_t size) {
    if (target_ != 0)
        platform_.debugSend(kDebugMsgSnapshot, debugProcessId(), dataWord, data, size);
}

void DebuggerNotices::stop(uint32_t line) {
    if (target_ != 0) platform_.debugSend(kDebugMsgStop, line, 0, nullptr, 0);
}

void DebuggerNotices::exit() {
    if (target_ != 0) platform_.debugSend(kDebugMsgExit, 0, 0, nullptr, 0);
}

}  // namespace corvane
