#pragma once
// The program as the parser leaves it: typed expressions with every implicit conversion made
// explicit, statements, and the symbols they name.

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "tools/vrncc/types.h"

namespace corvane::cc {

struct Stmt;
struct Expr;

enum class Storage { Global, Static, Extern, Local, Param, Function, Typedef, EnumConst };

// How a system call leaves its result: pushed, none (C sees 0 or void), its first argument
// (strcpy and friends return their destination), or none with the argument count pushed last.
enum class SysResult { Pushed, None, FirstArg, Counted };

struct Relocation {
    int offset = 0;            // in the object's bytes
    Symbol* target = nullptr;  // a data object, or a function (its dispatch number)
    int64_t addend = 0;
    int width = 2;
};

// One part of an initialiser: a value of a scalar type at an offset, or the bytes of a string
// literal copied into a char array.
struct InitItem {
    int offset = 0;
    Type* type = nullptr;
    Expr* expr = nullptr;
};

struct Symbol {
    std::string name;
    Type* type = nullptr;
    Storage storage = Storage::Global;
    Loc loc;
    // Data objects with static storage.
    bool defined = false;  // storage reserved here (not only extern)
    bool hasInit = false;
    std::vector<InitItem> init;
    std::vector<uint8_t> bytes;  // string literals: their bytes, terminator included
    bool isLiteral = false;
    uint32_t address = 0;  // assigned at layout
    bool laidOut = false;
    // Locals and parameters: offset from fp.
    int frameOffset = 0;
    Symbol* paramCopy = nullptr;  // a struct parameter's local copy
    // Enumeration constants.
    int64_t value = 0;
    // Functions.
    Stmt* body = nullptr;
    std::vector<Symbol*> params;
    Symbol* varargs = nullptr;  // hidden parameter: address of the variable arguments
    int localsSize = 0;
    int syscall = -1;
    SysResult sysResult = SysResult::Pushed;
    int label = -1;           // code label of the entry
    int dispatchIndex = 0;    // number a function pointer holds; 0 until its address is taken
    bool referenced = false;  // called or its address taken: emit it
    bool used = false;        // named in an expression (the unused-variable warnings)
    int fileId = 0;           // translation unit of a static symbol
    // Declared first by the runtime library: its data lands only when reached (the program's own
    // data always lands).
    bool library = false;
};

enum class Op {
    Num,
    Str,  // sym: the literal's object
    Var,  // sym: object or function
    Neg,
    BitNot,
    LogNot,
    Deref,
    Addr,
    PreInc,
    PreDec,
    PostInc,
    PostDec,
    Cast,
    Add,
    Sub,
    Mul,
    Div,
    Mod,
    Shl,
    Shr,
    And,
    Or,
    Xor,
    Lt,
    Gt,
    Le,
    Ge,
    Eq,
    Ne,
    LogAnd,
    LogOr,
    PtrDiff,  // (a - b) / step, both pointers
    Assign,
    CompoundAssign,  // binop: the operator; optype: the type the operation is done in
    Comma,
    Cond,
    Call,
    Member,  // a: struct or union object; value: member offset
    VaStart,
    VaArg,
    CompoundLit,  // sym: the literal's object, a local set up where the expression is reached
};

struct Expr {
    Op op = Op::Num;
    Type* type = nullptr;
    Loc loc;
    Expr* a = nullptr;
    Expr* b = nullptr;
    Expr* c = nullptr;
    int64_t value = 0;  // constant; step of increments; member offset
    Symbol* sym = nullptr;
    std::vector<Expr*> args;
    Op binop = Op::Num;
    Type* optype = nullptr;
    bool lvalue = false;
    bool paren = false;  // written in parentheses: (a = b) as a condition is meant
};

enum class St {
    Compound,
    Expr,
    Decl,  // sym: a local with its initialiser
    If,
    While,
    Do,
    For,
    Switch,
    Case,
    Default,
    Break,
    Continue,
    Return,
    Goto,
    Label,
    Empty,
};

struct Stmt {
    St kind = St::Empty;
    Loc loc;
    Loc end;             // compound: its closing brace
    Expr* e = nullptr;   // condition, expression, return value
    Expr* e2 = nullptr;  // for: step
    Stmt* s1 = nullptr;  // body, then-branch, for: init
    Stmt* s2 = nullptr;  // else-branch
    std::vector<Stmt*> list;
    Symbol* sym = nullptr;
    std::string label;
    int64_t value = 0;         // case value
    std::vector<Stmt*> cases;  // switch: its case and default statements
    int codeLabel = -1;        // case, default and label statements
};

struct Program {
    Types types;
    std::deque<Symbol> symbols;
    std::deque<Expr> exprs;
    std::deque<Stmt> stmts;
    std::vector<Symbol*> globals;              // objects with static storage, literals included
    std::vector<Symbol*> functions;            // defined or declared functions
    std::map<std::string, Symbol*> externals;  // names with external linkage, over all files
    // An expression of a floating type was made: the runtime's floating-point code is needed.
    bool usesFloating = false;

    Symbol* newSymbol() {
        symbols.emplace_back();
        return &symbols.back();
    }
    Expr* newExpr(Op op, Type* t, const Loc& loc) {
        exprs.emplace_back();
        Expr* e = &exprs.back();
        e->op = op;
        e->type = t;
        e->loc = loc;
        if (t && isFloating(t)) usesFloating = true;
        return e;
    }
    Stmt* newStmt(St k, const Loc& loc) {
        stmts.emplace_back();
        Stmt* s = &stmts.back();
        s->kind = k;
        s->loc = loc;
        return s;
    }
};

}  // namespace corvane::cc
