// Code generation. Every expression leaves exactly one 32-bit slot on the operand stack (none
// when its type is void), holding the value as C sees it at the type's width: 16-bit signed
// values sign-extended, unsigned and pointer values zero-extended. Struct, union and long long
// values are the address of their object. POP_COND serves to drop a slot.
//
// The driver: start-up code, the functions a program reaches, one by one, and the
// dispatcher that calls through function pointers.

#include "tools/vrncc/codegen_internal.h"

namespace corvane::cc {

std::vector<uint8_t> CodeGen::run() {
    Symbol* main = nullptr;
    auto it = p_.externals.find("main");
    if (it != p_.externals.end() && isFunction(it->second->type) && it->second->body)
        main = it->second;
    if (!main) {
        d_.error("no function 'main' is defined");
        return {};
    }
    // Numbers for functions whose address is taken: a pointer to a function holds one.
    int n = 0;
    for (Symbol* f : p_.functions)
        if (f->dispatchIndex != 0) {
            f->dispatchIndex = ++n;
            dispatchTable_.push_back(f);
            if (f->body) enqueue(f);
        }
    main_ = main;
    layoutGlobals();
    if (d_.errorCount()) return {};
    // Start-up: frame stack, initial data, main, and its result left for EXIT.
    em_.emit(op::SETSP, int32_t(stackBase_));
    for (Symbol* g : laidOut_) initData(g);
    const bool mainArgs = !main->params.empty();
    if (mainArgs) {
        em_.push(0);
        em_.push(0);
    }
    // main runs where start-up stands: its frame is entered without a CALL and each of its
    // returns ends the program. A call of main from the program, direct or through a pointer,
    // reaches a copy of it generated as any function. Debug and checked images keep the call,
    // for the frames the debugger and the checks' reports walk.
    if (!dbg_ && !check_) {
        mainInPlace_ = true;
        function(main);
        mainInPlace_ = false;
    } else {
        em_.emit(op::CALL, labelOf(main));
        if (isVoid(main->type->base)) em_.push(0);
        em_.emit(op::EXIT);
        enqueue(main);
    }
    while (!queue_.empty()) {
        Symbol* f = queue_.front();
        queue_.pop_front();
        function(f);
    }
    // Also when no function's address is taken: a call through a pointer then names none.
    if (!dispatchTable_.empty() || dispatchLabel_ >= 0) dispatcher();
    if (check_) checkRoutines();
    if (d_.errorCount()) return {};
    em_.peephole();
    if (dbg_) dbg_->finish(p_, em_);
    return em_.encode();
}

int CodeGen::labelOf(Symbol* f) {
    if (f->label < 0) f->label = em_.newLabel();
    return f->label;
}

void CodeGen::enqueue(Symbol* f) {
    if (queued_.insert(f).second) queue_.push_back(f);
}

Symbol* CodeGen::runtime(const char* name, const Loc& loc) {
    auto it = p_.externals.find(name);
    if (it == p_.externals.end() || !it->second->body) {
        d_.error(loc, std::string("the runtime library has no '") + name + "'");
        return nullptr;
    }
    enqueue(it->second);
    return it->second;
}

void CodeGen::function(Symbol* f) {
    fn_ = f;
    temps_ = tempsPeak_ = f->localsSize;
    labels_.clear();
    if (!mainInPlace_) em_.label(labelOf(f));
    const size_t enter = em_.code.size();
    const int argc = int(f->params.size()) + (f->varargs ? 1 : 0);
    em_.emit(op::ENTER, 0, argc);
    const size_t stackCheck = check_ ? checkStack() : 0;
    for (Symbol* p : f->params) {
        if (!p->paramCopy) continue;
        em_.emit(op::ADDRL, p->paramCopy->frameOffset);
        em_.emit(op::LDL_I, p->frameOffset);
        em_.push(sizeOf(p->type));
        em_.emit(call::memcpy);
    }
    // Every function pushes its marker: the machine's RET pops one whatever it returns from.
    if (dbg_) em_.emit(op::FUNC, int32_t(dbg_->beginFunction(f)));
    stmt(f->body);
    if (dbg_) lineMarker(dbg_->functionEnd());
    if (!isVoid(f->type->base) || mainInPlace_) em_.push(0);
    em_.emit(mainInPlace_ ? op::EXIT : op::RET);
    if (dbg_) {
        const int end = em_.newLabel();
        em_.label(end);
        dbg_->endFunction(labelOf(f), end);
    }
    for (auto& [name, l] : labels_)
        if (!l.defined) d_.error(l.loc, "label '" + name + "' is used but not defined");
    const int frame = std::max(temps_, tempsPeak_);
    if (frame > 0xFFFF) d_.error(f->loc, "the frame of '" + f->name + "' is too large");
    em_.code[enter].imm = frame;
    if (check_) patchStackCheck(stackCheck, frame);
}

int CodeGen::temp(int bytes) {
    int at = temps_;
    temps_ += bytes;
    return at;
}

void CodeGen::dispatcher() {
    em_.label(dispatchLabel());
    const int bad = em_.newLabel();
    dispatchRange(1, int(dispatchTable_.size()), bad);
    em_.label(bad);
    if (check_) {
        // A frame of its own, so that the trap lies one frame below the failing call.
        em_.emit(op::ENTER, 5, 0);
        if (dbg_) em_.emit(op::FUNC, 0);
        trap(checkTrapMark(Check::NotAFunction, 1));
    } else {
        em_.emit(op::EXIT);  // a call through a pointer that names no function
    }
}

void CodeGen::dispatchRange(int lo, int hi, int bad) {
    if (hi - lo < 3) {
        for (int k = lo; k <= hi; ++k) {
            Symbol* f = dispatchTable_[size_t(k - 1)];
            em_.emit(op::LDG_I, int32_t(scratch()));
            em_.push(k);
            em_.emit(op::EQ);
            em_.emit(op::POP_COND);
            if (f->body)
                em_.emit(op::JNZ, labelOf(f));
            else
                d_.error(f->loc, "'" + f->name + "' has no body to call through a pointer");
        }
        em_.emit(op::JMP, bad);
        return;
    }
    const int mid = (lo + hi + 1) / 2;
    const int left = em_.newLabel();
    em_.emit(op::LDG_I, int32_t(scratch()));
    em_.push(mid);
    em_.emit(op::LT);
    em_.emit(op::POP_COND);
    em_.emit(op::JNZ, left);
    dispatchRange(mid, hi, bad);
    em_.label(left);
    dispatchRange(lo, mid - 1, bad);
}

int CodeGen::dispatchLabel() {
    if (dispatchLabel_ < 0) dispatchLabel_ = em_.newLabel();
    return dispatchLabel_;
}

}  // namespace corvane::cc
