#pragma once
// The program's C source as the debug information beside its image describes it: the file, line
// and function of a code address, for fault messages and the debug server. Debug information is
// taken only when it matches the image (each line marker it lists is in the image at its address,
// with its value), so a stale file left beside a rebuilt image never names a wrong line.

#include <cstdint>
#include <optional>
#include <string>

#include "shared/debuginfo/debug_info.h"

namespace corvane {

struct Machine;

// A place in the source: file (as the debug information names it), line, function.
struct SourcePlace {
    std::string file;
    int line = 0;
    std::string function;
};

// Whether every line marker of `info` is in the image at its address with its value.
bool debugInfoMatches(const DebugInfo& info, const uint8_t* image, uint32_t imageSize);

// The debug information beside `imagePath` (its ".dbg"), when it is there, reads and matches the
// image; otherwise nothing, with `problem` saying why when the file exists but cannot be used.
std::optional<DebugInfo> loadDebugInfoFor(const std::string& imagePath, const uint8_t* image,
                                          uint32_t imageSize, std::string* problem = nullptr);

// The statement holding `address`: the last line marker, or place (code of a line without a
// marker, as a loop's condition), at or before it inside the function whose code holds it.
// Nothing for code without debug information.
std::optional<SourcePlace> sourcePlaceAt(const DebugInfo& info, uint32_t address);

// When the fault that ended the program is the trap of a failed check (`vrncc -fcheck`), puts the
// machine where the failing code was: the frames of the check's routines are left as their RET
// would leave them, with `pc` on the CALL that entered them. The fault's reason then names the
// check and that code's address ("null pointer write at 0x00013B"), which the place mapping
// below turns into its source line. False, and nothing changed, for any other end.
bool explainCheckTrap(Machine& m);

// "file:line in function".
std::string describePlace(const SourcePlace& place);

// A fault's message with the place of the code address it names ("... at 0x00013B ...")
// appended as " (file:line in function)"; the message alone when there is no such place.
std::string faultMessageWithPlace(const std::string& reason, const DebugInfo* info);

}  // namespace corvane
