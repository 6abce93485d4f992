#include "tools/vrncc/peephole.h"

#include <algorithm>
#include <cstddef>
#include <optional>

#include "vm/ops_arithmetic.h"

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

// Whether the value `i` pushes lies in -32768..32767, so that a sign cut to 16 bits keeps it.
bool pushesInt(const Ins& i) {
    switch (i.op) {
        case op::LDG_I:
        case op::LDL_I:
        case op::LDGX_I:
        case op::LDLX_I:
        case op::LDG_C:
        case op::LDL_C:
        case op::LDGX_C:
        case op::LDLX_C:
        case op::LDP_C:
        case op::PUSH_B:
        case op::PUSH_W:
        // |remainder| < |divisor| <= 32768: the immediate is a signed 16-bit value.
        case op::MODI:
            return true;
        default:
            return false;
    }
}

// Whether the value `i` pushes lies in 0..65535, so that a cut with AND 0xFFFF keeps it.
bool pushesUnsigned16(const Ins& i) {
    return i.op == op::LDG_C || i.op == op::LDL_C || i.op == op::LDGX_C || i.op == op::LDLX_C ||
           i.op == op::LDP_C || i.op == op::PUSH_B || (i.op == op::PUSH_W && i.imm >= 0);
}

// The next instruction from k on that is not a label, or nullptr.
const Ins* nextInstruction(const std::vector<Ins>& c, size_t k) {
    for (; k < c.size(); ++k)
        if (c[k].op != op::LABEL) return &c[k];
    return nullptr;
}

// The machine's result of `o` on two constants, for the operations that cannot fault: the run
// loop's own arithmetic, so a folded constant is what the instructions would have left.
std::optional<uint32_t> constantResult(uint8_t o, uint32_t a, uint32_t b) {
    switch (o) {
        case op::ADD:
        case op::ADDI:
            return opAdd(a, b);
        case op::SUB:
        case op::SUBI:
            return opSub(a, b);
        case op::MUL:
        case op::MULI:
            return opMul(a, b);
        case op::AND:
            return opAnd(a, b);
        case op::OR:
            return opOr(a, b);
        case op::XOR:
            return opXor(a, b);
        case op::SHL:
        case op::SHLI:
            return opShl(a, b);
        case op::SHR:
        case op::SHRI:
            return opShr(a, b);
        default:
            return std::nullopt;
    }
}

bool isImmediateForm(uint8_t o) {
    return o == op::ADDI || o == op::SUBI || o == op::MULI || o == op::SHLI || o == op::SHRI;
}

// The shortest push of a constant.
Ins pushOf(uint32_t v) {
    const int32_t x = int32_t(v);
    if (x >= 0 && x <= 255) return {op::PUSH_B, x, 0, {}};
    if (x >= -32768 && x <= 32767) return {op::PUSH_W, x, 0, {}};
    return {op::PUSH_D, x, 0, {}};
}

}  // namespace

void foldConstants(std::vector<Ins>& code) {
    std::vector<Ins> out;
    out.reserve(code.size());
    for (const Ins& i : code) {
        // Instructions next to each other in the list have no label between them.
        const size_t n = out.size();
        if (n >= 1 && isConst(out[n - 1]) && isImmediateForm(i.op)) {
            const uint32_t a = uint32_t(out[n - 1].imm);
            out[n - 1] = pushOf(*constantResult(i.op, a, uint32_t(i.imm)));
            continue;
        }
        if (n >= 2 && isConst(out[n - 2]) && isConst(out[n - 1])) {
            if (auto r = constantResult(i.op, uint32_t(out[n - 2].imm), uint32_t(out[n - 1].imm))) {
                out.pop_back();
                out.back() = pushOf(*r);
                continue;
            }
        }
        // k * x, x a value pushed alone: x * k, with k as the immediate. (k + x stays: a
        // constant base added to an index is folded into the indexed access that follows.)
        if (n >= 2 && i.op == op::MUL && isConst(out[n - 2]) && out[n - 2].imm >= -32768 &&
            out[n - 2].imm <= 32767 && isPusher(out[n - 1].op) && !isConst(out[n - 1])) {
            const int32_t k = out[n - 2].imm;
            out[n - 2] = out[n - 1];
            out[n - 1] = {op::MULI, k, 0, {}};
            continue;
        }
        out.push_back(i);
    }
    code = std::move(out);
}

void joinInitData(std::vector<Ins>& code) {
    constexpr uint32_t kLongestGap = 96;  // zero bytes worth more than an instruction saved
    std::vector<std::pair<uint32_t, uint32_t>> blocks;  // [from, to) of every block
    for (const Ins& i : code)
        if (i.op == op::INITDATA)
            blocks.push_back({uint32_t(i.imm), uint32_t(i.imm) + uint32_t(i.data.size())});
    auto writtenByAnother = [&](uint32_t from, uint32_t to) {
        return std::any_of(blocks.begin(), blocks.end(),
                           [&](const auto& b) { return b.first < to && from < b.second; });
    };
    std::vector<Ins> out;
    out.reserve(code.size());
    for (const Ins& i : code) {
        if (i.op == op::INITDATA && !out.empty() && out.back().op == op::INITDATA) {
            Ins& last = out.back();
            const uint32_t end = uint32_t(last.imm) + uint32_t(last.data.size());
            const uint32_t from = uint32_t(i.imm);
            if (from >= end && from - end <= kLongestGap && from < 0x10000 &&
                last.data.size() + (from - end) + i.data.size() <= 60000 &&
                !writtenByAnother(end, from)) {
                last.data.resize(last.data.size() + (from - end), 0);
                last.data.insert(last.data.end(), i.data.begin(), i.data.end());
                continue;
            }
        }
        out.push_back(i);
    }
    code = std::move(out);
}

void needlessCuts(std::vector<Ins>& code) {
    std::vector<Ins> out;
    out.reserve(code.size());
    for (size_t k = 0; k < code.size(); ++k) {
        if (const int n = cutAt(code, k)) {
            const bool sign = code[k].op == op::SHLI;
            const bool toInt = sign || code[k].imm == 0xFFFF;
            // The value comes straight from the instruction before, not from a jump to a label.
            const Ins* before = out.empty() ? nullptr : &out.back();
            const bool kept =
                before && toInt && (sign ? pushesInt(*before) : pushesUnsigned16(*before));
            // A dropped value: POP_COND sets the condition, and only a jump right after it
            // would read it.
            const Ins* after = nextInstruction(code, k + size_t(n));
            const Ins* afterThat = after && after->op == op::POP_COND
                                       ? nextInstruction(code, size_t(after - code.data()) + 1)
                                       : nullptr;
            const bool dropped =
                after && after->op == op::POP_COND &&
                !(afterThat && (afterThat->op == op::JZ || afterThat->op == op::JNZ));
            if (kept || dropped) {
                k += size_t(n) - 1;
                continue;
            }
        }
        out.push_back(code[k]);
    }
    code = std::move(out);
}

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
