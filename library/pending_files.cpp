// System calls of this folder that are not built yet: each ends the program with a clear
// reason. Remove an entry when its real handler lands.

#include "vm/interpreter.h"
#include "vm/machine.h"
#include "vm/syscalls.h"

namespace corvane {

void sys_fopen(Machine& m) { notAvailable(m, 0xAE); }
void sys_fclose(Machine& m) { notAvailable(m, 0xAF); }
void sys_fread(Machine& m) { notAvailable(m, 0xB0); }
void sys_fwrite(Machine& m) { notAvailable(m, 0xB1); }
void sys_fseek(Machine& m) { notAvailable(m, 0xB2); }
void sys_ftell(Machine& m) { notAvailable(m, 0xB3); }
void sys_feof(Machine& m) { notAvailable(m, 0xB4); }
void sys_rewind(Machine& m) { notAvailable(m, 0xB5); }
void sys_getc(Machine& m) { notAvailable(m, 0xB6); }
void sys_putc(Machine& m) { notAvailable(m, 0xB7); }
void sys_ChDir(Machine& m) { notAvailable(m, 0xC0); }
void sys_FileList(Machine& m) { notAvailable(m, 0xC1); }

}  // namespace corvane
