#include "tools/vrnasm/assembler.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include "library/path.h"
#include "tools/vrnasm/assembler_impl.h"
#include "vm/image.h"
#include "vm/opcodes.h"

namespace corvane {

std::string AsmDiagnostic::toString() const {
    // Line 0: the diagnostic is about the file as a whole (it could not be opened).
    if (line == 0) return file + ": " + message;
    return file + ":" + std::to_string(line) + ":" + std::to_string(column) + ": " + message;
}

std::string AsmResult::errorText() const {
    std::string text;
    for (const auto& e : errors) text += e.toString() + "\n";
    return text;
}

AsmResult assemble(std::string_view source, const std::string& fileName,
                   const AsmOptions& options) {
    vrnasm::Assembler assembler(options);
    return assembler.run(source, fileName);
}

AsmResult assembleFile(const std::string& path, const AsmOptions& options) {
    vrnasm::Assembler assembler(options);
    auto text = assembler.readSource(path);
    if (!text) {
        AsmResult result;
        std::error_code ec;
        const auto st = std::filesystem::status(hostFsPath(path), ec);
        const char* reason = !std::filesystem::exists(st)        ? "cannot open: no such file"
                             : std::filesystem::is_directory(st) ? "cannot open: is a directory"
                                                                 : "cannot open the file";
        result.errors.push_back({path, 0, 0, reason});
        return result;
    }
    return assembler.run(*text, path);
}

std::vector<uint8_t> assembleOrThrow(std::string_view source, const AsmOptions& options) {
    AsmResult result = assemble(source, "<source>", options);
    if (!result.ok()) throw std::runtime_error(result.errorText());
    return std::move(result.image);
}

namespace vrnasm {
namespace {

constexpr size_t kMaxErrors = 100;

// The mnemonic that differs from `word` only in letter case, for a hint.
const char* caseVariant(const std::string& word) {
    for (int op = 0; op < 256; ++op) {
        const char* name = opInfo(uint8_t(op)).name;
        if (name == nullptr || std::string_view(name).size() != word.size()) continue;
        bool same = true;
        for (size_t i = 0; i < word.size() && same; ++i) {
            same = std::tolower(static_cast<unsigned char>(name[i])) ==
                   std::tolower(static_cast<unsigned char>(word[i]));
        }
        if (same) return name;
    }
    return nullptr;
}

}  // namespace

Assembler::Assembler(const AsmOptions& options) : options_(options) {
    for (const auto& [name, v] : options_.defines) {
        Symbol s;
        s.known = true;
        s.value = v;
        s.loc = {"<command line>", 0, ""};
        symbols_[name] = s;
    }
}

AsmResult Assembler::run(std::string_view source, const std::string& fileName) {
    out_.assign(kImageHeader.begin(), kImageHeader.end());
    processText(source, fileName, 0);
    finish();
    AsmResult result;
    // Both passes report in their own order; list everything in the order of the source.
    std::stable_sort(errors_.begin(), errors_.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& e : errors_) result.errors.push_back(std::move(e.second));
    if (result.errors.empty()) {
        result.image = std::move(out_);
        for (const auto& [name, s] : symbols_) {
            if (s.isLabel) result.labels[name] = uint32_t(s.value);
        }
        result.files = std::move(files_);
        result.lineMarks = std::move(lineMarks_);
    }
    return result;
}

void Assembler::error(const Location& loc, int column, const std::string& message) {
    if (stopped_) return;
    errors_.push_back({loc.order, {loc.file, loc.line, column, message + loc.context}});
    if (errors_.size() >= kMaxErrors) {
        errors_.push_back({LONG_MAX, {loc.file, loc.line, column, "too many errors; stopping"}});
        stopped_ = true;
    }
}

ExprPtr Assembler::expression(const std::vector<Token>& tokens, size_t& pos, const Location& loc) {
    ExprError err;
    ExprPtr e = parseExpression(tokens, pos, scope_, err);
    if (!e) error(loc, err.column, err.message);
    return e;
}

bool Assembler::comma(const std::vector<Token>& tokens, size_t& pos, const Location& loc) {
    if (pos < tokens.size() && tokens[pos].kind == TokKind::Punct && tokens[pos].text == ",") {
        ++pos;
        return true;
    }
    int column = pos < tokens.size()
                     ? tokens[pos].column
                     : (tokens.empty() ? 1 : tokens.back().column + int(tokens.back().text.size()));
    error(loc, column,
          pos < tokens.size() ? "',' expected before '" + tokens[pos].text + "'"
                              : "more operands expected");
    return false;
}

bool Assembler::atEnd(const std::vector<Token>& tokens, size_t pos, const Location& loc) {
    if (pos >= tokens.size()) return true;
    error(loc, tokens[pos].column, "unexpected '" + tokens[pos].text + "'");
    return false;
}

std::optional<int64_t> Assembler::symbolValue(const Expr& symbol, const ProcScope* proc, bool final,
                                              ExprError& err) {
    if (proc != nullptr) {
        auto it = proc->names.find(symbol.name);
        if (it != proc->names.end()) return it->second;
    }
    auto it = symbols_.find(symbol.name);
    if (it == symbols_.end()) {
        err = {symbol.column, final ? "undefined symbol '" + symbol.name + "'"
                                    : "'" + symbol.name + "' must be defined before this line"};
        return std::nullopt;
    }
    Symbol& s = it->second;
    if (s.known) return s.value;
    if (s.busy) {
        err = {symbol.column, "'" + symbol.name + "' is defined in terms of itself"};
        return std::nullopt;
    }
    s.busy = true;
    ExprError inner;
    auto v = evaluate(
        *s.expr,
        [&](const Expr& e, ExprError& innerErr) { return symbolValue(e, s.proc, final, innerErr); },
        inner);
    s.busy = false;
    if (!v) {
        err = {symbol.column, "'" + symbol.name + "': " + inner.message};
        return std::nullopt;
    }
    s.known = true;
    s.value = *v;
    return v;
}

std::optional<int64_t> Assembler::value(const Expr& expr, const ProcScope* proc,
                                        const Location& loc, bool final) {
    ExprError err;
    auto v = evaluate(
        expr, [&](const Expr& e, ExprError& er) { return symbolValue(e, proc, final, er); }, err);
    if (!v) error(loc, err.column, err.message);
    return v;
}

std::optional<int64_t> Assembler::valueNow(const ExprPtr& expr, const Location& loc) {
    if (!expr) return std::nullopt;
    return value(*expr, proc_, loc, false);
}

bool Assembler::inRange(int64_t v, Field field, const Location& loc, int column) {
    int64_t lo = 0, hi = 0;
    const char* what = "";
    switch (field) {
        case Field::Byte:
            lo = -128, hi = 255, what = "a byte (-128..255)";
            break;
        case Field::Word:
            lo = -32768, hi = 65535, what = "16 bits (-32768..65535)";
            break;
        case Field::Code24:
            lo = 0, hi = 0xFFFFFF, what = "24 bits (0..16777215)";
            break;
        case Field::Long:
            lo = -2147483648LL, hi = 4294967295LL, what = "32 bits (-2147483648..4294967295)";
            break;
    }
    if (v >= lo && v <= hi) return true;
    error(loc, column, "value " + std::to_string(v) + " does not fit in " + what);
    return false;
}

void Assembler::emitField(Field field, ExprPtr expr, const Location& loc) {
    int width = field == Field::Byte     ? 1
                : field == Field::Word   ? 2
                : field == Field::Code24 ? 3
                                         : 4;
    if (expr) fixups_.push_back({uint32_t(out_.size()), field, std::move(expr), proc_, loc});
    out_.insert(out_.end(), size_t(width), 0);
}

void Assembler::defineLabel(const Token& tok, const Location& loc, bool opensScope) {
    std::string name = qualifyName(tok.text, scope_);
    if (name.empty()) {
        error(loc, tok.column, "local label '" + tok.text + "' has no global label before it");
        return;
    }
    if (opcodeByName(name)) {
        error(loc, tok.column, "'" + name + "' is an instruction and cannot be a label");
        return;
    }
    auto [it, fresh] = symbols_.try_emplace(name);
    if (!fresh) {
        const Location& prev = it->second.loc;
        error(
            loc, tok.column,
            "'" + name + "' is already defined at " + prev.file + ":" + std::to_string(prev.line));
        return;
    }
    it->second.isLabel = true;
    it->second.known = true;
    it->second.value = int64_t(out_.size());
    it->second.loc = loc;
    if (opensScope && tok.text[0] != '.') scope_ = name;
}

void Assembler::defineConstant(const Token& nameTok, const std::vector<Token>& tokens, size_t pos,
                               const Location& loc) {
    ExprPtr e = expression(tokens, pos, loc);
    if (!e || !atEnd(tokens, pos, loc)) return;
    std::string name = qualifyName(nameTok.text, scope_);
    if (name.empty() || nameTok.kind != TokKind::Ident) {
        error(loc, nameTok.column, "a constant needs a name");
        return;
    }
    auto [it, fresh] = symbols_.try_emplace(name);
    if (!fresh) {
        const Location& prev = it->second.loc;
        error(
            loc, nameTok.column,
            "'" + name + "' is already defined at " + prev.file + ":" + std::to_string(prev.line));
        return;
    }
    it->second.expr = e;
    it->second.proc = proc_;
    it->second.loc = loc;
}

void Assembler::statement(std::string_view line, const std::vector<Token>& tokens,
                          const Location& loc, int includeDepth, int macroDepth, bool fromMacro) {
    size_t pos = 0;
    while (pos + 1 < tokens.size() && tokens[pos].kind == TokKind::Ident &&
           tokens[pos + 1].kind == TokKind::Punct && tokens[pos + 1].text == ":") {
        // Labels made by macro expansions leave the scope of local labels alone, so a macro
        // used inside a function does not cut the function's local labels off.
        defineLabel(tokens[pos], loc, !fromMacro);
        pos += 2;
    }
    if (pos >= tokens.size()) return;
    const Token& head = tokens[pos];
    if (head.kind != TokKind::Ident) {
        error(loc, head.column, "instruction or directive expected");
        return;
    }
    if (pos + 1 < tokens.size() && tokens[pos + 1].kind == TokKind::Punct &&
        tokens[pos + 1].text == "=") {
        defineConstant(head, tokens, pos + 2, loc);
        return;
    }
    if (head.text[0] == '.') {
        directive(head.text, tokens, pos + 1, loc, includeDepth);
        return;
    }
    if (auto m = macros_.find(head.text); m != macros_.end()) {
        const Macro macro = m->second;  // a copy: the expansion may define macros
        expandMacro(macro, line, head, loc, includeDepth, macroDepth);
        return;
    }
    if (auto op = opcodeByName(head.text)) {
        instruction(*op, tokens, pos + 1, loc);
        return;
    }
    std::string message = "unknown instruction '" + head.text + "'";
    if (const char* hint = caseVariant(head.text)) {
        message += " (mnemonics are case-sensitive: did you mean '" + std::string(hint) + "'?)";
    }
    error(loc, head.column, message);
}

void Assembler::instruction(uint8_t opcode, const std::vector<Token>& tokens, size_t pos,
                            const Location& loc) {
    const OpInfo& info = opInfo(opcode);
    if (opcode == op::LINE) noteLineMark(loc);
    emitByte(opcode);
    auto operand = [&](Field field) -> ExprPtr {
        ExprPtr e = expression(tokens, pos, loc);
        emitField(field, e, loc);
        return e;
    };
    switch (info.operands) {
        case Operands::None:
            break;
        case Operands::U8: {
            ExprPtr e = operand(Field::Byte);
            if (opcode == op::STRKEY) {
                key_ = e;
                keyProc_ = proc_;
            }
            break;
        }
        case Operands::S16:
        case Operands::A16:
        case Operands::O16:
        case Operands::U16:
            operand(Field::Word);
            break;
        case Operands::U32:
            operand(Field::Long);
            break;
        case Operands::C24:
        case Operands::U24:
            operand(Field::Code24);
            break;
        case Operands::Enter:
            if (!operand(Field::Word) || !comma(tokens, pos, loc)) return;
            operand(Field::Byte);
            break;
        case Operands::String: {
            if (pos >= tokens.size() || tokens[pos].kind != TokKind::String) {
                int column = pos < tokens.size() ? tokens[pos].column : tokens[pos - 1].column;
                error(loc, column, "PUSH_STR needs a quoted string");
                return;
            }
            const Token& s = tokens[pos++];
            if (s.text.find('\0') != std::string::npos) {
                // The machine ends the string at the first byte that decodes to 0.
                error(loc, s.column,
                      "string contains a zero byte, which would end it early at run time");
                return;
            }
            strings_.push_back({uint32_t(out_.size()), s.text, key_, keyProc_, loc, s.column});
            out_.insert(out_.end(), s.text.size() + 1, 0);
            break;
        }
        case Operands::InitData:
            initData(tokens, pos, loc);
            return;
    }
    atEnd(tokens, pos, loc);
}

void Assembler::noteLineMark(const Location& loc) {
    auto known = std::find(files_.begin(), files_.end(), loc.file);
    if (known == files_.end()) known = files_.insert(files_.end(), loc.file);
    lineMarks_.push_back({uint32_t(out_.size()), int(known - files_.begin()) + 1});
}

void Assembler::finish() {
    if (collecting_) {
        error(collecting_->loc, 1, "'.macro " + collecting_->name + "' has no '.endm'");
    }
    for (const auto& c : conditionals_) error(c.loc, 1, "'.if' has no '.endif'");
    if (proc_ != nullptr) {
        error(proc_->loc, 1, "'.proc " + proc_->name + "' has no '.endproc'");
        // Close it here so its ENTER's frame size resolves and the one error stays alone.
        Symbol size;
        size.known = true;
        size.value = proc_->nextOffset;
        size.loc = proc_->loc;
        symbols_.emplace(proc_->name + ".framesize", size);
        proc_ = nullptr;
    }
    if (dataBlock_) error(dataBlock_->second, 1, "INITDATA block has no '.enddata'");
    if (stopped_) return;

    for (const Fixup& f : fixups_) {
        auto v = value(*f.expr, f.proc, f.loc, true);
        if (!v || !inRange(*v, f.field, f.loc, f.expr->column) || f.checkOnly) continue;
        int width = f.field == Field::Byte     ? 1
                    : f.field == Field::Word   ? 2
                    : f.field == Field::Code24 ? 3
                                               : 4;
        for (int i = 0; i < width; ++i) out_[f.offset + i] = uint8_t(uint64_t(*v) >> (8 * i));
    }
    for (const StringFixup& s : strings_) {
        uint8_t key = 0;
        if (s.key) {
            auto v = value(*s.key, s.keyProc, s.loc, true);
            if (!v || *v < -128 || *v > 255) continue;  // reported at the STRKEY itself
            key = uint8_t(*v);
        }
        for (size_t i = 0; i < s.plain.size(); ++i) {
            out_[s.offset + i] = uint8_t(uint8_t(s.plain[i]) ^ key);
        }
        out_[s.offset + s.plain.size()] = key;  // the terminator: decodes to 0
    }
}

}  // namespace vrnasm
}  // namespace corvane
