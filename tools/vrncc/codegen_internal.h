#pragma once
// The code generator's internal interface, shared by its files: one CodeGen walks the program
// and writes the image through the Emitter. codegen.cpp drives it; the other codegen_*.cpp files
// hold its parts (data, statements, lvalues, expressions, calls).

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "shared/debuginfo/check_trap.h"
#include "tools/vrncc/codegen.h"
#include "tools/vrncc/debug_record.h"
#include "tools/vrncc/emitter.h"
#include "vm/opcodes.h"
#include "vm/typed_address.h"

namespace corvane::cc {

// The width tag of a typed address: the object's width in bytes.
inline int tagOf(const Type* t) {
    return width(t);
}

// Values that live in memory and are handled by their address: structs, unions, long long and
// double.
inline bool inMemory(const Type* t) {
    return isAggregate(t) || isWideScalar(t);
}

// The machine's comparison instruction for a comparison operator (Lt, Gt, Le, Ge, Eq, Ne); the
// 64-bit and floating comparisons use it on their helper's ordering against 0.
uint8_t compareOpcode(Op o);

// Where an lvalue is: a frame offset, a DataArea address, an address the code left on the
// operand stack, or an address kept in a frame slot (Temp).
struct LV {
    enum Kind { Local, Global, Stack, Temp } kind = Stack;
    int addr = 0;
};

class CodeGen {
  public:
    CodeGen(Program& p, Diagnostics& d, const Layout& l, DebugRecorder* dbg, bool check = false)
        : p_(p), d_(d), layout_(l), dbg_(dbg), check_(check) {}

    std::vector<uint8_t> run();

    // Data of the runtime library is laid out only when it is in `keep` (when given); the
    // program's own data always is.
    void keepLibraryData(const std::set<Symbol*>* keep) { keep_ = keep; }
    // After `run`: the data objects the generated code names, with those their initial data
    // points to, over and over (codegen_reach.cpp).
    std::set<Symbol*> reachedData();

  private:
    struct Target {
        int brk = -1, cont = -1;
    };

    struct UserLabel {
        int label = -1;
        bool defined = false;
        Loc loc;
    };

    // --- codegen.cpp ---
    int labelOf(Symbol* f);
    void enqueue(Symbol* f);
    Symbol* runtime(const char* name, const Loc& loc);
    void function(Symbol* f);
    int temp(int bytes);
    void dispatcher();
    void dispatchRange(int lo, int hi, int bad);
    int dispatchLabel();

    // --- codegen_data.cpp ---
    void layoutGlobals();
    uint32_t addressOf(Symbol* s, const Loc& loc);  // named by the code: it is reached
    uint32_t dataAddress(Symbol* s, const Loc& loc);
    Symbol* pointedData(const InitItem& it);
    bool constAddress(Expr* e, Symbol*& sym, int64_t& off);
    static int64_t stringCopySize(const InitItem& it);
    Expr* addrOf(Expr* x);
    void initData(Symbol* g);

    // --- codegen_stmt.cpp ---
    int userLabel(const std::string& name, const Loc& loc);
    void lineMarker(uint32_t value);
    void stmt(Stmt* s);
    void loop(Stmt* body, int brk, int cont);
    void switchStmt(Stmt* s);
    static const Symbol* switchedLocal(const Expr* e);
    void caseRange(const std::vector<Stmt*>& cases, int lo, int hi, int slot, int dflt);
    void caseChain64(const std::vector<Stmt*>& cases, int slot, int dflt);
    void localInit(Symbol* s);

    // --- codegen_loops.cpp ---
    // A local's values inside the body of a loop that counts it.
    struct Range {
        const Symbol* v = nullptr;
        int64_t lo = 0, hi = 0;
    };
    bool holdsOnEntry(const Stmt* init, const Expr* test);
    bool knownAddress(Expr* e, Symbol*& sym, int64_t& off);
    bool pointersApartOnEntry(const Stmt* init, const Expr* test);
    bool safeFromBody(const Symbol* v, const Stmt* body) const;
    bool bodyRange(const Stmt* s, Range& r) const;
    bool rangeOf(const Expr* e, int64_t& lo, int64_t& hi) const;
    bool testsStepValue(const Expr* step, const Expr* test, const Stmt* body) const;
    void stepAndTest(Expr* step, Expr* test, int top);
    bool countedFor(Stmt* s);

    // --- codegen_lvalue.cpp ---
    bool onStack(const Expr* e) const;
    LV lvalue(Expr* e);
    LV stableLvalue(Expr* e);
    void address(const LV& lv);
    void load(const LV& lv, Type* t, bool low16 = false);
    void extendLoaded(Type* t, bool low16);
    void ref(const LV& lv, Type* t);
    void refLocal(int offset, int w);
    void narrow(const Type* t);
    void convertValue(const Type* from, const Type* to);

