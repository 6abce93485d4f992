#pragma once
// The warnings that look at a whole function once it is read: a missing return, locals read
// before they are set, and unused locals and parameters.

#include <vector>

#include "tools/vrncc/ast.h"

namespace corvane::cc {

// `locals`: the function's automatic variables, in the order they were declared.
void checkFunction(const Symbol* f, const std::vector<Symbol*>& locals, Diagnostics& diag);

// The printf family's format against the arguments of a call: each conversion's type, and as
// many arguments as conversions.
void checkFormat(const Expr* call, Diagnostics& diag);

}  // namespace corvane::cc
