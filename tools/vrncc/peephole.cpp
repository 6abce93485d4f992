#include "tools/vrncc/peephole.h"

#include <cstddef>

namespace corvane::cc {
namespace {

// An indexed load or reference: only the low 16 bits of its index count.
bool isIndexed(uint8_t o) {
    return o == op::LDGX_C || o == op::LDGX_I || o == op::LDGX_L || o == op::REFGX_C ||
           o == op::REFGX_I || o == op::REFGX_L;
}

// Pushes one value and takes none.
bool isPusher(uint8_t o) {
    return o == op::PUSH_B || o == op::PUSH_W || o == op::PUSH_D || o == op::LDG_C ||
           o == op::LDG_I || o == op::LDG_L || o == op::LDL_C || o == op::LDL_I || o == op::LDL_L ||
           o == op::ADDRL;
}

// Takes the top value and leaves one in its place.
bool isUnary(uint8_t o) {
    return (o >= op::ADDI && o <= op::LEI) || o == op::NEG || o == op::NOT || o == op::LNOT ||
           isIndexed(o) || o == op::LDLX_C || o == op::LDLX_I || o == op::LDLX_L;
}

// Low bits of the result depend only on the low bits of the operand(s).
bool keepsLowBits(const Ins& i) {
    return i.op == op::ADDI || i.op == op::SUBI || i.op == op::MULI || i.op == op::NEG ||
           i.op == op::NOT || (i.op == op::SHLI && i.imm >= 0) || i.op == op::ADD ||
           i.op == op::SUB || i.op == op::MUL || i.op == op::AND || i.op == op::OR ||
           i.op == op::XOR;
}

bool isConst(const Ins& i) {
    return i.op == op::PUSH_B || i.op == op::PUSH_W || i.op == op::PUSH_D;
}

// A cut to 16 or fewer bits at k: SHLI 16 + SHRI 16 (sign) or a push of 0xFFFF/0xFF + AND
// (zero). Returns its length in instructions, 0 when there is none.
int cutAt(const std::vector<Ins>& c, size_t k) {
    if (k + 1 >= c.size()) return 0;
    if (c[k].op == op::SHLI && c[k].imm == 16 && c[k + 1].op == op::SHRI && c[k + 1].imm == 16)
        return 2;
    if (isConst(c[k]) && (c[k].imm == 0xFFFF || c[k].imm == 0xFF) && c[k + 1].op == op::AND)
        return 2;
    return 0;
}

// The end of a run starting at k that pushes exactly one value: a pusher and unary operations.
size_t singleValue(const std::vector<Ins>& c, size_t k) {
    if (k >= c.size() || !isPusher(c[k].op)) return 0;
    size_t e = k + 1;
    while (e < c.size() && isUnary(c[e].op)) ++e;
    return e;
}

// Whether what follows a cut ending at k reads only the low 16 bits of the value: an indexed
// access or another cut, reached through operations that keep low bits (the other operand of a
// binary one being a single value pushed right there).
bool onlyLowBitsRead(const std::vector<Ins>& c, size_t k) {
    for (int steps = 0; k < c.size() && steps < 8; ++steps) {
        if (isIndexed(c[k].op) || cutAt(c, k)) return true;
        if (isPusher(c[k].op)) {
            const size_t e = singleValue(c, k);
            // The cut value is the left operand of a binary operation that keeps low bits.
            const uint8_t o = e < c.size() ? c[e].op : 0;
            if (o == op::ADD || o == op::SUB || o == op::MUL || o == op::AND || o == op::OR ||
                o == op::XOR) {
                k = e + 1;
                continue;
            }
            return false;
        }
        if (!keepsLowBits(c[k])) return false;
        ++k;
    }
    return false;
}

}  // namespace

void narrowingAndIndexing(std::vector<Ins>& code) {
    bool changed = true;
    while (changed) {
        changed = false;
        std::vector<Ins> out;
        out.reserve(code.size());
        for (size_t k = 0; k < code.size(); ++k) {
            // A cut whose high bits are never read.
            // Only a cut to 16 bits: what reads its value may read all 16 of them.
            if (const int n = cutAt(code, k); n && !(isConst(code[k]) && code[k].imm == 0xFF) &&
                                              onlyLowBitsRead(code, k + size_t(n))) {
                k += size_t(n) - 1;
                changed = true;
                continue;
            }
            // PUSH base; <index>; ADD; LDGX 0  ->  <index>; LDGX base
            if (isConst(code[k]) && k + 1 < code.size()) {
                const size_t e = singleValue(code, k + 1);
                if (e && e + 1 < code.size() && code[e].op == op::ADD &&
                    isIndexed(code[e + 1].op) && code[e + 1].imm == 0) {
                    out.insert(out.end(), code.begin() + std::ptrdiff_t(k) + 1,
                               code.begin() + std::ptrdiff_t(e));
                    Ins load = code[e + 1];
                    load.imm = int32_t(uint32_t(code[k].imm) & 0xFFFF);
                    out.push_back(load);
                    k = e + 1;
                    changed = true;
                    continue;
                }
            }
            out.push_back(code[k]);
        }
        code = std::move(out);
    }
}

}  // namespace corvane::cc
