#include "vm/opcodes.h"

#include <array>

namespace corvane {
namespace {

using enum Operands;

constexpr int8_t countArguments(std::string_view list) {
    if (list.empty()) return 0;
    if (list.find("...") != std::string_view::npos) return kVariadicPops;
    int8_t n = 1;
    for (char c : list) n = int8_t(n + (c == ','));
    return n;
}

// The opcode table: the list's opcodes at their numbers, nullptr names everywhere else. A number
// listed twice, a system call below kFirstSystemCall or an instruction above it stops the build.
constexpr std::array<OpInfo, 256> buildTable() {
    std::array<OpInfo, 256> table{};
    for (auto& e : table) e = {nullptr, None};
    auto place = [&table](uint8_t number, const char* name, Operands operands, bool call) {
        if (table[number].name != nullptr) throw "opcode listed twice";
        if (call != (number >= kFirstSystemCall)) throw "opcode outside its range";
        table[number] = {name, operands};
    };
#define INSTRUCTION(number, mnemonic, operands, state, handler) \
    place(number, #mnemonic, operands, false);
#define SYSTEM_CALL(number, name, handler, arguments, result) place(number, #name, None, true);
#include "vm/opcode_list.inc"
    return table;
}

constexpr std::array<OpInfo, 256> kTable = buildTable();

// System-call signatures by opcode: arguments in push order, then the result ("" for none). The
// slots popped follow from the argument list.
constexpr std::array<CallSignature, 256> buildSignatures() {
    std::array<CallSignature, 256> table{};
    for (auto& e : table) e = {"", "", 0, false};
#define SYSTEM_CALL(number, name, handler, arguments, result) \
    table[number] = {arguments, result, countArguments(arguments), (result)[0] != '\0'};
#include "vm/opcode_list.inc"
    return table;
}

constexpr std::array<CallSignature, 256> kSignatures = buildSignatures();

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
    return kSignatures[opcode];
}

}  // namespace corvane
