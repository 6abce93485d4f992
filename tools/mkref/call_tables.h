#pragma once
// The system-call tables of the reference manual, generated from the opcode list
// (vm/opcode_list.inc). The manual marks each table with a comment naming the calls it lists:
//
//   <!-- calls: TextOut Box Circle -->
//   ...table, rewritten by mkref...
//   <!-- end calls -->

#include <string>
#include <vector>

namespace corvane::ref {

// The markdown table of the named calls, in the order given: opcode, name, arguments in push
// order, result. Unknown names are reported in `problems`.
std::string callTable(const std::vector<std::string>& names, std::vector<std::string>& problems);

// The manual with every marked table regenerated. `problems` receives what is wrong with the
// markers: an unknown name, a call listed twice or not at all, an unclosed block.
std::string regenerateCallTables(const std::string& manual, std::vector<std::string>& problems);

}  // namespace corvane::ref
