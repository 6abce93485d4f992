#pragma once
// Rewrites of the instruction list that look at a few instructions at a time around values the
// machine only uses in part: an address keeps the low 16 bits of a value, and a value cut to
// 16 or 8 bits does not depend on the higher bits of what it was computed from.

#include <vector>

#include "tools/vrncc/emitter.h"

namespace corvane::cc {

// Drops cuts to 16 bits whose high bits nothing reads, and folds a constant base added to an
// index into the indexed load or reference that uses the sum.
void narrowingAndIndexing(std::vector<Ins>& code);

// Drops cuts that cannot change the value they cut: a sign cut to 16 bits of a value that is
// already an int (a loaded int or char, a small constant, a remainder by an immediate), a zero
// cut of a loaded char, and any cut of a value that POP_COND only drops (no conditional jump
// reads the condition it sets).
void needlessCuts(std::vector<Ins>& code);

// Computes operations on constants (a constant address plus an offset, a cut of a constant):
// one push of the result. Divisions stay, for the machine to report a division by zero.
void foldConstants(std::vector<Ins>& code);

// Joins INITDATA blocks that follow each other in the code and in memory across a short run
// of zero bytes, which the machine's reset has already made zero and no other block writes:
// one instruction instead of several.
void joinInitData(std::vector<Ins>& code);

}  // namespace corvane::cc
