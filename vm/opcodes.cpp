#include "vm/opcodes.h"

#include <array>

namespace corvane {
namespace {

using enum Operands;

// Base opcodes 0x00-0x53, in opcode order.
constexpr std::array<OpInfo, 0x54> kBase = {{
    {"NOP", None},         {"PUSH_B", U8},       {"PUSH_W", S16},
    {"PUSH_D", U32},       {"LDG_C", A16},       {"LDG_I", A16},
    {"LDG_L", A16},        {"LDGX_C", A16},      {"LDGX_I", A16},
    {"LDGX_L", A16},       {"REFGX_C", A16},     {"REFGX_I", A16},
    {"REFGX_L", A16},      {"PUSH_STR", String}, {"LDL_C", O16},
    {"LDL_I", O16},        {"LDL_L", O16},       {"LDLX_C", O16},
    {"LDLX_I", O16},       {"LDLX_L", O16},      {"REFLX_C", O16},
    {"REFLX_I", O16},      {"REFLX_L", O16},     {"ADDRGX", A16},
    {"ADDRLX", O16},       {"ADDRL", O16},       {"PUSH_TEXTBUF", None},
    {"PUSH_SCREEN", None}, {"NEG", None},        {"PREINC", None},
    {"PREDEC", None},      {"POSTINC", None},    {"POSTDEC", None},
    {"ADD", None},         {"SUB", None},        {"AND", None},
    {"OR", None},          {"NOT", None},        {"XOR", None},
    {"LAND", None},        {"LOR", None},        {"LNOT", None},
    {"MUL", None},         {"DIV", None},        {"MOD", None},
    {"SHL", None},         {"SHR", None},        {"EQ", None},
    {"NE", None},          {"LE", None},         {"GE", None},
    {"GT", None},          {"LT", None},         {"ASSIGN", None},
    {"LDP_C", None},       {"REFP_C", None},     {"POP_COND", None},
    {"JZ", C24},           {"JNZ", C24},         {"JMP", C24},
    {"SETSP", U16},        {"CALL", C24},        {"ENTER", Enter},
    {"RET", None},         {"EXIT", None},       {"INITDATA", InitData},
    {"PUSH_GBUF", None},   {"STRKEY", U8},       {"NOP2", None},
    {"ADDI", S16},         {"SUBI", S16},        {"MULI", S16},
    {"DIVI", S16},         {"MODI", S16},        {"SHLI", S16},
    {"SHRI", S16},         {"EQI", S16},         {"NEI", S16},
    {"GTI", S16},          {"LTI", S16},         {"GEI", S16},
    {"LEI", S16},          {"LINE", U24},        {"FUNC", U24},
}};

// System calls 0x80-0xD1, in opcode order. They never carry operand bytes.
constexpr std::array<const char*, 0x52> kCalls = {{
    "putchar",    "getchar",    "printf",      "strcpy",     "strlen",     "SetScreen",
    "UpdateLCD",  "Delay",      "WriteBlock",  "Refresh",    "TextOut",    "Block",
    "Rectangle",  "exit",       "ClearScreen", "abs",        "rand",       "srand",
    "Locate",     "Inkey",      "Point",       "GetPoint",   "Line",       "Box",
    "Circle",     "Ellipse",    "Beep",        "isalnum",    "isalpha",    "iscntrl",
    "isdigit",    "isgraph",    "islower",     "isprint",    "ispunct",    "isspace",
    "isupper",    "isxdigit",   "strcat",      "strchr",     "strcmp",     "strstr",
    "tolower",    "toupper",    "memset",      "memcpy",     "fopen",      "fclose",
    "fread",      "fwrite",     "fseek",       "ftell",      "feof",       "rewind",
    "getc",       "putc",       "sprintf",     "MakeDir",    "DeleteFile", "Getms",
    "CheckKey",   "memmove",    "Crc16",       "Secret",     "ChDir",      "FileList",
    "GetTime",    "SetTime",    "GetWord",     "XDraw",      "ReleaseKey", "GetBlock",
    "Sin",        "Cos",        "FillArea",    "PutKey",     "ReservedCC", "ReservedCD",
    "ReservedCE", "ReservedCF", "ReservedD0",  "ReservedD1",
}};

constexpr std::array<OpInfo, 256> buildTable() {
    std::array<OpInfo, 256> table{};
    for (auto& e : table) e = {nullptr, None};
    for (size_t i = 0; i < kBase.size(); ++i) table[i] = kBase[i];
    for (size_t i = 0; i < kCalls.size(); ++i) table[kFirstSystemCall + i] = {kCalls[i], None};
    return table;
}

constexpr std::array<OpInfo, 256> kTable = buildTable();

}  // namespace

const OpInfo& opInfo(uint8_t opcode) {
    return kTable[opcode];
}

std::optional<uint8_t> opcodeByName(std::string_view name) {
    for (int op = 0; op < 256; ++op) {
        if (kTable[op].name != nullptr && name == kTable[op].name) return uint8_t(op);
    }
    return std::nullopt;
}

int operandBytes(Operands form) {
    switch (form) {
        case None:
        case String:
            return 0;
        case U8:
            return 1;
        case S16:
        case A16:
        case O16:
        case U16:
            return 2;
        case C24:
        case U24:
        case Enter:
            return 3;
        case U32:
        case InitData:
            return 4;
    }
    return 0;
}

}  // namespace corvane
