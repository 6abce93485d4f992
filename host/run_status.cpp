#include "host/run_status.h"

#include "host/app.h"
#include "vm/machine.h"
#include "vm/memory_map.h"

namespace corvane {

int runStatus(App& app, bool exitValue) {
    const Machine& m = app.machine();
    const ProgramEnd end = app.loader().lastEnd();
    if (!m.programLoaded && end == ProgramEnd::Fault) return kRunFault;
    if (app.quitRequested()) return kRunEnded;
    if (!m.programLoaded && end == ProgramEnd::ByItself) {
        if (!exitValue) return kRunEnded;
        // The value a program ends with is the one it pushed last.
        return int(m.mem[kOperandRing + uint8_t(m.osp - 4)]);
    }
    return kRunLimit;
}

}  // namespace corvane
