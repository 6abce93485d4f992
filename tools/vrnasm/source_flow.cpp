// How source lines reach the statement parser: files and includes, macro definitions and
// expansions, and conditional assembly.

#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "library/gb2312.h"
#include "library/path.h"
#include "tools/vrnasm/assembler_impl.h"
#include "vm/memory_map.h"
#include "vm/opcodes.h"

namespace corvane::vrnasm {
namespace {

constexpr int kMaxIncludeDepth = 32;
constexpr int kMaxMacroDepth = 64;

// The first word of a line (a directive or mnemonic), ignoring leading blanks.
std::string_view firstWord(std::string_view line) {
    size_t i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    size_t start = i;
    while (i < line.size() && isIdentChar(line[i])) ++i;
    return line.substr(start, i - start);
}

std::string trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
    return std::string(s.substr(b, e - b));
}

// Splits macro arguments at commas outside quotes and parentheses.
std::vector<std::string> splitArguments(std::string_view text) {
    std::vector<std::string> args;
    if (trim(text).empty()) return args;
    int depth = 0;
    char quote = 0;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (quote != 0) {
            if (c == '\\') {
                ++i;
            } else if (c == quote) {
                quote = 0;
            }
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')') {
            --depth;
        } else if (c == ',' && depth == 0) {
            args.push_back(trim(text.substr(start, i - start)));
            start = i + 1;
        }
    }
    args.push_back(trim(text.substr(start)));
    return args;
}

