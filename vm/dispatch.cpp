// The two handler tables, in opcode order, and the step and batch run that dispatch through them.

#include "vm/dispatch.h"

#include "vm/interpreter.h"
#include "vm/machine.h"
#include "vm/opcodes.h"
#include "vm/ops.h"
#include "vm/syscalls.h"

namespace corvane {

// Declared extern in dispatch.h, so these constants keep external linkage.
constexpr std::array<Handler, 0x54> kBaseHandlers = {{
    op_NOP,           // 0x00
    op_PUSH_B,        // 0x01
    op_PUSH_W,        // 0x02
    op_PUSH_D,        // 0x03
    op_LDG_C,         // 0x04
    op_LDG_I,         // 0x05
    op_LDG_L,         // 0x06
    op_LDGX_C,        // 0x07
    op_LDGX_I,        // 0x08
    op_LDGX_L,        // 0x09
    op_REFGX_C,       // 0x0A
    op_REFGX_I,       // 0x0B
    op_REFGX_L,       // 0x0C
    op_PUSH_STR,      // 0x0D
    op_LDL_C,         // 0x0E
    op_LDL_I,         // 0x0F
    op_LDL_L,         // 0x10
    op_LDLX_C,        // 0x11
    op_LDLX_I,        // 0x12
    op_LDLX_L,        // 0x13
    op_REFLX_C,       // 0x14
    op_REFLX_I,       // 0x15
    op_REFLX_L,       // 0x16
    op_ADDRGX,        // 0x17
    op_ADDRLX,        // 0x18
    op_ADDRL,         // 0x19
    op_PUSH_TEXTBUF,  // 0x1A
    op_PUSH_SCREEN,   // 0x1B
    op_NEG,           // 0x1C
    op_PREINC,        // 0x1D
    op_PREDEC,        // 0x1E
    op_POSTINC,       // 0x1F
    op_POSTDEC,       // 0x20
    op_ADD,           // 0x21
    op_SUB,           // 0x22
    op_AND,           // 0x23
    op_OR,            // 0x24
    op_NOT,           // 0x25
    op_XOR,           // 0x26
    op_LAND,          // 0x27
    op_LOR,           // 0x28
    op_LNOT,          // 0x29
    op_MUL,           // 0x2A
    op_DIV,           // 0x2B
    op_MOD,           // 0x2C
    op_SHL,           // 0x2D
    op_SHR,           // 0x2E
    op_EQ,            // 0x2F
    op_NE,            // 0x30
    op_LE,            // 0x31
    op_GE,            // 0x32
    op_GT,            // 0x33
    op_LT,            // 0x34
    op_ASSIGN,        // 0x35
    op_LDP_C,         // 0x36
    op_REFP_C,        // 0x37
    op_POP_COND,      // 0x38
    op_JZ,            // 0x39
    op_JNZ,           // 0x3A
    op_JMP,           // 0x3B
    op_SETSP,         // 0x3C
    op_CALL,          // 0x3D
    op_ENTER,         // 0x3E
    op_RET,           // 0x3F
    sys_exit,         // 0x40 EXIT: the same handler as system call exit
    op_INITDATA,      // 0x41
    op_PUSH_GBUF,     // 0x42
    op_STRKEY,        // 0x43
    op_NOP,           // 0x44
    op_ADDI,          // 0x45
    op_SUBI,          // 0x46
    op_MULI,          // 0x47
    op_DIVI,          // 0x48
    op_MODI,          // 0x49
    op_SHLI,          // 0x4A
    op_SHRI,          // 0x4B
    op_EQI,           // 0x4C
    op_NEI,           // 0x4D
    op_GTI,           // 0x4E
    op_LTI,           // 0x4F
    op_GEI,           // 0x50
    op_LEI,           // 0x51
    op_LINE,          // 0x52
    op_FUNC,          // 0x53
}};

constexpr std::array<Handler, 0x52> kSystemCallHandlers = {{
    sys_putchar,      // 0x80
    sys_getchar,      // 0x81
    sys_printf,       // 0x82
    sys_strcpy,       // 0x83
    sys_strlen,       // 0x84
    sys_SetScreen,    // 0x85
    sys_UpdateLCD,    // 0x86
    sys_Delay,        // 0x87
    sys_WriteBlock,   // 0x88
    sys_Refresh,      // 0x89
    sys_TextOut,      // 0x8A
    sys_Block,        // 0x8B
    sys_Rectangle,    // 0x8C
    sys_exit,         // 0x8D
    sys_ClearScreen,  // 0x8E
    sys_abs,          // 0x8F
    sys_rand,         // 0x90
    sys_srand,        // 0x91
    sys_Locate,       // 0x92
    sys_Inkey,        // 0x93
    sys_Point,        // 0x94
    sys_GetPoint,     // 0x95
    sys_Line,         // 0x96
    sys_Box,          // 0x97
    sys_Circle,       // 0x98
    sys_Ellipse,      // 0x99
    sys_Beep,         // 0x9A
    sys_isalnum,      // 0x9B
    sys_isalpha,      // 0x9C
    sys_iscntrl,      // 0x9D
    sys_isdigit,      // 0x9E
    sys_isgraph,      // 0x9F
    sys_islower,      // 0xA0
    sys_isprint,      // 0xA1
    sys_ispunct,      // 0xA2
    sys_isspace,      // 0xA3
    sys_isupper,      // 0xA4
    sys_isxdigit,     // 0xA5
    sys_strcat,       // 0xA6
    sys_strchr,       // 0xA7
    sys_strcmp,       // 0xA8
    sys_strstr,       // 0xA9
    sys_tolower,      // 0xAA
    sys_toupper,      // 0xAB
    sys_memset,       // 0xAC
    sys_memcpy,       // 0xAD
    sys_fopen,        // 0xAE
    sys_fclose,       // 0xAF
    sys_fread,        // 0xB0
    sys_fwrite,       // 0xB1
    sys_fseek,        // 0xB2
    sys_ftell,        // 0xB3
    sys_feof,         // 0xB4
    sys_rewind,       // 0xB5
    sys_getc,         // 0xB6
    sys_putc,         // 0xB7
    sys_sprintf,      // 0xB8
    sys_MakeDir,      // 0xB9
    sys_DeleteFile,   // 0xBA
    sys_Getms,        // 0xBB
    sys_CheckKey,     // 0xBC
    sys_memmove,      // 0xBD
    sys_Crc16,        // 0xBE
    sys_Secret,       // 0xBF
    sys_ChDir,        // 0xC0
    sys_FileList,     // 0xC1
    sys_GetTime,      // 0xC2
    sys_SetTime,      // 0xC3
    sys_GetWord,      // 0xC4
    sys_XDraw,        // 0xC5
    sys_ReleaseKey,   // 0xC6
    sys_GetBlock,     // 0xC7
    sys_Sin,          // 0xC8
    sys_Cos,          // 0xC9
    sys_FillArea,     // 0xCA
    sys_PutKey,       // 0xCB
    sys_ReservedCC,   // 0xCC
    sys_ReservedCD,   // 0xCD
    sys_ReservedCE,   // 0xCE
    sys_ReservedCF,   // 0xCF
    sys_ReservedD0,   // 0xD0
    sys_ReservedD1,   // 0xD1
}};

namespace {

constexpr std::array<Handler, 256> layOut() {
    std::array<Handler, 256> table{};
    table.fill(op_invalid);
    for (size_t i = 0; i < kBaseHandlers.size(); ++i) table[i] = kBaseHandlers[i];
    for (size_t i = 0; i < kSystemCallHandlers.size(); ++i) {
        table[kFirstSystemCall + i] = kSystemCallHandlers[i];
    }
    return table;
}

}  // namespace

// Constant-initialised: usable before any dynamic initialisation runs.
constexpr std::array<Handler, 256> kOpcodeHandlers = layOut();

namespace {

// The longest fixed part of any instruction: opcode and four operand bytes (PUSH_D, INITDATA).
constexpr uint32_t kLongestFixedInstruction = 5;

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

// One instruction whose opcode has been fetched. Each case calls its table entry with a constant
// index, so the compiler turns the entry into a direct call and inlines the handlers defined in
// the ops headers: the run loop gets the speed of a switch while the tables above stay the one
// place where opcodes meet their handlers.
#define CORVANE_CASE(n)          \
    case (n):                    \
        kOpcodeHandlers[(n)](m); \
        break;
#define CORVANE_CASE4(n) CORVANE_CASE(n) CORVANE_CASE(n + 1) CORVANE_CASE(n + 2) CORVANE_CASE(n + 3)
#define CORVANE_CASE16(n) \
    CORVANE_CASE4(n) CORVANE_CASE4(n + 4) CORVANE_CASE4(n + 8) CORVANE_CASE4(n + 12)
#define CORVANE_CASE64(n) \
    CORVANE_CASE16(n) CORVANE_CASE16(n + 16) CORVANE_CASE16(n + 32) CORVANE_CASE16(n + 48)

[[maybe_unused]] inline void execute(Machine& m, uint8_t opcode) {
    switch (opcode) {
        CORVANE_CASE64(0x00)
        CORVANE_CASE64(0x40)
        CORVANE_CASE64(0x80)
        CORVANE_CASE64(0xC0)
    }
}

#undef CORVANE_CASE64
#undef CORVANE_CASE16
#undef CORVANE_CASE4
#undef CORVANE_CASE

// Executes instructions until the budget is spent, an instruction sets stopRun, or the image
// bound faults; returns the updated count. Below fastEnd a whole fixed-length instruction fits
// in the image, so only instructions near its end are checked one by one.
uint64_t executeBatch(Machine& m, const uint8_t* code, uint32_t fastEnd, uint64_t executed,
                      uint64_t budget) {
#if defined(__GNUC__) && !defined(CORVANE_PORTABLE_DISPATCH)
    // Threaded dispatch: every instruction's code ends with its own jump to the next one, which
    // predicts far better than one shared jump. Each label runs its table entry with a constant
    // index, like the cases of execute().
    // clang-format off
#define CORVANE_TARGET(n) &&op_##n,
#define CORVANE_TARGETS(h)                                                                  \
    CORVANE_TARGET(h##0) CORVANE_TARGET(h##1) CORVANE_TARGET(h##2) CORVANE_TARGET(h##3)     \
    CORVANE_TARGET(h##4) CORVANE_TARGET(h##5) CORVANE_TARGET(h##6) CORVANE_TARGET(h##7)     \
    CORVANE_TARGET(h##8) CORVANE_TARGET(h##9) CORVANE_TARGET(h##A) CORVANE_TARGET(h##B)     \
    CORVANE_TARGET(h##C) CORVANE_TARGET(h##D) CORVANE_TARGET(h##E) CORVANE_TARGET(h##F)
    static void* const kTargets[256] = {
        CORVANE_TARGETS(0x0) CORVANE_TARGETS(0x1) CORVANE_TARGETS(0x2) CORVANE_TARGETS(0x3)
        CORVANE_TARGETS(0x4) CORVANE_TARGETS(0x5) CORVANE_TARGETS(0x6) CORVANE_TARGETS(0x7)
        CORVANE_TARGETS(0x8) CORVANE_TARGETS(0x9) CORVANE_TARGETS(0xA) CORVANE_TARGETS(0xB)
        CORVANE_TARGETS(0xC) CORVANE_TARGETS(0xD) CORVANE_TARGETS(0xE) CORVANE_TARGETS(0xF)};
#define CORVANE_DISPATCH()                                                   \
    do {                                                                     \
        if (executed >= budget) return executed;                             \
        const uint32_t pc = m.pc;                                            \
        if (pc >= fastEnd && !instructionInImage(m)) [[unlikely]] return executed; \
        m.pc = pc + 1;                                                       \
        goto *kTargets[code[pc]];                                            \
    } while (false)
#define CORVANE_BODY(n)                          \
    op_##n: kOpcodeHandlers[n](m);               \
    ++executed;                                  \
    if (m.stopRun) [[unlikely]] return executed; \
    CORVANE_DISPATCH();
#define CORVANE_BODIES(h)                                                          \
    CORVANE_BODY(h##0) CORVANE_BODY(h##1) CORVANE_BODY(h##2) CORVANE_BODY(h##3)    \
    CORVANE_BODY(h##4) CORVANE_BODY(h##5) CORVANE_BODY(h##6) CORVANE_BODY(h##7)    \
    CORVANE_BODY(h##8) CORVANE_BODY(h##9) CORVANE_BODY(h##A) CORVANE_BODY(h##B)    \
    CORVANE_BODY(h##C) CORVANE_BODY(h##D) CORVANE_BODY(h##E) CORVANE_BODY(h##F)

    CORVANE_DISPATCH();
    CORVANE_BODIES(0x0) CORVANE_BODIES(0x1) CORVANE_BODIES(0x2) CORVANE_BODIES(0x3)
    CORVANE_BODIES(0x4) CORVANE_BODIES(0x5) CORVANE_BODIES(0x6) CORVANE_BODIES(0x7)
    CORVANE_BODIES(0x8) CORVANE_BODIES(0x9) CORVANE_BODIES(0xA) CORVANE_BODIES(0xB)
    CORVANE_BODIES(0xC) CORVANE_BODIES(0xD) CORVANE_BODIES(0xE) CORVANE_BODIES(0xF)
    return executed;
    // clang-format on

#undef CORVANE_BODIES
#undef CORVANE_BODY
#undef CORVANE_DISPATCH
#undef CORVANE_TARGETS
#undef CORVANE_TARGET
#else
    while (executed < budget) {
        const uint32_t pc = m.pc;
        if (pc >= fastEnd && !instructionInImage(m)) [[unlikely]]
            break;
        m.pc = pc + 1;
        execute(m, code[pc]);
        ++executed;
        if (m.stopRun) [[unlikely]]
            break;
    }
    return executed;
#endif
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

// The inner loop tests only the budget and stopRun; the handlers that can make the machine stop
// (end, fault, debugger stop, Delay, getchar, GetWord) set stopRun, and only then are the flags
// looked at. The image bound is tested per instruction only near the end of the image.
RunResult run(Machine& m, uint64_t budget) {
    RunResult result;
    for (;;) {
        if (blocked(m, result.stop)) return result;
        if (result.executed >= budget) {
            result.stop = RunStop::Budget;
            return result;
        }
        m.stopRun = false;
        const uint8_t* const code = m.image.get();
        const uint32_t imageSize = m.imageSize;
        // Below fastEnd a whole fixed-length instruction fits in the image.
        const uint32_t fastEnd =
            imageSize >= kLongestFixedInstruction ? imageSize - kLongestFixedInstruction + 1 : 0;
        result.executed = executeBatch(m, code, fastEnd, result.executed, budget);
    }
}

}  // namespace corvane
