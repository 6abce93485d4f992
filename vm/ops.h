#pragma once
// Handlers of the base instructions, grouped by kind. The opcode list (vm/opcode_list.inc) puts
// them in the handler tables; EXIT shares the handler of system call exit (sys_exit).

#include "vm/ops_arithmetic.h"
#include "vm/ops_control.h"
#include "vm/ops_load_store.h"
