// The fault path of division and remainder.

#include "vm/ops_arithmetic.h"
#include "vm/interpreter.h"
#include "vm/machine.h"

namespace corvane {

void divisionFault(Machine& m, const char* name, uint32_t at) {
    if (m.regB == 0) {
        fault(m, "%s at 0x%06X divides by zero", name, at);
    } else {
        fault(m, "%s at 0x%06X divides -2147483648 by -1", name, at);
    }
}

}  // namespace corvane
