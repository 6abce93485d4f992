// The dynamic profile behind the fused runs of vm/fused.h: runs the demos, the C programs of the
// compiler's corpus and the benchmarks' programs by single steps, counts how often each code
// offset runs, and prints
//   - per program, the instructions executed and the dispatches the run loop makes for them
//     (one per fused run taken, one per instruction outside a run);
//   - the fused runs by dynamic count (how often each was taken, over all programs);
//   - the straight-line sequences that are not fused runs yet, by the dispatches a fused run
//     for them would save over today's runs.
// usage: fused_profile [instructions per program, default 3000000]
// Not a timed benchmark: its figures are counts, the same on every machine.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "bench/bench_machine.h"
#include "tools/vrnasm/assembler.h"
#include "tools/vrncc/compiler.h"
#include "vm/decoded_code.h"
#include "vm/fused.h"
#include "vm/image.h"
#include "vm/in_place_loop.h"
#include "vm/interpreter.h"
#include "vm/machine.h"
#include "vm/opcodes.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

// Instructions that run on the register view (those a fused run may hold), by opcode.
constexpr std::array<bool, 256> fusable() {
    std::array<bool, 256> any{};
#define CORVANE_ANY_Any true
#define CORVANE_ANY_Machine false
#define INSTRUCTION(number, mnemonic, operands, state, handler) any[number] = CORVANE_ANY_##state;
#include "vm/opcode_list.inc"
#undef CORVANE_ANY_Any
#undef CORVANE_ANY_Machine
    return any;
}
constexpr std::array<bool, 256> kFusable = fusable();

bool leaves(uint8_t opcode) {
    using namespace op;
    return opcode == JZ || opcode == JNZ || opcode == JMP || opcode == CALL || opcode == RET;
}

uint32_t length(uint8_t opcode) {
    return 1 + uint32_t(operandBytes(opInfo(opcode).operands));
}

struct Profile {
    std::map<std::string, uint64_t> fusedTaken;  // fused run -> times taken
    // Straight-line sequence -> times run, and the dispatches the run loop makes for it today.
    struct Sequence {
        uint64_t runs = 0;
        uint64_t dispatches = 0;
    };
    std::map<std::string, Sequence> sequences;
    uint64_t instructions = 0;
    uint64_t dispatches = 0;
};

std::string nameOf(const uint8_t* ops, size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        if (i) s += ' ';
        s += opInfo(ops[i]).name;
    }
    return s;
}

// Runs `image` by single steps for up to `limit` instructions, keys given whenever one is
// awaited and delays ended at once, and adds what it saw to `p`. Returns the instructions run and
// the dispatches of the run loop for them.
std::pair<uint64_t, uint64_t> profileImage(const std::vector<uint8_t>& image, uint64_t limit,
                                           Profile& p) {
    bench::BenchMachine machine("corvane-fused-profile");
    if (!machine.load(image)) return {0, 0};
    Machine* const m = &machine.machine();
    const uint32_t size = m->imageSize;
    std::vector<uint64_t> runs(size, 0);
    std::vector<uint16_t> kinds(size, kKindUndecoded);
    uint64_t executed = 0, dispatches = 0;
    uint32_t runEnd = 0;  // pc after the fused run being executed; 0: none
    int runLeft = 0;
    uint32_t key = 0;
    while (executed < limit && m->programLoaded) {
        if (m->paused) m->paused = false;
        if (m->delayCounter) m->delayCounter = 0;
        if (m->waitForKey) {
            m->keyRegister = uint8_t(0x80 | (++key * 7 % 0x40));
            step(*m);
            continue;
        }
        const uint32_t pc = m->pc;
        if (pc < kImageHeaderSize || pc >= size) break;
        ++runs[pc];
        // The run loop's dispatches: a new one unless this instruction continues a fused run.
        if (runLeft > 0 && pc == runEnd) {
            --runLeft;
        } else {
            if (kinds[pc] == kKindUndecoded) kinds[pc] = decodeAt(m->image.get(), size, pc);
            ++dispatches;
            runLeft = 0;
            if (kinds[pc] >= kKindFirstFused) {
                const FusedRun& r = kFusedRuns[kinds[pc] - kKindFirstFused];
                p.fusedTaken[nameOf(r.ops.data(), r.count)]++;
                runLeft = r.count - 1;
            }
        }
        step(*m);
        ++executed;
        runEnd = m->pc;
    }
    // Straight-line sequences from every offset that ran: 2 to kLongestFused instructions that a
    // fused run could hold, ending at the first that leaves the line.
    const uint8_t* code = m->image.get();
    for (uint32_t pc = kImageHeaderSize; pc < size; ++pc) {
        if (runs[pc] == 0) continue;
        uint8_t ops[kLongestFused];
        size_t n = 0;
        uint64_t today = 0;  // dispatches for the first n instructions with today's runs
        size_t coveredTo = 0;
        for (uint32_t at = pc; n < kLongestFused && at < size;) {
            const uint8_t opcode = code[at];
            if (!kFusable[opcode] || at + length(opcode) > size) break;
            if (n == coveredTo) {
                const uint16_t kind = decodeAt(code, size, at);
                ++today;
                coveredTo += kind >= kKindFirstFused ? kFusedRuns[kind - kKindFirstFused].count : 1;
            }
            ops[n++] = opcode;
            if (n >= 2) {
                Profile::Sequence& s = p.sequences[nameOf(ops, n)];
                s.runs += runs[pc];
                s.dispatches += runs[pc] * today;
            }
            if (leaves(opcode)) break;
            at += length(opcode);
        }
    }
    p.instructions += executed;
    p.dispatches += dispatches;
    return {executed, dispatches};
}

}  // namespace
}  // namespace corvane

