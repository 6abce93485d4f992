#include "tools/vrncc/emitter.h"

#include "tools/vrncc/peephole.h"
#include "vm/image.h"
#include "vm/opcodes.h"

#include <cstddef>
#include <map>

namespace corvane::cc {

namespace {

bool isJump(uint8_t o) {
    return o == op::JZ || o == op::JNZ || o == op::JMP || o == op::CALL;
}

// Bytes an instruction takes in the image: the opcode, its operands' fixed bytes, and INITDATA's
// data; a label takes none.
int insSize(const Ins& i) {
    if (i.op == op::LABEL) return 0;
    const int fixed = 1 + operandBytes(opInfo(i.op).operands);
    return i.op == op::INITDATA ? fixed + int(i.data.size()) : fixed;
}

bool isPushConst(const Ins& i, int64_t& v) {
    if (i.op == op::PUSH_B || i.op == op::PUSH_W || i.op == op::PUSH_D) {
        v = i.imm;
        return true;
    }
    return false;
}

}  // namespace

void Emitter::push(int64_t v) {
    int32_t x = int32_t(uint32_t(v));
    if (x >= 0 && x <= 255)
        emit(op::PUSH_B, x);
    else if (x >= -32768 && x <= 32767)
        emit(op::PUSH_W, x);
    else
        emit(op::PUSH_D, x);
}

void Emitter::peephole() {
    static const std::map<uint8_t, uint8_t> kImmediate = {
        {op::ADD, op::ADDI}, {op::SUB, op::SUBI}, {op::MUL, op::MULI}, {op::DIV, op::DIVI},
        {op::MOD, op::MODI}, {op::SHL, op::SHLI}, {op::SHR, op::SHRI}, {op::EQ, op::EQI},
        {op::NE, op::NEI},   {op::GT, op::GTI},   {op::LT, op::LTI},   {op::GE, op::GEI},
        {op::LE, op::LEI}};
    // A constant computed first may become the immediate operand of what follows.
    foldConstants(code);
    std::vector<Ins> out;
    out.reserve(code.size());
    for (size_t k = 0; k < code.size(); ++k) {
        Ins i = code[k];
        int64_t v;
        if (!out.empty() && isPushConst(out.back(), v)) {
            auto f = kImmediate.find(i.op);
            if (f != kImmediate.end() && v >= -32768 && v <= 32767) {
                // A divisor of 0 stays a run-time division so the machine reports it.
                if (!((i.op == op::DIV || i.op == op::MOD) && v == 0)) {
                    out.back() = {f->second, int32_t(v), 0, {}};
                    if ((i.op == op::ADD || i.op == op::SUB) && v == 0) out.pop_back();
                    continue;
                }
            }
        }
        // A jump to the label right after it.
        if (i.op == op::JMP && k + 1 < code.size() && code[k + 1].op == op::LABEL &&
            code[k + 1].imm == i.imm)
            continue;
        // LNOT before a conditional jump: test the other way round.
        if (i.op == op::POP_COND && !out.empty() && out.back().op == op::LNOT &&
            k + 1 < code.size() && (code[k + 1].op == op::JZ || code[k + 1].op == op::JNZ)) {
            out.pop_back();
            out.push_back(i);
            Ins j = code[++k];
            j.op = j.op == op::JZ ? op::JNZ : op::JZ;
            out.push_back(j);
            continue;
        }
        out.push_back(std::move(i));
    }
    code = std::move(out);
    foldConstants(code);
    narrowingAndIndexing(code);
    needlessCuts(code);
    joinInitData(code);
}

std::vector<uint32_t> Emitter::addresses() const {
    std::vector<uint32_t> at;
    at.reserve(code.size());
    uint32_t pc = kImageHeaderSize;
    for (const Ins& i : code) {
        at.push_back(pc);
        pc += uint32_t(insSize(i));
    }
    return at;
}

std::vector<uint8_t> Emitter::encode() const {
    std::vector<uint32_t> at(size_t(labels_), 0);
    uint32_t pc = kImageHeaderSize;
    for (const Ins& i : code) {
        if (i.op == op::LABEL) at[size_t(i.imm)] = pc;
        pc += uint32_t(insSize(i));
    }
    std::vector<uint8_t> img(kImageHeader.begin(), kImageHeader.end());
    auto put = [&](uint32_t v, int n) {
        for (int b = 0; b < n; ++b) img.push_back(uint8_t(v >> (8 * b)));
    };
    for (const Ins& i : code) {
        if (i.op == op::LABEL) continue;
        img.push_back(i.op);
        const int n = insSize(i) - 1;
        if (isJump(i.op)) {
            put(at[size_t(i.imm)], 3);
        } else if (i.op == op::ENTER) {
            put(uint32_t(i.imm), 2);
            put(uint32_t(i.imm2), 1);
        } else if (i.op == op::INITDATA) {
            put(uint32_t(i.imm), 2);
            put(uint32_t(i.data.size()), 2);
            img.insert(img.end(), i.data.begin(), i.data.end());
        } else if (n > 0) {
            put(uint32_t(i.imm), n);
        }
    }
    return img;
}

}  // namespace corvane::cc