    // --- codegen_expr.cpp ---
    void discard(Expr* e);
    void branch(Expr* e, bool when, int label);
    void compare(Expr* e);
    void flipSign();
    void value(Expr* e, bool low16 = false);
    void arith(Op o, Type* t, Expr* right, const Loc& loc, bool low16, bool inRange = false);
    static bool lowStore(const Type* t);
    void assign(Expr* e, bool low16 = false);
    void compound(Expr* e, bool low16 = false);
    void incDec(Expr* e, bool low16 = false, bool unused = false);

    // --- codegen_llong.cpp ---
    void callRuntime(const char* name, const Loc& loc);
    bool llValue(Expr* e);
    void llConst(int64_t v, int at = -1);
    void llWiden(const Type* from, const std::function<void()>& emit);
    void llBinary(Op o, Type* t, const std::function<void()>& left, Expr* right, const Loc& loc);
    void llCompare(Expr* e);
    void llTruth(Expr* e);
    void llCompound(Expr* e);
    void llIncDec(Expr* e);
    int copyOf8(const LV& lv);

    // --- codegen_float.cpp ---
    bool fpValue(Expr* e);
    void fpArith(Op o, Type* t, Expr* right, const Loc& loc);
    void fpConvert(const Type* from, const Type* to);
    void fpCompare(Expr* e);
    void fpTruth(Expr* e);
    void fpCompound(Expr* e);
    void fpIncDec(Expr* e);

    // --- codegen_bits.cpp ---
    Type* unitType(const Type* field);
    void loadBits(const LV& lv, Type* t);
    void storeBits(const LV& lv, Type* t, const std::function<void()>& newValue, const Loc& loc);
    void compoundValue(Expr* e, const LV& lv);
    void assignBits(Expr* e);
    void compoundBits(Expr* e);
    void incDecBits(Expr* e);

    // --- codegen_call.cpp ---
    void call(Expr* e, bool low16 = false);
    static bool lowResult(const Type* t);
    void resultOf(const Symbol* f, bool low16);
    void dropCut16();
    void syscall(Expr* e, Symbol* s);

    // --- codegen_checks.cpp (-fcheck) ---
    size_t checkStack();
    void patchStackCheck(size_t at, int frameSize);
    void checkAccess(bool write);
    bool namesObject(const Expr* pointer) const;
    bool isObject(const Expr* x) const;
    // LV::Stack's addr when the address is a named object's plus an offset (`table[i]`): no
    // pointer is read, so there is no null pointer to check.
    static constexpr int kNamedObject = 1;
    void trap(uint32_t mark);
    void checkRoutines();

    // The number of the function a call through a pointer goes to: the first word of the data.
    uint32_t scratch() const { return layout_.dataStart; }

    // The low 16 bits of the result depend on the low 16 bits of the operands alone (of the
    // left one only, for a shift left).
    static bool lowBitsOnly(Op o) {
        return o == Op::Add || o == Op::Sub || o == Op::Mul || o == Op::And || o == Op::Or ||
               o == Op::Xor || o == Op::Shl;
    }

    bool isCompare(Op o) const {
        return o == Op::Lt || o == Op::Gt || o == Op::Le || o == Op::Ge || o == Op::Eq ||
               o == Op::Ne;
    }

    static uint8_t byWidth(int w, uint8_t c, uint8_t i, uint8_t l) {
        return w == 1 ? c : w == 2 ? i : l;
    }

    Program& p_;
    Diagnostics& d_;
    Layout layout_;
    DebugRecorder* dbg_;
    bool check_ = false;
    int nullRead_ = -1, nullWrite_ = -1;  // labels of the null-pointer check routines, once used
    Emitter em_;
    std::vector<Symbol*> laidOut_;
    const std::set<Symbol*>* keep_ = nullptr;
    std::set<Symbol*> codeData_;  // data objects whose address the functions' code holds
    std::vector<Symbol*> dispatchTable_;
    std::deque<Symbol*> queue_;
    std::set<Symbol*> queued_;
    uint32_t stackBase_ = 0;
    int dispatchLabel_ = -1;
    Symbol* fn_ = nullptr;
    Symbol* main_ = nullptr;    // returns its whole value: the program's status
    bool mainInPlace_ = false;  // generating main where start-up stands: a return ends the program
    int temps_ = 0;
    int tempsPeak_ = 0;  // the frame's size: temporaries are reused from statement to statement
    std::vector<Target> targets_;
    uint8_t caseLoad_ = op::LDL_L;  // the load of the switch's value in its comparisons
    std::vector<Range> ranges_;     // the counted locals of the loops being generated
    std::map<std::string, UserLabel> labels_;
};

}  // namespace corvane::cc
