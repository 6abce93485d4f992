// Code generation. Only the data a program reaches lands in its image: the runtime library's
// tables, strings and globals are laid out when a reached function names them, or the initial
// data of reached data points to them, as only reached functions are generated. Which data the
// code names is known once the code is generated, and the code holds the data's addresses, so
// the code is generated twice: the first time with all data laid out, to see what it names; the
// second, the image, with only what is reached. The program's own data always lands.

#include "tools/vrncc/codegen_internal.h"

namespace corvane::cc {

namespace {

// Undoes what a run of the code generator left in the program, so that a second run starts as
// the first did.
void forgetLayout(Program& p) {
    for (Symbol* g : p.globals) {
        g->laidOut = false;
        g->address = 0;
    }
    for (Symbol* f : p.functions) f->label = -1;
}

}  // namespace

// The data object an initial value holds the address of, or none (a number, a function, the
// bytes of a string copied into a char array): as initData reads it.
Symbol* CodeGen::pointedData(const InitItem& it) {
    Expr* e = it.expr;
    if (e->op == Op::Num || (e->op == Op::Str && isArray(it.type))) return nullptr;
    Symbol* sym = nullptr;
    int64_t off = 0;
    if (!constAddress(e, sym, off) || isFunction(sym->type)) return nullptr;
    return sym;
}

std::set<Symbol*> CodeGen::reachedData() {
    std::set<Symbol*> reached;
    std::vector<Symbol*> work;
    auto reach = [&](Symbol* g) {
        if (reached.insert(g).second) work.push_back(g);
    };
    for (Symbol* g : codeData_) reach(g);
    for (Symbol* g : p_.globals)
        if (g->defined && !g->library) reach(g);
    while (!work.empty()) {
        Symbol* g = work.back();
        work.pop_back();
        for (const InitItem& it : g->init)
            if (Symbol* to = pointedData(it)) reach(to);
    }
    return reached;
}

std::vector<uint8_t> generate(Program& prog, Diagnostics& diag, const Layout& layout,
                              DebugRecorder* debug, bool check) {
    std::set<Symbol*> reached;
    bool all = false;
    {
        Diagnostics quiet;
        CodeGen first(prog, quiet, layout, nullptr, check);
        first.run();
        reached = first.reachedData();
        // A program with errors keeps all data: its messages are the same as without the pruning.
        all = quiet.errorCount() != 0;
    }
    forgetLayout(prog);
    CodeGen image(prog, diag, layout, debug, check);
    if (!all) image.keepLibraryData(&reached);
    return image.run();
}

}  // namespace corvane::cc
