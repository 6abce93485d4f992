#include "host/run_controls.h"

#include "host/menu.h"

namespace corvane {

bool controlAvailable(uint16_t command, const ProgramPresence& p) {
    switch (command) {
        case kCmdPause:
        case kCmdSaveState:
            return p.running;
        case kCmdRecord:
            return p.running || p.recording;
        case kCmdLoadState:
            return p.imageLoaded;
        default:
            return true;
    }
}

}  // namespace corvane
