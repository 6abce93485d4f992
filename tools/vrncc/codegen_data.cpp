// Code generation. Globals: their addresses in DataArea and the initial data the start-up code
// copies.

#include "tools/vrncc/codegen_internal.h"

namespace corvane::cc {

void CodeGen::layoutGlobals() {
    uint32_t at = layout_.dataStart + 2;  // after the dispatch word
    std::set<Symbol*> seen;
    for (Symbol* g : p_.globals) {
        if (!seen.insert(g).second) continue;
        if (!g->defined) continue;
        if (g->library && keep_ && !keep_->count(g)) continue;
        int64_t s = sizeOf(g->type);
        if (s < 0 && isArray(g->type)) {
            g->type = p_.types.arrayOf(g->type->base, 1);
            s = sizeOf(g->type);
        }
        if (s < 0) {
            d_.error(g->loc, "'" + g->name + "' has an incomplete type");
            continue;
        }
        g->address = at;
        g->laidOut = true;
        at += uint32_t(s);
        laidOut_.push_back(g);
    }
    stackBase_ = at;
    if (at + layout_.minStack > layout_.dataEnd)
        d_.error("the program's data does not fit: " + std::to_string(at - layout_.dataStart) +
                 " bytes of globals and " + std::to_string(layout_.minStack) +
                 " bytes of frame stack, but only " +
                 std::to_string(layout_.dataEnd - layout_.dataStart) + " bytes of DataArea");
}

uint32_t CodeGen::addressOf(Symbol* s, const Loc& loc) {
    codeData_.insert(s);
    return dataAddress(s, loc);
}

uint32_t CodeGen::dataAddress(Symbol* s, const Loc& loc) {
    if (!s->laidOut) {
        d_.error(loc, "undefined reference to '" + s->name + "'");
        s->laidOut = true;  // report it once
    }
    return s->address;
}

bool CodeGen::constAddress(Expr* e, Symbol*& sym, int64_t& off) {
    switch (e->op) {
        case Op::Str:
            sym = e->sym;
            off = 0;
            return true;
        case Op::Addr:
            if (e->a->op == Op::Var) {
                sym = e->a->sym;
                off = 0;
                return sym->storage != Storage::Local && sym->storage != Storage::Param;
            }
            if (e->a->op == Op::Str) return constAddress(e->a, sym, off);
            if (e->a->op == Op::Member && constAddress(addrOf(e->a->a), sym, off)) {
                off += e->a->value;
                return true;
            }
            if (e->a->op == Op::Deref) return constAddress(e->a->a, sym, off);
            return false;
        case Op::Cast:
            return isScalar(e->type) && constAddress(e->a, sym, off);
        case Op::Add:
        case Op::Sub:
            if (e->b->op == Op::Num && constAddress(e->a, sym, off)) {
                off += e->op == Op::Add ? e->b->value : -e->b->value;
                return true;
            }
            return false;
        default:
            return false;
    }
}

// Bytes of a string literal that go into the char array it initialises: all of them, or as
// many as the array holds (an array whose size the string gave takes them all).
int64_t CodeGen::stringCopySize(const InitItem& it) {
    const int64_t n = int64_t(it.expr->sym->bytes.size());
    const int64_t room = sizeOf(it.type);
    return room < 0 ? n : std::min(n, room);
}

Expr* CodeGen::addrOf(Expr* x) {
    Expr* a = p_.newExpr(Op::Addr, p_.types.pointerTo(x->type), x->loc);
    a->a = x;
    return a;
}

void CodeGen::initData(Symbol* g) {
    std::vector<uint8_t> bytes(size_t(sizeOf(g->type)), 0);
    if (g->isLiteral) bytes = g->bytes;
    for (const InitItem& it : g->init) {
        Expr* e = it.expr;
        if (e->op == Op::Str && isArray(it.type)) {
            size_t n = size_t(stringCopySize(it));
            std::copy_n(e->sym->bytes.begin(), n, bytes.begin() + it.offset);
            continue;
        }
        int64_t v = 0;
        Symbol* sym = nullptr;
        int64_t off = 0;
        if (e->op == Op::Num) {
            v = e->value;
        } else if (constAddress(e, sym, off)) {
            if (isFunction(sym->type))
                v = sym->dispatchIndex + off;
            else
                v = int64_t(dataAddress(sym, e->loc)) + off;
        } else {
            d_.error(e->loc, "initialiser of '" + g->name + "' is not a constant");
            continue;
        }
        const int w = width(it.type);
        uint64_t unit = uint64_t(v);
        if (it.type->bits) {
            // A bit-field: merged into its allocation unit with the fields already there.
            uint64_t old = 0;
            for (int b = 0; b < w; ++b) old |= uint64_t(bytes[size_t(it.offset + b)]) << (8 * b);
            const uint64_t mask =
                (it.type->bits >= 64 ? ~uint64_t(0) : (uint64_t(1) << it.type->bits) - 1)
                << it.type->bitOffset;
            unit = (old & ~mask) | ((uint64_t(v) << it.type->bitOffset) & mask);
        }
        for (int b = 0; b < w; ++b) bytes[size_t(it.offset + b)] = uint8_t(unit >> (8 * b));
    }
    // DataArea is zero after a reset: only the runs that are not zero are copied.
    size_t i = 0;
    while (i < bytes.size()) {
        if (!bytes[i]) {
            ++i;
            continue;
        }
        size_t j = i, zeros = 0;
        while (j < bytes.size() && zeros < 8 && j - i < 60000) {
            zeros = bytes[j] ? 0 : zeros + 1;
            ++j;
        }
        j -= zeros;
        Ins ins{op::INITDATA, int32_t(g->address + i), 0, {}};
        ins.data.assign(bytes.begin() + std::ptrdiff_t(i), bytes.begin() + std::ptrdiff_t(j));
        em_.code.push_back(std::move(ins));
        i = j;
    }
}

}  // namespace corvane::cc
