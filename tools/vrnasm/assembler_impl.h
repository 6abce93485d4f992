#pragma once
// Internal state of one assembly run, shared by the files that implement it: statements and
// instructions (assembler.cpp), directives (directives.cpp), macros, conditionals and includes
// (source_flow.cpp).

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/vrnasm/assembler.h"
#include "tools/vrnasm/expr.h"
#include "tools/vrnasm/lexer.h"

namespace corvane::vrnasm {

struct Location {
    std::string file;
    int line = 0;
    std::string context;  // appended to messages, e.g. " (in macro 'm' used at a.s:3)"
    long order = 0;       // the line's place in reading order, to list diagnostics in it
};

// Width and accepted range of a value written into the image.
enum class Field : uint8_t {
    Byte,    // -128..255
    Word,    // -32768..65535
    Code24,  // 0..0xFFFFFF
    Long,    // -2^31..2^32-1
};

// Names of a function's arguments and locals: frame offsets from fp.
struct ProcScope {
    std::string name;
    std::map<std::string, int64_t> names;
    int64_t nextOffset = 5;  // after the return address (3 bytes) and the caller's fp (2)
    Location loc;
};

struct Fixup {
    uint32_t offset = 0;
    Field field = Field::Byte;
    ExprPtr expr;
    const ProcScope* proc = nullptr;
    Location loc;
    bool checkOnly = false;  // only the range is checked; nothing is written
};

// A PUSH_STR string, encoded with the key in force once all values are known.
struct StringFixup {
    uint32_t offset = 0;
    std::string plain;
    ExprPtr key;  // null: key 0
    const ProcScope* keyProc = nullptr;
    Location loc;
    int column = 0;
};

struct Symbol {
    bool isLabel = false;
    bool known = false;
    bool busy = false;  // being evaluated: a second visit is a circular definition
    int64_t value = 0;
    ExprPtr expr;
    const ProcScope* proc = nullptr;
    Location loc;
};

struct Macro {
    std::string name;
    std::vector<std::string> params;
    std::vector<std::pair<std::string, Location>> body;
    Location loc;
    int nesting = 0;  // .macro lines inside the body while it is being collected
};

struct Conditional {
    bool parentActive = true;
    bool taken = false;  // some branch of this .if was taken
    bool active = true;  // lines are assembled now
    bool seenElse = false;
    Location loc;
};

class Assembler {
  public:
    explicit Assembler(const AsmOptions& options);
    AsmResult run(std::string_view source, const std::string& fileName);

    // --- source flow (source_flow.cpp) ---
    void processText(std::string_view text, const std::string& file, int includeDepth);
    void handleLine(std::string_view line, const Location& loc, int includeDepth, int macroDepth,
                    bool fromMacro);
    bool captureMacroLine(std::string_view line, const Location& loc);
    bool handleConditional(std::string_view word, std::string_view line, const Location& loc);
    void defineMacro(const std::vector<Token>& tokens, size_t pos, const Location& loc);
    void expandMacro(const Macro& macro, std::string_view line, const Token& nameTok,
                     const Location& loc, int includeDepth, int macroDepth);
    void include(const std::vector<Token>& tokens, size_t pos, const Location& loc,
                 int includeDepth);
    std::optional<std::string> readSource(const std::string& path);

    // --- statements (assembler.cpp) ---
    void statement(std::string_view line, const std::vector<Token>& tokens, const Location& loc,
                   int includeDepth, int macroDepth, bool fromMacro);
    void instruction(uint8_t opcode, const std::vector<Token>& tokens, size_t pos,
                     const Location& loc);
    void defineLabel(const Token& tok, const Location& loc, bool opensScope);
    void defineConstant(const Token& nameTok, const std::vector<Token>& tokens, size_t pos,
                        const Location& loc);
    void finish();

    // --- directives (directives.cpp) ---
    void directive(const std::string& word, const std::vector<Token>& tokens, size_t pos,
                   const Location& loc, int includeDepth);
    void dataItems(const std::vector<Token>& tokens, size_t pos, Field field, bool strings,
                   const Location& loc);
    void beginProc(const std::vector<Token>& tokens, size_t pos, const Location& loc);
    void procVar(const std::vector<Token>& tokens, size_t pos, const Location& loc);
    void endProc(const Location& loc);
    void initData(const std::vector<Token>& tokens, size_t pos, const Location& loc);
    void endData(const Location& loc);

    // --- helpers ---
    void error(const Location& loc, int column, const std::string& message);
    ExprPtr expression(const std::vector<Token>& tokens, size_t& pos, const Location& loc);
    bool comma(const std::vector<Token>& tokens, size_t& pos, const Location& loc);
    bool atEnd(const std::vector<Token>& tokens, size_t pos, const Location& loc);
    // Value of an expression during the first pass: every symbol must be defined already.
    std::optional<int64_t> valueNow(const ExprPtr& expr, const Location& loc);
    std::optional<int64_t> value(const Expr& expr, const ProcScope* proc, const Location& loc,
                                 bool final);
    std::optional<int64_t> symbolValue(const Expr& symbol, const ProcScope* proc, bool final,
                                       ExprError& err);
    bool inRange(int64_t v, Field field, const Location& loc, int column);
    void emitByte(uint8_t b) { out_.push_back(b); }
    // Notes that a line marker's opcode is the next byte, written by a statement at `loc`.
    void noteLineMark(const Location& loc);
    void emitField(Field field, ExprPtr expr, const Location& loc);
    bool active() const { return conditionals_.empty() || conditionals_.back().active; }

    const AsmOptions& options_;
    std::vector<uint8_t> out_;
    std::vector<std::pair<long, AsmDiagnostic>> errors_;  // with the order of their line
    bool stopped_ = false;                                // too many errors: stop reading
    bool reportedTooLarge_ = false;
    std::map<std::string, Symbol> symbols_;
    std::map<std::string, Macro> macros_;
    std::optional<Macro> collecting_;  // macro whose body is being read
    std::vector<Conditional> conditionals_;
    std::vector<Fixup> fixups_;
    std::vector<StringFixup> strings_;
    std::deque<ProcScope> procs_;
    ProcScope* proc_ = nullptr;  // open .proc
    std::string scope_;          // last global label: the scope of local labels
    ExprPtr key_;                // value of the last STRKEY or .strkey; null = 0
    const ProcScope* keyProc_ = nullptr;
    std::optional<std::pair<uint32_t, Location>> dataBlock_;  // count offset of an open INITDATA
    int expansions_ = 0;                                      // counts macro expansions for \@
    long linesRead_ = 0;              // source and expanded lines, against endless expansion
    std::vector<std::string> files_;  // the sources in the order first read
    std::vector<AsmLineMark> lineMarks_;
};

}  // namespace corvane::vrnasm
