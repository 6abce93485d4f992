#pragma once
// What the code generator tells about a program compiled for debugging: which statements get a
// line marker, each function's marker identifier and code range. At the end it turns that, with
// the program's symbols and types, into the debug information.

#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "shared/debuginfo/debug_info.h"
#include "tools/vrncc/ast.h"
#include "tools/vrncc/emitter.h"

namespace corvane::cc {

class DebugRecorder {
  public:
    // `marked(path)`: whether the statements of that source file get line markers (the shipped
    // library's do not, so stepping never wanders into it).
    explicit DebugRecorder(std::function<bool(const std::string&)> marked);

    // A function's code begins; the operand of its function marker.
    uint32_t beginFunction(Symbol* f);
    // The line value of the marker that goes before `s`, or 0 when none does (not a statement
    // that makes code, a file without markers, or the line of the marker just emitted).
    uint32_t statement(const Stmt* s);
    // The marker at the closing brace of the function being generated, or 0.
    uint32_t functionEnd();
    // The code from `label` on belongs to the line of `loc` and gets no marker (a loop's
    // condition, a `for` loop's step): a fault there is named at that line.
    void place(int label, const Loc& loc);
    // A jump target was placed: the next statement gets its own marker even on the same line.
    void jumpTarget() { last_ = 0; }
    // The code labels around the function's code.
    void endFunction(int startLabel, int endLabel);

    // Once the code is final: the line table, code ranges, variables and types.
    void finish(const Program& prog, const Emitter& em);
    const DebugInfo& info() const { return info_; }

  private:
    uint32_t marker(const Loc& loc, LineKind kind);
    int fileNumber(const SourceFile* file);
    int typeId(const Type* t);
    void collectLocals(const Stmt* s, int blockEnd, DebugFunction& out);
    void collectReturns(const Stmt* s);

    std::function<bool(const std::string&)> marked_;
    std::map<const SourceFile*, int> files_;
    std::vector<std::string> paths_;
    std::map<const SourceFile*, bool> markedFiles_;
    struct Function {
        Symbol* sym = nullptr;
        uint32_t id = 0;
        int startLabel = -1, endLabel = -1;
    };
    std::vector<Function> functions_;
    std::map<const Symbol*, uint32_t> ids_;
    std::set<uint32_t> returnLines_;  // of the function being generated
    std::vector<LineKind> kinds_;     // of each marker, in the order they were emitted
    std::vector<std::pair<int, uint32_t>> places_;  // label, line value
    uint32_t last_ = 0;
    // Types.
    DebugInfo info_;
    std::map<std::string, int> typeKeys_;
    std::map<const Record*, int> records_;
};

}  // namespace corvane::cc
