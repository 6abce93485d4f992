// System calls of this folder that are not built yet: each ends the program with a clear
// reason. Remove an entry when its real handler lands.

#include "vm/interpreter.h"
#include "vm/machine.h"
#include "vm/syscalls.h"

namespace corvane {

void sys_putchar(Machine& m) { notAvailable(m, 0x80); }
void sys_SetScreen(Machine& m) { notAvailable(m, 0x85); }
void sys_UpdateLCD(Machine& m) { notAvailable(m, 0x86); }
void sys_WriteBlock(Machine& m) { notAvailable(m, 0x88); }
void sys_Refresh(Machine& m) { notAvailable(m, 0x89); }
void sys_TextOut(Machine& m) { notAvailable(m, 0x8A); }
void sys_Block(Machine& m) { notAvailable(m, 0x8B); }
void sys_Rectangle(Machine& m) { notAvailable(m, 0x8C); }
void sys_ClearScreen(Machine& m) { notAvailable(m, 0x8E); }
void sys_Locate(Machine& m) { notAvailable(m, 0x92); }
void sys_Point(Machine& m) { notAvailable(m, 0x94); }
void sys_GetPoint(Machine& m) { notAvailable(m, 0x95); }
void sys_Line(Machine& m) { notAvailable(m, 0x96); }
void sys_Box(Machine& m) { notAvailable(m, 0x97); }
void sys_Circle(Machine& m) { notAvailable(m, 0x98); }
void sys_Ellipse(Machine& m) { notAvailable(m, 0x99); }
void sys_XDraw(Machine& m) { notAvailable(m, 0xC5); }
void sys_GetBlock(Machine& m) { notAvailable(m, 0xC7); }
void sys_FillArea(Machine& m) { notAvailable(m, 0xCA); }

}  // namespace corvane
