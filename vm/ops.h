#pragma once
// Handlers of the base instructions 0x00-0x53. The dispatch tables in dispatch.cpp list them in
// opcode order; EXIT shares the handler of system call 0x8D (sys_exit).

namespace corvane {

struct Machine;

// Constants, loads and stores.
void op_NOP(Machine& m);
void op_PUSH_B(Machine& m);
void op_PUSH_W(Machine& m);
void op_PUSH_D(Machine& m);
void op_LDG_C(Machine& m);
void op_LDG_I(Machine& m);
void op_LDG_L(Machine& m);
void op_LDGX_C(Machine& m);
void op_LDGX_I(Machine& m);
void op_LDGX_L(Machine& m);
void op_REFGX_C(Machine& m);
void op_REFGX_I(Machine& m);
void op_REFGX_L(Machine& m);
void op_PUSH_STR(Machine& m);
void op_LDL_C(Machine& m);
void op_LDL_I(Machine& m);
void op_LDL_L(Machine& m);
void op_LDLX_C(Machine& m);
void op_LDLX_I(Machine& m);
void op_LDLX_L(Machine& m);
void op_REFLX_C(Machine& m);
void op_REFLX_I(Machine& m);
void op_REFLX_L(Machine& m);
void op_ADDRGX(Machine& m);
void op_ADDRLX(Machine& m);
void op_ADDRL(Machine& m);
void op_PUSH_TEXTBUF(Machine& m);
void op_PUSH_SCREEN(Machine& m);
void op_ASSIGN(Machine& m);
void op_LDP_C(Machine& m);
void op_REFP_C(Machine& m);
void op_PUSH_GBUF(Machine& m);
void op_STRKEY(Machine& m);

// Arithmetic, logic and comparison.
void op_NEG(Machine& m);
void op_PREINC(Machine& m);
void op_PREDEC(Machine& m);
void op_POSTINC(Machine& m);
void op_POSTDEC(Machine& m);
void op_ADD(Machine& m);
void op_SUB(Machine& m);
void op_AND(Machine& m);
void op_OR(Machine& m);
void op_NOT(Machine& m);
void op_XOR(Machine& m);
void op_LAND(Machine& m);
void op_LOR(Machine& m);
void op_LNOT(Machine& m);
void op_MUL(Machine& m);
void op_DIV(Machine& m);
void op_MOD(Machine& m);
void op_SHL(Machine& m);
void op_SHR(Machine& m);
void op_EQ(Machine& m);
void op_NE(Machine& m);
void op_LE(Machine& m);
void op_GE(Machine& m);
void op_GT(Machine& m);
void op_LT(Machine& m);
void op_ADDI(Machine& m);
void op_SUBI(Machine& m);
void op_MULI(Machine& m);
void op_DIVI(Machine& m);
void op_MODI(Machine& m);
void op_SHLI(Machine& m);
void op_SHRI(Machine& m);
void op_EQI(Machine& m);
void op_NEI(Machine& m);
void op_GTI(Machine& m);
void op_LTI(Machine& m);
void op_GEI(Machine& m);
void op_LEI(Machine& m);

// Control flow, functions and frames.
void op_POP_COND(Machine& m);
void op_JZ(Machine& m);
void op_JNZ(Machine& m);
void op_JMP(Machine& m);
void op_SETSP(Machine& m);
void op_CALL(Machine& m);
void op_ENTER(Machine& m);
void op_RET(Machine& m);
void op_INITDATA(Machine& m);
void op_LINE(Machine& m);
void op_FUNC(Machine& m);

// Any opcode outside the map (0x54-0x7F, 0xD2-0xFF): ends the program with a fault.
void op_invalid(Machine& m);

}  // namespace corvane
