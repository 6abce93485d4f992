#pragma once
// The parser: declarations, statements and expressions of one translation unit into the shared
// Program, with types checked and conversions made explicit as it goes.

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "tools/vrncc/ast.h"
#include "tools/vrncc/lexer.h"

namespace corvane::cc {

// A value of type `t` as the machine holds it: truncated to the type's width, sign- or
// zero-extended to 32 bits.
int64_t normalize(int64_t v, const Type* t);

// "a 16-bit int", "an 8-bit char": a type with its width, as the warnings name it.
std::string widthText(const Type* t);

// A constant's value in decimal, an unsigned long long above 2^63 - 1 included.
std::string constantText(int64_t v, const Type* t);

class Parser {
  public:
    // `library`: the unit is the runtime library's, whose names give way to the program's own.
    Parser(Program& prog, Diagnostics& diag, std::vector<Token> tokens, int fileId,
           bool library = false);
    void translationUnit();

  private:
    struct DeclSpec {
        Type* type = nullptr;
        Storage storage = Storage::Global;
        bool isTypedef = false, isStatic = false, isExtern = false, any = false;
        Loc loc;
    };

    // --- tokens ---
    const Token& peek(int k = 0) const;
    const Token& tok() const { return peek(0); }
    Token take();
    bool accept(const char* p);
    void expect(const char* p);
    [[noreturn]] void fail(const Loc& loc, const std::string& message);
    void error(const Loc& loc, const std::string& message) { diag_.error(loc, message); }
    void skipTo(const char* a, const char* b);
    void resync(size_t start);

    // --- scopes ---
    void pushScope();
    void popScope();
    Symbol* lookup(const std::string& name) const;
    void declare(Symbol* s);
    bool isTypeName(const Token& t) const;

    // --- declarations (parse_decl.cpp) ---
    bool startsDeclaration() const;
    bool unknownTypeName();
    DeclSpec declSpecifiers(bool allowStorage);
    Type* recordSpecifier(bool isUnion);
    // The allocation unit that bit-fields are being packed into (start -1: none open).
    struct BitUnit {
        int start = -1, bytes = 0, used = 0;
    };
    void member(Record* r, int& offset, int& size, BitUnit& unit);
    void bitField(Record* r, Type* mt, const std::string& name, const Loc& mloc, int& offset,
                  int& size, BitUnit& unit);
    Type* enumSpecifier();
    Type* declarator(Type* base, std::string& name, Loc& loc, std::vector<Symbol*>* paramsOut);
    Type* declaratorSuffix(Type* base, std::vector<Symbol*>* paramsOut);
    Type* typeName();
    void externalDeclaration();
    void declaration(bool global, std::vector<Stmt*>* out);
    Symbol* declareObject(const DeclSpec& ds, Type* t, const std::string& name, const Loc& loc,
                          bool global);
    void functionDefinition(Symbol* f, std::vector<Symbol*>& params, const Loc& loc);
    void syscallAttribute(Symbol* s);
    void initializer(Type* t, int offset, std::vector<InitItem>& out, Type** arrayType);
    void initList(Type* t, int offset, std::vector<InitItem>& out, Type** arrayType, bool braced);
    void designated(Type* t, int offset, std::vector<InitItem>& out);
    int64_t constantExpr(const char* what);

    // --- statements (parse_stmt.cpp) ---
    Stmt* statement();
    Stmt* compound(bool newScope);

    // --- expressions (parse_expr.cpp) ---
    Expr* expression();
    Expr* assignment();
    Expr* conditional();
    Expr* binary(int minPrec);
    Expr* castExpr();
    Expr* unary();
    Expr* postfix(Expr* e);
    Expr* primary();
    Expr* call(Expr* fn, const Loc& loc);
    Expr* stringLiteral();
    Expr* compoundLiteral(Type* t, const Loc& loc);

    // --- semantic helpers (sema.cpp) ---
    Expr* num(int64_t v, Type* t, const Loc& loc);
    Expr* rvalue(Expr* e);  // array and function designators decay
    Expr* convert(Expr* e, Type* t);
    Expr* assignConvert(Expr* e, Type* t, const Loc& loc, const char* what);
    Expr* cond(Expr* e);  // a scalar controlling expression
    Expr* makeBinary(Op op, Expr* a, Expr* b, const Loc& loc);
    Expr* makeAssign(Expr* lhs, Expr* rhs, const Loc& loc);
    Expr* makeCompound(Op op, Expr* lhs, Expr* rhs, const Loc& loc);
    Expr* makeIncDec(Op op, Expr* e, const Loc& loc);
    Expr* makeDeref(Expr* p, const Loc& loc);
    Expr* makeAddr(Expr* e, const Loc& loc);
    Expr* makeMember(Expr* base, const std::string& name, const Loc& loc);
    Expr* fold(Expr* e);
    Expr* fold64(Expr* e);
    // --- floating point (sema_float.cpp) ---
    Expr* floatConstant(const std::string& text, const Loc& loc);
    Expr* fnum(double v, Type* t, const Loc& loc);
    static bool involvesFloating(const Expr* e);
    Expr* foldFloat(Expr* e);
    Expr* foldQuietly(Expr* e);
    void widenedOverflow(const Expr* e, const Type* t);
    void reportOverflows();
    void constantChange(const Expr* e, const Type* t, const Loc& loc);
    void rangeComparison(Op op, const Expr* x, int64_t c, Type* common, const Loc& loc);
    void checkLvalue(Expr* e, const Loc& loc, const char* what);

    Program& prog_;
    Types& types_;
    Diagnostics& diag_;
    std::vector<Token> toks_;
    size_t pos_ = 0;
    int fileId_;
    bool library_;
    std::vector<std::map<std::string, Symbol*>> scopes_;
    std::vector<std::map<std::string, Type*>> tags_;
    // The function being read.
    Symbol* fn_ = nullptr;
    int frameTop_ = 0;
    std::vector<Symbol*> locals_;  // its automatic variables, for the function-wide warnings
    std::map<std::string, Symbol*> literals_;
    std::set<std::string> failedNames_;  // names whose declaration was in error
    std::vector<Stmt*> switches_;
    int loops_ = 0;
    bool quietFold_ = false;  // folding the machine's own arithmetic: no overflow warning
    // Constant expressions whose value their type did not hold, until reported.
    struct Overflow {
        const Expr* expr;
        std::string text;   // "1000 * 1000"
        std::string exact;  // the value the expression has in C's arithmetic
        bool reported;
    };
    std::vector<Overflow> overflows_;
};

}  // namespace corvane::cc
