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

}  // namespace corvane::cc
