#pragma once
// What `vrnasm -g` writes beside the image: the debug-information file with the program's line
// markers and the source file each came from, so that a debugger places a breakpoint on a line of
// one file only at that file's markers, not at the same line number of a file it includes.

#include <string>

#include "shared/debuginfo/debug_info.h"
#include "tools/vrnasm/assembler.h"

namespace corvane {

// The records of an assembled program; `dir` is the folder the assembler ran in, which relative
// source names are relative to.
DebugInfo asmLineRecords(const AsmResult& result, const std::string& dir);

}  // namespace corvane