int main(int argc, char** argv) {
    using namespace corvane;
    const uint64_t limit = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 3'000'000;
    const fs::path source = CORVANE_SOURCE_DIR;
    const fs::path bin = CORVANE_BIN_DIR;

    // name, image
    std::vector<std::pair<std::string, std::vector<uint8_t>>> programs;
    for (const char* demo : {"showcase", "clock", "console", "draw", "files", "keys", "snake"}) {
        programs.emplace_back(std::string("demo ") + demo,
                              bench::readFile(bin / (std::string(demo) + ".vrn")));
        programs.emplace_back(std::string("demo asm/") + demo,
                              bench::readFile(bin / "asm" / (std::string(demo) + ".vrn")));
    }
    std::vector<fs::path> cSources, asmSources;
    for (const fs::path& dir :
         {source / "tests/vrncc/programs", source / "bench/codegen", source / "bench/count"}) {
        for (const auto& e : fs::directory_iterator(dir)) {
            if (e.path().extension() == ".c") cSources.push_back(e.path());
            if (e.path().extension() == ".s") asmSources.push_back(e.path());
        }
    }
    std::sort(cSources.begin(), cSources.end());
    std::sort(asmSources.begin(), asmSources.end());
    for (const fs::path& c : cSources) {
        CcOptions options;
        options.defines.push_back({"ROUNDS", "10"});
        const CcResult r = compileC({c.string()}, options);
        if (r.ok()) programs.emplace_back("vrncc " + c.filename().string(), r.image);
    }
    for (const fs::path& s : asmSources) {
        AsmOptions options;
        options.defines["ROUNDS"] = 10;
        const AsmResult r = assembleFile(s.string(), options);
        if (r.ok()) programs.emplace_back("asm " + s.filename().string(), r.image);
    }

    Profile p;
    std::printf("%-28s %12s %12s %8s\n", "program", "instructions", "dispatches", "per");
    for (const auto& [name, image] : programs) {
        if (image.empty()) continue;
        const auto [executed, dispatches] = profileImage(image, limit, p);
        if (executed == 0) continue;
        std::printf("%-28s %12llu %12llu %8.2f\n", name.c_str(), (unsigned long long)executed,
                    (unsigned long long)dispatches, double(executed) / double(dispatches));
    }
    std::printf("%-28s %12llu %12llu %8.2f\n\n", "all", (unsigned long long)p.instructions,
                (unsigned long long)p.dispatches, double(p.instructions) / double(p.dispatches));

    std::vector<std::pair<uint64_t, std::string>> taken;
    for (const auto& [name, count] : p.fusedTaken) taken.emplace_back(count, name);
    std::sort(taken.rbegin(), taken.rend());
    // Runs that can loop in place are marked: their passes over themselves skip the dispatch
    // and the ring checks.
    std::map<std::string, bool> inPlace;
    for (const FusedRun& r : kFusedRuns) inPlace[nameOf(r.ops.data(), r.count)] = inPlaceLoop(r).ok;
    std::printf("fused runs taken, by dynamic count (* loops in place)\n");
    for (size_t i = 0; i < taken.size() && i < 30; ++i) {
        std::printf("%12llu %s %s\n", (unsigned long long)taken[i].first,
                    inPlace[taken[i].second] ? "*" : " ", taken[i].second.c_str());
    }

    // Candidates: sequences not among the fused runs, by the dispatches they would save.
    std::map<std::string, bool> known;
    for (const FusedRun& r : kFusedRuns) known[nameOf(r.ops.data(), r.count)] = true;
    // A sequence that runs exactly as often as a longer one that starts or ends with it is part
    // of that one every time: only the longest is listed.
    std::map<std::string, uint64_t> ranAsSuffix;
    for (const auto& [name, seq] : p.sequences) {
        const size_t space = name.find(' ');
        if (name.find(' ', space + 1) == std::string::npos) continue;
        uint64_t& most = ranAsSuffix[name.substr(space + 1)];
        most = std::max(most, seq.runs);
    }
    auto partOfLonger = [&](const std::string& name, uint64_t runs) {
        const auto longer = p.sequences.lower_bound(name + ' ');
        if (longer != p.sequences.end() &&
            longer->first.compare(0, name.size() + 1, name + ' ') == 0 &&
            longer->second.runs == runs)
            return true;
        const auto suffix = ranAsSuffix.find(name);
        return suffix != ranAsSuffix.end() && suffix->second == runs;
    };
    std::vector<std::pair<uint64_t, std::string>> saved;
    for (const auto& [name, seq] : p.sequences) {
        if (known.count(name) || seq.dispatches <= seq.runs || partOfLonger(name, seq.runs))
            continue;
        saved.emplace_back(seq.dispatches - seq.runs, name);
    }
    std::sort(saved.rbegin(), saved.rend());
    std::printf("\nsequences not fused, by dispatches a run would save\n");
    for (size_t i = 0; i < saved.size() && i < 40; ++i)
        std::printf("%12llu  %s\n", (unsigned long long)saved[i].first, saved[i].second.c_str());
    return 0;
}
