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

// System-call signatures, in opcode order: arguments in push order, then the result ("" for
// none). The slots popped follow from the argument list.
struct CallText {
    const char* arguments;
    const char* result;
};

constexpr std::array<CallText, 0x52> kCallTexts = {{
    {"character", ""},                                   // 0x80 putchar
    {"", "key code 0-127, once a key arrives"},          // 0x81 getchar
    {"format, values..., count", ""},                    // 0x82 printf
    {"destination, source", ""},                         // 0x83 strcpy
    {"string", "length in bytes"},                       // 0x84 strlen
    {"font", ""},                                        // 0x85 SetScreen
    {"skip mask", ""},                                   // 0x86 UpdateLCD
    {"milliseconds", ""},                                // 0x87 Delay
    {"x, y, width, height, type, address", ""},          // 0x88 WriteBlock
    {"", ""},                                            // 0x89 Refresh
    {"x, y, string, type", ""},                          // 0x8A TextOut
    {"x0, y0, x1, y1, type", ""},                        // 0x8B Block
    {"x0, y0, x1, y1, type", ""},                        // 0x8C Rectangle
    {"", ""},                                            // 0x8D exit
    {"", ""},                                            // 0x8E ClearScreen
    {"value", "magnitude"},                              // 0x8F abs
    {"", "0-32767"},                                     // 0x90 rand
    {"seed", ""},                                        // 0x91 srand
    {"row, column", ""},                                 // 0x92 Locate
    {"", "key code, or 0"},                              // 0x93 Inkey
    {"x, y, type", ""},                                  // 0x94 Point
    {"x, y", "pixel mask, or 0"},                        // 0x95 GetPoint
    {"x0, y0, x1, y1, type", ""},                        // 0x96 Line
    {"x0, y0, x1, y1, fill, type", ""},                  // 0x97 Box
    {"x, y, r, fill, type", ""},                         // 0x98 Circle
    {"x, y, a, b, fill, type", ""},                      // 0x99 Ellipse
    {"", ""},                                            // 0x9A Beep
    {"character", "-1 or 0"},                            // 0x9B isalnum
    {"character", "-1 or 0"},                            // 0x9C isalpha
    {"character", "-1 or 0"},                            // 0x9D iscntrl
    {"character", "-1 or 0"},                            // 0x9E isdigit
    {"character", "-1 or 0"},                            // 0x9F isgraph
    {"character", "-1 or 0"},                            // 0xA0 islower
    {"character", "-1 or 0"},                            // 0xA1 isprint
    {"character", "-1 or 0"},                            // 0xA2 ispunct
    {"character", "-1 or 0"},                            // 0xA3 isspace
    {"character", "-1 or 0"},                            // 0xA4 isupper
    {"character", "-1 or 0"},                            // 0xA5 isxdigit
    {"destination, source", ""},                         // 0xA6 strcat
    {"string, character", "address, or 0"},              // 0xA7 strchr
    {"first, second", "-1, 0 or 1"},                     // 0xA8 strcmp
    {"string, pattern", "address, or 0"},                // 0xA9 strstr
    {"character", "character"},                          // 0xAA tolower
    {"character", "character"},                          // 0xAB toupper
    {"destination, value, count", ""},                   // 0xAC memset
    {"destination, source, count", ""},                  // 0xAD memcpy
    {"name, mode", "handle, or 0"},                      // 0xAE fopen
    {"handle", ""},                                      // 0xAF fclose
    {"buffer, unused, count, handle", "bytes read"},     // 0xB0 fread
    {"buffer, unused, count, handle", "bytes written"},  // 0xB1 fwrite
    {"handle, offset, origin", "0, or -1"},              // 0xB2 fseek
    {"handle", "position, or -1"},                       // 0xB3 ftell
    {"handle", "-1 at the end, else 0"},                 // 0xB4 feof
    {"handle", ""},                                      // 0xB5 rewind
    {"handle", "byte 0-255, or -1"},                     // 0xB6 getc
    {"character, handle", "byte written, or -1"},        // 0xB7 putc
    {"destination, format, values..., count", ""},       // 0xB8 sprintf
    {"", ""},                                            // 0xB9 MakeDir
    {"", ""},                                            // 0xBA DeleteFile
    {"", "0-255"},                                       // 0xBB Getms
    {"key", "-1 or 0; any key: a key code, or 0"},       // 0xBC CheckKey
    {"destination, source, count", ""},                  // 0xBD memmove
    {"address, length", "CRC 0-65535"},                  // 0xBE Crc16
    {"address, length, key", ""},                        // 0xBF Secret
    {"directory", "-1, or 0"},                           // 0xC0 ChDir
    {"destination", "-1, or 0"},                         // 0xC1 FileList
    {"record", ""},                                      // 0xC2 GetTime
    {"record", ""},                                      // 0xC3 SetTime
    {"ignored", "key code 0-127, once a key arrives"},   // 0xC4 GetWord
    {"mode", ""},                                        // 0xC5 XDraw
    {"key", ""},                                         // 0xC6 ReleaseKey
    {"x, y, width, height, type, address", ""},          // 0xC7 GetBlock
    {"degrees", "-1024..1024"},                          // 0xC8 Sin
    {"degrees", "-1024..1024"},                          // 0xC9 Cos
    {"x, y, type", ""},                                  // 0xCA FillArea
    {"key", ""},                                         // 0xCB PutKey
    {"ignored, ignored, ignored", "0"},                  // 0xCC
    {"ignored", "0"},                                    // 0xCD
    {"ignored, ignored, ignored, ignored", "0"},         // 0xCE
    {"", ""},                                            // 0xCF
    {"ignored", ""},                                     // 0xD0
    {"", ""},                                            // 0xD1
}};

constexpr int8_t countArguments(std::string_view list) {
    if (list.empty()) return 0;
    if (list.find("...") != std::string_view::npos) return kVariadicPops;
    int8_t n = 1;
    for (char c : list) n = int8_t(n + (c == ','));
    return n;
}

constexpr std::array<CallSignature, 0x52> buildSignatures() {
    std::array<CallSignature, 0x52> table{};
    for (size_t i = 0; i < table.size(); ++i) {
        const CallText& t = kCallTexts[i];
        table[i] = {t.arguments, t.result, countArguments(t.arguments), t.result[0] != '\0'};
    }
    return table;
}

constexpr std::array<CallSignature, 0x52> kSignatures = buildSignatures();
constexpr CallSignature kNoSignature{"", "", 0, false};

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

const CallSignature& callSignature(uint8_t opcode) {
    if (opcode < kFirstSystemCall || opcode > kLastSystemCall) return kNoSignature;
    return kSignatures[opcode - kFirstSystemCall];
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