// A macro body line with its parameters replaced: whole identifiers equal to a parameter, and
// \name for gluing an argument to other text; \@ gives a number unique to this expansion.
std::string substitute(std::string_view line, const std::vector<std::string>& params,
                       const std::vector<std::string>& args, int expansion) {
    auto find = [&](std::string_view word) -> int {
        for (size_t i = 0; i < params.size(); ++i) {
            if (params[i] == word) return int(i);
        }
        return -1;
    };
    std::string out;
    const size_t end = commentStart(line);
    char quote = 0;
    size_t i = 0;
    while (i < end) {
        char c = line[i];
        if (quote != 0) {
            out += c;
            if (c == '\\' && i + 1 < end) {
                out += line[++i];
            } else if (c == quote) {
                quote = 0;
            }
            ++i;
        } else if (c == '"' || c == '\'') {
            quote = c;
            out += c;
            ++i;
        } else if (c == '\\' && i + 1 < end && line[i + 1] == '@') {
            out += "_" + std::to_string(expansion);
            i += 2;
        } else if (c == '\\' && i + 1 < end && isIdentStart(line[i + 1])) {
            // \name: the longest parameter name that starts here, so "\n_end" can glue the
            // argument of `n` to "_end".
            int best = -1;
            for (size_t k = 0; k < params.size(); ++k) {
                if (line.substr(i + 1, params[k].size()) == params[k] &&
                    (best < 0 || params[k].size() > params[size_t(best)].size())) {
                    best = int(k);
                }
            }
            if (best >= 0) {
                out += args[size_t(best)];
                i += 1 + params[size_t(best)].size();
            } else {
                out += c;
                ++i;
            }
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            while (i < end && isIdentChar(line[i])) out += line[i++];
        } else if (isIdentStart(c)) {
            size_t j = i;
            while (j < end && isIdentChar(line[j])) ++j;
            int k = find(line.substr(i, j - i));
            out += k >= 0 ? args[size_t(k)] : std::string(line.substr(i, j - i));
            i = j;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

}  // namespace

void Assembler::processText(std::string_view text, const std::string& file, int includeDepth) {
    int lineNo = 0;
    size_t pos = 0;
    while (pos < text.size() && !stopped_) {
        size_t nl = text.find('\n', pos);
        if (nl == std::string_view::npos) nl = text.size();
        ++lineNo;
        handleLine(text.substr(pos, nl - pos), Location{file, lineNo, ""}, includeDepth, 0, false);
        pos = nl + 1;
    }
}

void Assembler::handleLine(std::string_view line, const Location& where, int includeDepth,
                           int macroDepth, bool fromMacro) {
    if (stopped_) return;
    Location loc = where;
    loc.order = linesRead_ + 1;
    if (++linesRead_ > options_.maxLines) {
        error(loc, 1,
              "more than " + std::to_string(options_.maxLines) +
                  " lines after expanding macros; stopping");
        stopped_ = true;
        return;
    }
    if (collecting_ && captureMacroLine(line, loc)) return;
    std::string_view word = firstWord(line);
    if (handleConditional(word, line, loc)) return;
    if (!active()) return;

    std::vector<Token> tokens;
    if (auto err = tokenizeLine(line, tokens)) {
        error(loc, err->column, err->message);
        return;
    }
    if (!tokens.empty() && tokens[0].kind == TokKind::Ident && tokens[0].text == ".macro") {
        defineMacro(tokens, 1, loc);
        return;
    }
    statement(line, tokens, loc, includeDepth, macroDepth, fromMacro);
    if (out_.size() > kImageBufferSize && !reportedTooLarge_) {
        reportedTooLarge_ = true;
        error(loc, 1, "the program is larger than the 524288-byte image buffer");
    }
}

bool Assembler::captureMacroLine(std::string_view line, const Location& loc) {
    std::string_view word = firstWord(line);
    if (word == ".endm") {
        if (collecting_->nesting == 0) {
            Macro m = std::move(*collecting_);
            collecting_.reset();
            macros_[m.name] = std::move(m);
            return true;
        }
        --collecting_->nesting;
    } else if (word == ".macro") {
        ++collecting_->nesting;
    }
    collecting_->body.emplace_back(std::string(line), loc);
    return true;
}

bool Assembler::handleConditional(std::string_view word, std::string_view line,
                                  const Location& loc) {
    if (word != ".if" && word != ".ifdef" && word != ".ifndef" && word != ".else" &&
        word != ".endif") {
        return false;
    }
    if (word == ".else" || word == ".endif") {
        if (conditionals_.empty()) {
            error(loc, 1, "'" + std::string(word) + "' without '.if'");
            return true;
        }
        Conditional& c = conditionals_.back();
        if (word == ".endif") {
            conditionals_.pop_back();
        } else if (c.seenElse) {
            error(loc, 1, "second '.else' for one '.if'");
        } else {
            c.seenElse = true;
            c.active = c.parentActive && !c.taken;
            c.taken = true;
        }
        return true;
    }
    Conditional c;
    c.parentActive = active();
    c.loc = loc;
    c.active = false;
    if (c.parentActive) {
        std::vector<Token> tokens;
        if (auto err = tokenizeLine(line, tokens)) {
            error(loc, err->column, err->message);
        } else if (word == ".if") {
            size_t pos = 1;
            ExprPtr e = expression(tokens, pos, loc);
            if (e && atEnd(tokens, pos, loc)) {
                auto v = valueNow(e, loc);
                c.active = v && *v != 0;
            }
        } else if (tokens.size() != 2 || tokens[1].kind != TokKind::Ident) {
            error(loc, tokens.size() > 2 ? tokens[2].column : 1,
                  "'" + std::string(word) + "' needs one name");
        } else {
            std::string name = qualifyName(tokens[1].text, scope_);
            bool defined = symbols_.count(name) != 0 || macros_.count(tokens[1].text) != 0 ||
                           (proc_ != nullptr && proc_->names.count(tokens[1].text) != 0);
            c.active = (word == ".ifdef") == defined;
        }
    }
    c.taken = c.active;
    conditionals_.push_back(c);
    return true;
}

void Assembler::defineMacro(const std::vector<Token>& tokens, size_t pos, const Location& loc) {
    if (pos >= tokens.size() || tokens[pos].kind != TokKind::Ident || tokens[pos].text[0] == '.') {
        error(loc, pos < tokens.size() ? tokens[pos].column : 1, "'.macro' needs a name");
        return;
    }
    Macro m;
    m.name = tokens[pos].text;
    m.loc = loc;
    if (opcodeByName(m.name)) {
        error(loc, tokens[pos].column, "'" + m.name + "' is an instruction and cannot be a macro");
    } else if (macros_.count(m.name) != 0) {
        error(loc, tokens[pos].column,
              "macro '" + m.name + "' is already defined at " + macros_[m.name].loc.file + ":" +
                  std::to_string(macros_[m.name].loc.line));
    }
    for (++pos; pos < tokens.size(); ++pos) {
        const Token& t = tokens[pos];
        if (t.kind == TokKind::Punct && t.text == "," && !m.params.empty()) continue;
        if (t.kind != TokKind::Ident || t.text[0] == '.') {
            error(loc, t.column, "parameter name expected");
            break;
        }
        m.params.push_back(t.text);
    }
    // The body is collected even after an error, so that its lines are not read as code.
    collecting_ = std::move(m);
}

void Assembler::expandMacro(const Macro& macro, std::string_view line, const Token& nameTok,
                            const Location& loc, int includeDepth, int macroDepth) {
    if (macroDepth >= kMaxMacroDepth) {
        error(loc, nameTok.column, "macros nested more than 64 deep (a macro that uses itself?)");
        return;
    }
    size_t argsStart = size_t(nameTok.column - 1) + nameTok.text.size();
    std::string_view rest = line.substr(argsStart);
    rest = rest.substr(0, commentStart(rest));
    std::vector<std::string> args = splitArguments(rest);
    if (args.size() != macro.params.size()) {
        error(loc, nameTok.column,
              "macro '" + macro.name + "' takes " + std::to_string(macro.params.size()) +
                  " argument(s), not " + std::to_string(args.size()));
        return;
    }
    const int expansion = ++expansions_;
    const std::string context = " (in macro '" + macro.name + "' used at " + loc.file + ":" +
                                std::to_string(loc.line) + ")" + loc.context;
    for (const auto& [text, bodyLoc] : macro.body) {
        Location at = bodyLoc;
        at.context = context;
        handleLine(substitute(text, macro.params, args, expansion), at, includeDepth,
                   macroDepth + 1, true);
        if (stopped_) return;
    }
}

std::optional<std::string> Assembler::readSource(const std::string& path) {
    if (options_.readFile) return options_.readFile(path);
    std::error_code ec;
    const std::filesystem::path file = hostFsPath(path);
    if (!std::filesystem::is_regular_file(file, ec)) return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void Assembler::include(const std::vector<Token>& tokens, size_t pos, const Location& loc,
                        int includeDepth) {
    if (pos >= tokens.size() || tokens[pos].kind != TokKind::String) {
        error(loc, pos < tokens.size() ? tokens[pos].column : 1,
              "'.include' needs a quoted file name");
        return;
    }
    const Token& nameTok = tokens[pos];
    if (!atEnd(tokens, pos + 1, loc)) return;
    if (includeDepth + 1 > kMaxIncludeDepth) {
        error(loc, nameTok.column,
              "includes nested more than 32 deep (a file that includes itself?)");
        return;
    }
    namespace fs = std::filesystem;
    // The quoted name was turned into GB2312 like any text; the file has the source's own
    // spelling of it (a name written with escapes stays as its bytes).
    std::string fileName;
    if (!gb2312ToUtf8(nameTok.text, fileName)) fileName = nameTok.text;
    const fs::path name = hostFsPath(fileName);
    std::vector<fs::path> candidates;
    if (name.is_absolute()) {
        candidates.push_back(name);
    } else {
        candidates.push_back(hostFsPath(loc.file).parent_path() / name);
        for (const auto& dir : options_.includeDirs) candidates.push_back(hostFsPath(dir) / name);
    }
    for (const auto& candidate : candidates) {
        const std::string file = hostPathText(candidate.lexically_normal());
        if (auto text = readSource(file)) {
            processText(*text, file, includeDepth + 1);
            return;
        }
    }
    error(loc, nameTok.column, "cannot find include file '" + fileName + "'");
}

}  // namespace corvane::vrnasm
