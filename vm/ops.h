#pragma once
// Handlers of the base instructions 0x00-0x53, grouped by kind. The dispatch tables in
// dispatch.cpp list them in opcode order; EXIT shares the handler of system call 0x8D (sys_exit).

#include "vm/ops_arithmetic.h"
#include "vm/ops_control.h"
#include "vm/ops_load_store.h"
