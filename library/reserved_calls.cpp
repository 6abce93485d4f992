// Calls that do nothing on this machine. Their effect on the operand stack is still exact,
// because a program's later instructions depend on where osp ends up.

#include "vm/host.h"
#include "vm/machine.h"
#include "vm/syscalls.h"

namespace corvane {

namespace {

// Removes `count` arguments without looking at them.
void discard(Machine& m, int count) {
    for (int i = 0; i < count; ++i) m.pop();
}

}  // namespace

// No operation at all, like NOP: whatever the program pushed for these stays on the stack. Beep
// also tells the host, which may play a sound; the machine's state is left as it is.
void sys_Beep(Machine& m) {
    if (m.host) m.host->beep();
}
void sys_MakeDir(Machine&) {}
void sys_DeleteFile(Machine&) {}
void sys_ReservedCF(Machine&) {}
void sys_ReservedD1(Machine&) {}

// Remove their arguments and push 0.
void sys_ReservedCC(Machine& m) {
    discard(m, 3);
    m.push(0);
}
void sys_ReservedCD(Machine& m) {
    discard(m, 1);
    m.push(0);
}
void sys_ReservedCE(Machine& m) {
    discard(m, 4);
    m.push(0);
}

// Removes its one argument and pushes nothing.
void sys_ReservedD0(Machine& m) {
    discard(m, 1);
}

}  // namespace corvane
