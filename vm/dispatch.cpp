// The two handler tables, in opcode order, and the step and batch run that dispatch through them.

#include "vm/dispatch.h"

#include <utility>

#include "vm/decoded_code.h"
#include "vm/fused.h"
#include "vm/interpreter.h"
#include "vm/machine.h"
#include "vm/opcodes.h"
#include "vm/ops.h"
#include "vm/run_state.h"
#include "vm/syscalls.h"

namespace corvane {

template <typename M>
using HandlerOf = void (*)(M&);

// The tables over the state a handler runs on: the Machine for `step` and the tables that
// dispatch.h declares, the run loop's register view for `run`. Handlers written for the Machine
// alone (system calls, and the instructions that can fault, stop the machine or run on through
// the code) run on it in both.
#define CORVANE_ON_MACHINE(h) machineOnly<M, h>()

template <typename M>
constexpr std::array<HandlerOf<M>, 0x54> baseHandlers() {
    return {{
        op_NOP<M>,                               // 0x00
        op_PUSH_B<M>,                            // 0x01
        op_PUSH_W<M>,                            // 0x02
        op_PUSH_D<M>,                            // 0x03
        op_LDG_C<M>,                             // 0x04
        op_LDG_I<M>,                             // 0x05
        op_LDG_L<M>,                             // 0x06
        op_LDGX_C<M>,                            // 0x07
        op_LDGX_I<M>,                            // 0x08
        op_LDGX_L<M>,                            // 0x09
        op_REFGX_C<M>,                           // 0x0A
        op_REFGX_I<M>,                           // 0x0B
        op_REFGX_L<M>,                           // 0x0C
        CORVANE_ON_MACHINE(op_PUSH_STR),         // 0x0D
        op_LDL_C<M>,                             // 0x0E
        op_LDL_I<M>,                             // 0x0F
        op_LDL_L<M>,                             // 0x10
        op_LDLX_C<M>,                            // 0x11
        op_LDLX_I<M>,                            // 0x12
        op_LDLX_L<M>,                            // 0x13
        op_REFLX_C<M>,                           // 0x14
        op_REFLX_I<M>,                           // 0x15
        op_REFLX_L<M>,                           // 0x16
        op_ADDRGX<M>,                            // 0x17
        op_ADDRLX<M>,                            // 0x18
        op_ADDRL<M>,                             // 0x19
        op_PUSH_TEXTBUF<M>,                      // 0x1A
        op_PUSH_SCREEN<M>,                       // 0x1B
        op_NEG<M>,                               // 0x1C
        op_PREINC<M>,                            // 0x1D
        op_PREDEC<M>,                            // 0x1E
        op_POSTINC<M>,                           // 0x1F
        op_POSTDEC<M>,                           // 0x20
        op_ADD<M>,                               // 0x21
        op_SUB<M>,                               // 0x22
        op_AND<M>,                               // 0x23
        op_OR<M>,                                // 0x24
        op_NOT<M>,                               // 0x25
        op_XOR<M>,                               // 0x26
        op_LAND<M>,                              // 0x27
        op_LOR<M>,                               // 0x28
        op_LNOT<M>,                              // 0x29
        op_MUL<M>,                               // 0x2A
        CORVANE_ON_MACHINE(op_DIV),              // 0x2B
        CORVANE_ON_MACHINE(op_MOD),              // 0x2C
        op_SHL<M>,                               // 0x2D
        op_SHR<M>,                               // 0x2E
        op_EQ<M>,                                // 0x2F
        op_NE<M>,                                // 0x30
        op_LE<M>,                                // 0x31
        op_GE<M>,                                // 0x32
        op_GT<M>,                                // 0x33
        op_LT<M>,                                // 0x34
        op_ASSIGN<M>,                            // 0x35
        op_LDP_C<M>,                             // 0x36
        op_REFP_C<M>,                            // 0x37
        op_POP_COND<M>,                          // 0x38
        op_JZ<M>,                                // 0x39
        op_JNZ<M>,                               // 0x3A
        op_JMP<M>,                               // 0x3B
        op_SETSP<M>,                             // 0x3C
        op_CALL<M>,                              // 0x3D
        op_ENTER<M>,                             // 0x3E
        op_RET<M>,                               // 0x3F
        CORVANE_ON_MACHINE(sys_exit),            // 0x40 EXIT: the same handler as system call exit
        CORVANE_ON_MACHINE(op_INITDATA),         // 0x41
        op_PUSH_GBUF<M>,                         // 0x42
        CORVANE_ON_MACHINE(op_STRKEY<Machine>),  // 0x43
        op_NOP<M>,                               // 0x44
        op_ADDI<M>,                              // 0x45
        op_SUBI<M>,                              // 0x46
        op_MULI<M>,                              // 0x47
        CORVANE_ON_MACHINE(op_DIVI),             // 0x48
        CORVANE_ON_MACHINE(op_MODI),             // 0x49
        op_SHLI<M>,                              // 0x4A
        op_SHRI<M>,                              // 0x4B
        op_EQI<M>,                               // 0x4C
        op_NEI<M>,                               // 0x4D
        op_GTI<M>,                               // 0x4E
        op_LTI<M>,                               // 0x4F
        op_GEI<M>,                               // 0x50
        op_LEI<M>,                               // 0x51
        CORVANE_ON_MACHINE(op_LINE),             // 0x52
        op_FUNC<M>,                              // 0x53
    }};
}

template <typename M>
constexpr std::array<HandlerOf<M>, 0x52> systemCallHandlers() {
    return {{
        CORVANE_ON_MACHINE(sys_putchar),      // 0x80
        CORVANE_ON_MACHINE(sys_getchar),      // 0x81
        CORVANE_ON_MACHINE(sys_printf),       // 0x82
        CORVANE_ON_MACHINE(sys_strcpy),       // 0x83
        CORVANE_ON_MACHINE(sys_strlen),       // 0x84
        CORVANE_ON_MACHINE(sys_SetScreen),    // 0x85
        CORVANE_ON_MACHINE(sys_UpdateLCD),    // 0x86
        CORVANE_ON_MACHINE(sys_Delay),        // 0x87
        CORVANE_ON_MACHINE(sys_WriteBlock),   // 0x88
        CORVANE_ON_MACHINE(sys_Refresh),      // 0x89
        CORVANE_ON_MACHINE(sys_TextOut),      // 0x8A
        CORVANE_ON_MACHINE(sys_Block),        // 0x8B
        CORVANE_ON_MACHINE(sys_Rectangle),    // 0x8C
        CORVANE_ON_MACHINE(sys_exit),         // 0x8D
        CORVANE_ON_MACHINE(sys_ClearScreen),  // 0x8E
        CORVANE_ON_MACHINE(sys_abs),          // 0x8F
        CORVANE_ON_MACHINE(sys_rand),         // 0x90
        CORVANE_ON_MACHINE(sys_srand),        // 0x91
        CORVANE_ON_MACHINE(sys_Locate),       // 0x92
        CORVANE_ON_MACHINE(sys_Inkey),        // 0x93
        CORVANE_ON_MACHINE(sys_Point),        // 0x94
        CORVANE_ON_MACHINE(sys_GetPoint),     // 0x95
        CORVANE_ON_MACHINE(sys_Line),         // 0x96
        CORVANE_ON_MACHINE(sys_Box),          // 0x97
        CORVANE_ON_MACHINE(sys_Circle),       // 0x98
        CORVANE_ON_MACHINE(sys_Ellipse),      // 0x99
        CORVANE_ON_MACHINE(sys_Beep),         // 0x9A
        CORVANE_ON_MACHINE(sys_isalnum),      // 0x9B
        CORVANE_ON_MACHINE(sys_isalpha),      // 0x9C
        CORVANE_ON_MACHINE(sys_iscntrl),      // 0x9D
        CORVANE_ON_MACHINE(sys_isdigit),      // 0x9E
        CORVANE_ON_MACHINE(sys_isgraph),      // 0x9F
        CORVANE_ON_MACHINE(sys_islower),      // 0xA0
        CORVANE_ON_MACHINE(sys_isprint),      // 0xA1
        CORVANE_ON_MACHINE(sys_ispunct),      // 0xA2
        CORVANE_ON_MACHINE(sys_isspace),      // 0xA3
        CORVANE_ON_MACHINE(sys_isupper),      // 0xA4
        CORVANE_ON_MACHINE(sys_isxdigit),     // 0xA5
        CORVANE_ON_MACHINE(sys_strcat),       // 0xA6
        CORVANE_ON_MACHINE(sys_strchr),       // 0xA7
        CORVANE_ON_MACHINE(sys_strcmp),       // 0xA8
        CORVANE_ON_MACHINE(sys_strstr),       // 0xA9
        CORVANE_ON_MACHINE(sys_tolower),      // 0xAA
        CORVANE_ON_MACHINE(sys_toupper),      // 0xAB
        CORVANE_ON_MACHINE(sys_memset),       // 0xAC
        CORVANE_ON_MACHINE(sys_memcpy),       // 0xAD
        CORVANE_ON_MACHINE(sys_fopen),        // 0xAE
        CORVANE_ON_MACHINE(sys_fclose),       // 0xAF
        CORVANE_ON_MACHINE(sys_fread),        // 0xB0
        CORVANE_ON_MACHINE(sys_fwrite),       // 0xB1
        CORVANE_ON_MACHINE(sys_fseek),        // 0xB2
        CORVANE_ON_MACHINE(sys_ftell),        // 0xB3
        CORVANE_ON_MACHINE(sys_feof),         // 0xB4
        CORVANE_ON_MACHINE(sys_rewind),       // 0xB5
        CORVANE_ON_MACHINE(sys_getc),         // 0xB6
        CORVANE_ON_MACHINE(sys_putc),         // 0xB7
        CORVANE_ON_MACHINE(sys_sprintf),      // 0xB8
        CORVANE_ON_MACHINE(sys_MakeDir),      // 0xB9
        CORVANE_ON_MACHINE(sys_DeleteFile),   // 0xBA
        CORVANE_ON_MACHINE(sys_Getms),        // 0xBB
        CORVANE_ON_MACHINE(sys_CheckKey),     // 0xBC
        CORVANE_ON_MACHINE(sys_memmove),      // 0xBD
        CORVANE_ON_MACHINE(sys_Crc16),        // 0xBE
        CORVANE_ON_MACHINE(sys_Secret),       // 0xBF
        CORVANE_ON_MACHINE(sys_ChDir),        // 0xC0
        CORVANE_ON_MACHINE(sys_FileList),     // 0xC1
        CORVANE_ON_MACHINE(sys_GetTime),      // 0xC2
        CORVANE_ON_MACHINE(sys_SetTime),      // 0xC3
        CORVANE_ON_MACHINE(sys_GetWord),      // 0xC4
        CORVANE_ON_MACHINE(sys_XDraw),        // 0xC5
        CORVANE_ON_MACHINE(sys_ReleaseKey),   // 0xC6
        CORVANE_ON_MACHINE(sys_GetBlock),     // 0xC7
        CORVANE_ON_MACHINE(sys_Sin),          // 0xC8
        CORVANE_ON_MACHINE(sys_Cos),          // 0xC9
        CORVANE_ON_MACHINE(sys_FillArea),     // 0xCA
        CORVANE_ON_MACHINE(sys_PutKey),       // 0xCB
        CORVANE_ON_MACHINE(sys_ReservedCC),   // 0xCC
        CORVANE_ON_MACHINE(sys_ReservedCD),   // 0xCD
        CORVANE_ON_MACHINE(sys_ReservedCE),   // 0xCE
        CORVANE_ON_MACHINE(sys_ReservedCF),   // 0xCF
        CORVANE_ON_MACHINE(sys_ReservedD0),   // 0xD0
        CORVANE_ON_MACHINE(sys_ReservedD1),   // 0xD1
    }};
}

// Both tables laid out over all 256 opcode values, invalid opcodes included.
template <typename M>
constexpr std::array<HandlerOf<M>, 256> layOut() {
    std::array<HandlerOf<M>, 256> table{};
    table.fill(CORVANE_ON_MACHINE(op_invalid));
    const auto base = baseHandlers<M>();
    const auto calls = systemCallHandlers<M>();
    for (size_t i = 0; i < base.size(); ++i) table[i] = base[i];
    for (size_t i = 0; i < calls.size(); ++i) table[kFirstSystemCall + i] = calls[i];
    return table;
}

#undef CORVANE_ON_MACHINE

// Declared extern in dispatch.h, so these constants keep external linkage. Constant-initialised:
// usable before any dynamic initialisation runs.
constexpr std::array<Handler, 0x54> kBaseHandlers = baseHandlers<Machine>();
constexpr std::array<Handler, 0x52> kSystemCallHandlers = systemCallHandlers<Machine>();
constexpr std::array<Handler, 256> kOpcodeHandlers = layOut<Machine>();

namespace {

// Checks that the opcode at pc and its fixed operand bytes lie inside the loaded image; if not,
// the program ends with a fault and false is returned.
bool instructionInImage(Machine& m) {
    if (m.pc >= m.imageSize) {
        fault(m, "pc outside the program image at 0x%06X", m.pc);
        return false;
    }
    const uint8_t opcode = m.image[m.pc];
    const uint32_t length = 1 + operandBytes(opInfo(opcode).operands);
    if (m.pc + length > m.imageSize) {
        fault(m, "instruction 0x%02X at 0x%06X runs past the end of the program image",
              unsigned(opcode), m.pc);
        return false;
    }
    return true;
}

// A machine waiting in getchar/GetWord takes a pending key: the code (bit 7 cleared) is pushed
// as the call's result. Returns false while no key is there.
bool deliverKey(Machine& m) {
    if ((m.keyRegister & 0x80) == 0) return false;
    m.waitForKey = 0;
    m.keyRegister &= 0x7F;
    m.regA = m.keyRegister;
    m.push(m.regA);
    return true;
}

// Why the machine cannot execute now, if it cannot. A waiting machine with a key pending takes
// the key here and may go on.
bool blocked(Machine& m, RunStop& why) {
    if (!m.programLoaded) {
        why = RunStop::Ended;
    } else if (m.paused) {
        why = RunStop::Paused;
    } else if (m.delayCounter != 0) {
        why = RunStop::Delay;
    } else if (m.waitForKey && !deliverKey(m)) {
        why = RunStop::WaitKey;
    } else {
        return false;
    }
    return true;
}

// The tables the run loop executes on its register view.
constexpr std::array<HandlerOf<RunState>, 256> kRunHandlers = layOut<RunState>();

// A fused run: each instruction through its own table entry, called with a constant index so
// that the compiler inlines the handler. The run's opcodes were checked when it was decoded.
template <size_t K>
CORVANE_INLINE void runFused(RunState& s) {
    constexpr FusedRun run = kFusedRuns[K];
    [&]<size_t... I>(std::index_sequence<I...>) {
        ((++s.pc, kRunHandlers[run.ops[I]](s)), ...);
    }
    (std::make_index_sequence<run.count>{});
}

constexpr size_t kFusedLabels = 96;
static_assert(kFusedRunCount <= kFusedLabels, "every fused run needs a label in executeBatch");

template <size_t... K>
constexpr std::array<void (*)(RunState&), sizeof...(K)> fusedBodies(std::index_sequence<K...>) {
    return {{&runFused<K>...}};
}
[[maybe_unused]] constexpr auto kFusedBodies =
    fusedBodies(std::make_index_sequence<kFusedRunCount>{});

// Executes instructions until the budget is spent, an instruction stops the run, or execution
// leaves the image; returns the updated count. Every code offset is decoded the first time
// execution reaches it: one instruction, a fused run (taken only while the budget left covers it
// whole, else its first instruction runs alone), or an instruction that does not fit in the
// image (which faults, as does a pc outside it).
uint64_t executeBatch(Machine& m, uint64_t executed, uint64_t budget) {
    RunState s(m);
    const uint8_t* const code = m.image.get();
    const uint32_t imageSize = m.imageSize;
    uint16_t* const kinds = m.decoded.kinds.get();
#if defined(__GNUC__) && !defined(CORVANE_PORTABLE_DISPATCH)
    // Threaded dispatch: every kind's code ends with its own jump to the next one, which predicts
    // far better than one shared jump.
    // clang-format off
#define CORVANE_PLAIN(n) &&plain_##n,
#define CORVANE_PLAIN16(h)                                                             \
    CORVANE_PLAIN(h##0) CORVANE_PLAIN(h##1) CORVANE_PLAIN(h##2) CORVANE_PLAIN(h##3)     \
    CORVANE_PLAIN(h##4) CORVANE_PLAIN(h##5) CORVANE_PLAIN(h##6) CORVANE_PLAIN(h##7)     \
    CORVANE_PLAIN(h##8) CORVANE_PLAIN(h##9) CORVANE_PLAIN(h##A) CORVANE_PLAIN(h##B)     \
    CORVANE_PLAIN(h##C) CORVANE_PLAIN(h##D) CORVANE_PLAIN(h##E) CORVANE_PLAIN(h##F)
#define CORVANE_PLAIN256                                                               \
    CORVANE_PLAIN16(0x0) CORVANE_PLAIN16(0x1) CORVANE_PLAIN16(0x2) CORVANE_PLAIN16(0x3) \
    CORVANE_PLAIN16(0x4) CORVANE_PLAIN16(0x5) CORVANE_PLAIN16(0x6) CORVANE_PLAIN16(0x7) \
    CORVANE_PLAIN16(0x8) CORVANE_PLAIN16(0x9) CORVANE_PLAIN16(0xA) CORVANE_PLAIN16(0xB) \
    CORVANE_PLAIN16(0xC) CORVANE_PLAIN16(0xD) CORVANE_PLAIN16(0xE) CORVANE_PLAIN16(0xF)
#define CORVANE_FUSED(g, j) &&fused_##g##_##j,
#define CORVANE_FUSED8(g)                                                              \
    CORVANE_FUSED(g, 0) CORVANE_FUSED(g, 1) CORVANE_FUSED(g, 2) CORVANE_FUSED(g, 3)     \
    CORVANE_FUSED(g, 4) CORVANE_FUSED(g, 5) CORVANE_FUSED(g, 6) CORVANE_FUSED(g, 7)
#define CORVANE_FUSED96                                                                \
    CORVANE_FUSED8(0) CORVANE_FUSED8(1) CORVANE_FUSED8(2) CORVANE_FUSED8(3)             \
    CORVANE_FUSED8(4) CORVANE_FUSED8(5) CORVANE_FUSED8(6) CORVANE_FUSED8(7)             \
    CORVANE_FUSED8(8) CORVANE_FUSED8(9) CORVANE_FUSED8(10) CORVANE_FUSED8(11)
    static void* const kPlain[256] = {CORVANE_PLAIN256};
    static void* const kTargets[kKindFirstFused + kFusedLabels] = {
        &&undecoded, &&outside, CORVANE_PLAIN256 CORVANE_FUSED96};
    static_assert(kKindFirstPlain == 2 && kKindFirstFused == 258, "kinds as laid out above");
#define CORVANE_DISPATCH()                                              \
    do {                                                                \
        if (executed >= budget) goto done;                              \
        if (s.pc >= imageSize) [[unlikely]] goto outside;               \
        goto *kTargets[kinds[s.pc]];                                    \
    } while (false)
#define CORVANE_PLAIN_BODY(n)                   \
    plain_##n: ++s.pc;                          \
    kRunHandlers[n](s);                         \
    ++executed;                                 \
    if (s.stop) [[unlikely]] goto done;         \
    CORVANE_DISPATCH();
#define CORVANE_PLAIN_BODY16(h)                                                                \
    CORVANE_PLAIN_BODY(h##0) CORVANE_PLAIN_BODY(h##1) CORVANE_PLAIN_BODY(h##2)                  \
    CORVANE_PLAIN_BODY(h##3) CORVANE_PLAIN_BODY(h##4) CORVANE_PLAIN_BODY(h##5)                  \
    CORVANE_PLAIN_BODY(h##6) CORVANE_PLAIN_BODY(h##7) CORVANE_PLAIN_BODY(h##8)                  \
    CORVANE_PLAIN_BODY(h##9) CORVANE_PLAIN_BODY(h##A) CORVANE_PLAIN_BODY(h##B)                  \
    CORVANE_PLAIN_BODY(h##C) CORVANE_PLAIN_BODY(h##D) CORVANE_PLAIN_BODY(h##E)                  \
    CORVANE_PLAIN_BODY(h##F)
#define CORVANE_FUSED_BODY(g, j)                                                 \
    fused_##g##_##j:                                                             \
    if constexpr (8 * (g) + (j) < kFusedRunCount) {                              \
        constexpr size_t k = 8 * (g) + (j) < kFusedRunCount ? 8 * (g) + (j) : 0; \
        if (budget - executed < kFusedRuns[k].count) goto *kPlain[code[s.pc]];   \
        runFused<k>(s);                                                          \
        executed += kFusedRuns[k].count;                                         \
        CORVANE_DISPATCH();                                                      \
    } else {                                                                     \
        goto outside;                                                            \
    }
#define CORVANE_FUSED_BODY8(g)                                                   \
    CORVANE_FUSED_BODY(g, 0) CORVANE_FUSED_BODY(g, 1) CORVANE_FUSED_BODY(g, 2)    \
    CORVANE_FUSED_BODY(g, 3) CORVANE_FUSED_BODY(g, 4) CORVANE_FUSED_BODY(g, 5)    \
    CORVANE_FUSED_BODY(g, 6) CORVANE_FUSED_BODY(g, 7)

    CORVANE_DISPATCH();
undecoded:
    kinds[s.pc] = decodeAt(code, imageSize, s.pc);
    goto *kTargets[kinds[s.pc]];
    CORVANE_PLAIN_BODY16(0x0) CORVANE_PLAIN_BODY16(0x1) CORVANE_PLAIN_BODY16(0x2)
    CORVANE_PLAIN_BODY16(0x3) CORVANE_PLAIN_BODY16(0x4) CORVANE_PLAIN_BODY16(0x5)
    CORVANE_PLAIN_BODY16(0x6) CORVANE_PLAIN_BODY16(0x7) CORVANE_PLAIN_BODY16(0x8)
    CORVANE_PLAIN_BODY16(0x9) CORVANE_PLAIN_BODY16(0xA) CORVANE_PLAIN_BODY16(0xB)
    CORVANE_PLAIN_BODY16(0xC) CORVANE_PLAIN_BODY16(0xD) CORVANE_PLAIN_BODY16(0xE)
    CORVANE_PLAIN_BODY16(0xF)
    CORVANE_FUSED_BODY8(0) CORVANE_FUSED_BODY8(1) CORVANE_FUSED_BODY8(2) CORVANE_FUSED_BODY8(3)
    CORVANE_FUSED_BODY8(4) CORVANE_FUSED_BODY8(5) CORVANE_FUSED_BODY8(6) CORVANE_FUSED_BODY8(7)
    CORVANE_FUSED_BODY8(8) CORVANE_FUSED_BODY8(9) CORVANE_FUSED_BODY8(10) CORVANE_FUSED_BODY8(11)
    // clang-format on

#undef CORVANE_FUSED_BODY8
#undef CORVANE_FUSED_BODY
#undef CORVANE_PLAIN_BODY16
#undef CORVANE_PLAIN_BODY
#undef CORVANE_DISPATCH
#undef CORVANE_FUSED96
#undef CORVANE_FUSED8
#undef CORVANE_FUSED
#undef CORVANE_PLAIN256
#undef CORVANE_PLAIN16
#undef CORVANE_PLAIN
#else
    while (executed < budget) {
        if (s.pc >= imageSize) goto outside;
        uint16_t kind = kinds[s.pc];
        if (kind == kKindUndecoded) kind = kinds[s.pc] = decodeAt(code, imageSize, s.pc);
        if (kind == kKindOutsideImage) goto outside;
        if (kind >= kKindFirstFused &&
            budget - executed >= kFusedRuns[kind - kKindFirstFused].count) {
            kFusedBodies[kind - kKindFirstFused](s);
            executed += kFusedRuns[kind - kKindFirstFused].count;
            continue;
        }
        const uint8_t opcode = code[s.pc++];
        kRunHandlers[opcode](s);
        ++executed;
        if (s.stop) break;
    }
    goto done;
#endif
                                            outside :
        // The instruction at pc is not inside the image: the check faults and ends the program.
        s.store();
    instructionInImage(m);
    return executed;
done:
    s.store();
    return executed;
}

}  // namespace

void step(Machine& m) {
    if (m.waitForKey) {
        deliverKey(m);
        return;
    }
    if (!instructionInImage(m)) return;
    const uint8_t opcode = m.image[m.pc++];
    kOpcodeHandlers[opcode](m);
}

// The inner loop tests only the budget and the stop of handlers that ran on the machine; those
// that can make the machine stop (end, fault, debugger stop, Delay, getchar, GetWord) set
// stopRun, and only then are the flags looked at.
RunResult run(Machine& m, uint64_t budget) {
    RunResult result;
    for (;;) {
        if (blocked(m, result.stop)) return result;
        if (result.executed >= budget) {
            result.stop = RunStop::Budget;
            return result;
        }
        m.stopRun = false;
        prepareDecoded(m);
        result.executed = executeBatch(m, result.executed, budget);
    }
}

}  // namespace corvane
