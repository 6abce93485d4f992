#include "support/random_program.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "support/program.h"
#include "vm/fused.h"
#include "vm/opcodes.h"

namespace corvane::test {

// Frames are placed so that loads and stores also hit the operand ring and the region past
// 0xFFFF.
std::vector<uint8_t> randomProgram(std::mt19937& rng, bool callsLaidOut) {
    static const uint8_t kExtra[] = {
        0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x0D, 0x0E, 0x10, 0x13, 0x16, 0x17,
        0x18, 0x19, 0x1C, 0x1D, 0x1E, 0x1F, 0x20, 0x21, 0x22, 0x25, 0x27, 0x28, 0x29,
        0x2B, 0x2C, 0x2D, 0x2E, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3A, 0x3C, 0x3F,
        0x41, 0x43, 0x48, 0x49, 0x4A, 0x4B, 0x52, 0x53, 0x81, 0x87, 0x8F, 0x84,
    };
    Code code;
    std::vector<uint32_t> starts;
    std::vector<uint32_t> jumps;  // code addresses of 24-bit jump operands to patch
    // Jumps that end a fused run and go back to its start: a whole loop, run over and over on
    // its one copy of the run's operands.
    std::vector<std::pair<uint32_t, uint32_t>> loops;
    const uint16_t frames[] = {0x3000, 0x7600 - 5, 0xFFF0, 0x2000};
    code.op("SETSP").u16(frames[rng() % std::size(frames)]);
    code.op("CALL").u24(code.here() + 3);  // into the ENTER just after it
    code.op("ENTER").u16(1 + rng() % 40).u8(rng() % 3);
    auto operand = [&](uint8_t op) {
        switch (opInfo(op).operands) {
            case Operands::None:
                break;
            case Operands::U8:
                code.u8(op == 0x43 ? (rng() % 4 == 0 ? rng() : 0) : rng());
                break;
            case Operands::O16:
                code.u16(rng() % 4 == 0 ? rng() : 5 + 4 * (rng() % 8));
                break;
            case Operands::A16:
                code.u16(rng() % 4 == 0 ? rng() : 0x2000 + rng() % 64);
                break;
            case Operands::S16:
                code.u16(rng() % 8 == 0 ? 0 : rng() % 64 - 16);
                break;
            case Operands::U16:
                code.u16(frames[rng() % std::size(frames)]);
                break;
            case Operands::U32: {
                // Typed addresses of every width, frame-relative and global, as PUSH_D gives
                // them to ASSIGN and the steps; tags that mean a long other than 4 (a string
                // constant's 0x10, 3), and now and then bits 24-31, which every use ignores.
                static const uint32_t kTags[] = {0,          0x00010000, 0x00020000,
                                                 0x00040000, 0x00100000, 0x00030000};
                const uint32_t tag = kTags[rng() % std::size(kTags)];
                const uint32_t ignored = rng() % 8 == 0 ? uint32_t(rng()) << 24 : 0;
                code.u32(ignored + (rng() % 2 ? 0x00800005 + tag + 4 * (rng() % 4)
                                              : 0x00002000 + tag + rng() % 64));
                break;
            }
            case Operands::C24:
            case Operands::U24:
                jumps.push_back(code.here());
                code.u24(rng() % 12);
                break;
            case Operands::String: {
                const int n = rng() % 6;
                for (int i = 0; i < n; ++i) code.u8('a' + rng() % 26);
                code.u8(0);
                break;
            }
            case Operands::Enter:
                code.u16(1 + rng() % 40).u8(rng() % 3);
                break;
            case Operands::InitData:
                code.u16(0x2000 + rng() % 64).u16(2).u8(rng()).u8(rng());
                break;
        }
    };
    const int pieces = 20 + int(rng() % 120);
    for (int p = 0; p < pieces; ++p) {
        starts.push_back(code.here());
        if (rng() % 2 == 0) {
            const FusedRun& run = kFusedRuns[rng() % kFusedRunCount];
            const uint32_t runStart = code.here();
            // With callsLaidOut, a run that follows calls is laid out as the program would hold
            // it: the caller's part in line (after a CALL, what follows the callee's RET), and each
            // callee's part (from its ENTER to its RET, or to the run's end) as a function of its
            // own after it, the CALL's operand pointing there. Its JZ and JNZ get random targets,
            // so that the run sometimes leaves its path there.
            std::vector<std::pair<int, int>> parts = {{0, run.count}};  // [first, end) of ops
            std::vector<uint32_t> callOperands = {0};                   // the CALL of each part
            uint32_t lastJump = 0;
            for (size_t k = 0; k < parts.size(); ++k) {
                if (k > 0) {
                    starts.push_back(code.here());
                    code.patch24(callOperands[k], code.here());
                }
                for (int i = parts[k].first; i < parts[k].second; ++i) {
                    if (i > parts[k].first) starts.push_back(code.here());
                    code.op(run.ops[i]);
                    if (!callsLaidOut || run.ops[i] != op::CALL || i + 1 == run.count) {
                        operand(run.ops[i]);
                        if (i + 1 == run.count && run.endsInJump()) lastJump = jumps.back();
                        continue;
                    }
                    // The callee runs up to the RET that returns from this CALL.
                    int ret = i + 1;
                    while (ret < run.count &&
                           !(run.ops[ret] == op::RET &&
                             run.callsOpenBefore(ret) == run.callsOpenBefore(i) + 1))
                        ++ret;
                    callOperands.push_back(code.here());
                    code.u24(0);
                    parts.emplace_back(i + 1, std::min(ret + 1, int(run.count)));
                    i = ret;  // the caller goes on after that RET
                }
            }
            if (run.endsInJump() && rng() % 3 == 0) loops.emplace_back(lastJump, runStart);
        } else {
            const uint8_t op = kExtra[rng() % std::size(kExtra)];
            code.op(op);
            operand(op);
        }
    }
    if (rng() % 2) code.op("EXIT");
    std::vector<uint8_t> image = imageWithCode(code.bytes());
    // Line and function markers keep their small values; jumps go mostly to instruction starts,
    // sometimes to any byte, sometimes past the end.
    for (uint32_t at : jumps) {
        if (image[at - 1] == 0x52 || image[at - 1] == 0x53) continue;
        uint32_t target;
        const uint32_t pick = rng() % 16;
        const auto loop =
            std::find_if(loops.begin(), loops.end(), [at](const auto& l) { return l.first == at; });
        if (loop != loops.end()) {
            target = loop->second;
        } else if (pick < 12) {
            target = starts[rng() % starts.size()];
        } else if (pick < 15) {
            target = kImageHeaderSize + rng() % (image.size() - kImageHeaderSize);
        } else {
            target = uint32_t(image.size()) + rng() % 4;
        }
        image[at] = uint8_t(target);
        image[at + 1] = uint8_t(target >> 8);
        image[at + 2] = uint8_t(target >> 16);
    }
    // Sometimes the last instruction is cut short, so that it runs past the end of the image.
    if (rng() % 8 == 0 && image.size() > kImageHeaderSize + 2) image.pop_back();
    return image;
}

}  // namespace corvane::test
