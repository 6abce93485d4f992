#include "tools/vrncc/preprocessor.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "library/path.h"

namespace corvane::cc {
namespace {

namespace fs = std::filesystem;

struct Macro {
    bool function = false;
    bool variadic = false;
    std::vector<std::string> params;
    std::vector<Token> body;
    Loc loc;
};

struct Input {
    std::vector<Token> tokens;
    size_t pos = 0;
    std::string dir;
    // After #line: the file and line numbers its tokens are reported under.
    const SourceFile* named = nullptr;
    int lineShift = 0;
};

struct Cond {
    bool active;        // lines of the current branch are kept
    bool taken;         // some branch was taken
    bool parentActive;  // the enclosing region is kept
    bool seenElse = false;
    Loc loc;
};

HideSet addHide(const HideSet& h, const std::string& name) {
    auto s =
        h ? std::make_shared<std::set<std::string>>(*h) : std::make_shared<std::set<std::string>>();
    s->insert(name);
    return s;
}

bool hidden(const Token& t) {
    return t.hide && t.hide->count(t.text);
}

// A string literal that spells `text`: a Windows path's backslashes are separators, not escapes.
std::string quoted(const std::string& text) {
    std::string s = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') s += '\\';
        s += c;
    }
    return s + "\"";
}

class Preprocessor {
  public:
    Preprocessor(const PreprocessOptions& o, Diagnostics& d) : opt_(o), diag_(d) {
        define("__VRNCC__", "1");
        define("__vrn__", "1");
        define("__STDC__", "1");
        define("__STDC_VERSION__", "199409L");
        for (auto& [n, v] : o.defines) define(n, v);
    }

    std::vector<Token> run(const std::string& path) {
        if (!pushFile(path, Loc{}, "")) {
            Token e;
            out_.push_back(e);
            return out_;
        }
        for (;;) {
            Token t = next(true);
            if (t.kind == Tok::End) {
                out_.push_back(t);
                break;
            }
            if (!expandInto(t)) out_.push_back(std::move(t));
        }
        return out_;
    }

  private:
    // --- input ---
    bool pushFile(const std::string& path, const Loc& from, const std::string&) {
        if (inputs_.size() > 40) {
            diag_.error(from, "#include nested too deeply");
            return false;
        }
        std::optional<std::string> text;
        if (opt_.readFile) {
            text = opt_.readFile(path);
        } else {
            std::ifstream in(hostFsPath(path), std::ios::binary);
            if (in) {
                std::ostringstream ss;
                ss << in.rdbuf();
                text = ss.str();
            }
        }
        if (!text) {
            if (from.file)
                diag_.error(from, "cannot read " + path);
            else
                diag_.error("cannot read " + path);
            return false;
        }
        const SourceFile* f = diag_.addFile(path, std::move(*text));
        Input in;
        in.tokens = lexFile(*f, diag_);
        in.dir = hostPathText(hostFsPath(path).parent_path());
        inputs_.push_back(std::move(in));
        condBase_.push_back(conds_.size());
        return true;
    }

    // The next token: pending expansion results first, then the current file. Directives at
    // the start of a line are carried out here when `directives` is set.
    Token next(bool directives) {
        for (;;) {
            if (!pending_.empty()) {
                Token t = std::move(pending_.back());
                pending_.pop_back();
                return t;
            }
            if (inputs_.empty()) return Token{};
            Input& in = inputs_.back();
            Token& t = in.tokens[in.pos];
            if (t.kind == Tok::End) {
                if (inputs_.size() == 1 || !directives) {
                    if (directives) closeConds();
                    return t;
                }
                closeConds();
                inputs_.pop_back();
                condBase_.pop_back();
                continue;
            }
            if (directives && t.bol && t.is("#")) {
                ++in.pos;
                directive();
                continue;
            }
            if (!active()) {
                ++in.pos;
                continue;
            }
            ++in.pos;
            reportUnclosed(t);
            if (!in.named) return t;
            Token shown = t;
            shown.loc.file = in.named;
            shown.loc.line += in.lineShift;
            return shown;
        }
    }

    void closeConds() {
        while (conds_.size() > condBase_.back()) {
            diag_.error(conds_.back().loc, "#if without #endif");
            conds_.pop_back();
        }
    }

    // An unclosed quote is an error only in the text that is compiled: a group that #if skips
    // may hold an apostrophe in plain prose.
    void reportUnclosed(const Token& t) {
        if (t.unclosed)
            diag_.error(t.loc, t.kind == Tok::String ? "string literal is not closed"
                                                     : "character constant is not closed");
    }

    bool active() const { return conds_.empty() || conds_.back().active; }

    // Tokens of the rest of the directive line.
    std::vector<Token> restOfLine() {
        std::vector<Token> line;
        Input& in = inputs_.back();
        while (in.tokens[in.pos].kind != Tok::End && !in.tokens[in.pos].bol)
            line.push_back(in.tokens[in.pos++]);
        return line;
    }

    void define(const std::string& name, const std::string& value) {
        const SourceFile* f = diag_.addFile("<command line>", name + " " + value);
        std::vector<Token> toks = lexFile(*f, diag_);
        Macro m;
        for (size_t i = 1; i + 1 < toks.size(); ++i) m.body.push_back(toks[i]);
        macros_[name] = m;
    }

    // --- directives ---
    void directive() {
        std::vector<Token> line = restOfLine();
        if (line.empty()) return;
        const Token& d = line[0];
        const std::string& w = d.text;
        if (w == "if" || w == "ifdef" || w == "ifndef") {
            Cond c{false, false, active(), false, d.loc};
            if (c.parentActive) {
                bool v;
                if (w == "if") {
                    v = evalIf(line, 1);
                } else {
                    if (line.size() < 2 || line[1].kind != Tok::Ident) {
                        diag_.error(d.loc, "#" + w + " needs a macro name");
                        v = false;
                    } else {
                        v = macros_.count(line[1].text) != 0;
                        if (w == "ifndef") v = !v;
                    }
                }
                c.active = c.taken = v;
            }
            conds_.push_back(c);
            return;
        }
        if (w == "elif" || w == "else" || w == "endif") {
            if (conds_.size() <= condBase_.back()) {
                diag_.error(d.loc, "#" + w + " without #if");
                return;
            }
            Cond& c = conds_.back();
            if (w == "endif") {
                conds_.pop_back();
                return;
            }
            if (c.seenElse) {
                diag_.error(d.loc, "#" + w + " after #else");
                return;
            }
            if (w == "else") {
                c.seenElse = true;
                c.active = c.parentActive && !c.taken;
                c.taken = true;
                return;
            }
            if (!c.parentActive || c.taken) {
                c.active = false;
                return;
            }
            c.active = c.taken = evalIf(line, 1);
            return;
        }
        if (!active()) return;
        if (w != "error" && w != "warning")
            for (const Token& t : line) reportUnclosed(t);
        if (d.kind == Tok::Number) return;  // a line marker
        if (w == "define") return defineDirective(line);
        if (w == "undef") {
            if (line.size() < 2 || line[1].kind != Tok::Ident)
                diag_.error(d.loc, "#undef needs a macro name");
            else
                macros_.erase(line[1].text);
            return;
        }
        if (w == "include") return includeDirective(line);
        if (w == "error") {
            std::string msg;
            for (size_t i = 1; i < line.size(); ++i)
                msg += (i > 1 && line[i].space ? " " : "") + line[i].text;
            diag_.error(d.loc, "#error " + msg);
            return;
        }
        if (w == "warning") {
            std::string msg;
            for (size_t i = 1; i < line.size(); ++i)
                msg += (i > 1 && line[i].space ? " " : "") + line[i].text;
            diag_.warning(d.loc, "#warning " + msg);
            return;
        }
        if (w == "line") return lineDirective(line);
        if (w == "pragma" || w == "ident") return;
        diag_.error(d.loc, "unknown directive #" + w);
    }

    void defineDirective(const std::vector<Token>& line) {
        if (line.size() < 2 || line[1].kind != Tok::Ident) {
            diag_.error(line[0].loc, "#define needs a macro name");
            return;
        }
        Macro m;
        m.loc = line[1].loc;
        size_t i = 2;
        if (i < line.size() && line[i].is("(") && !line[i].space) {
            m.function = true;
            ++i;
            while (i < line.size() && !line[i].is(")")) {
                if (line[i].is("...")) {
                    m.variadic = true;
                    m.params.push_back("__VA_ARGS__");
                } else if (line[i].kind == Tok::Ident) {
                    m.params.push_back(line[i].text);
                } else {
                    diag_.error(line[i].loc, "bad macro parameter '" + line[i].text + "'");
                    return;
                }
                ++i;
                if (i < line.size() && line[i].is(",")) ++i;
            }
            if (i >= line.size()) {
                diag_.error(line[1].loc, "macro parameter list is not closed");
                return;
            }
            ++i;
        }
        for (; i < line.size(); ++i) m.body.push_back(line[i]);
        macros_[line[1].text] = std::move(m);
    }

    void includeDirective(const std::vector<Token>& lineIn) {
        std::vector<Token> line(lineIn.begin() + 1, lineIn.end());
        const Loc at = lineIn[0].loc;
        std::string name;
        bool system = false;
        if (!line.empty() && line[0].kind == Tok::String) {
            name = line[0].text.substr(1, line[0].text.size() - 2);
        } else if (!line.empty() && line[0].is("<")) {
            system = true;
            for (size_t i = 1; i < line.size() && !line[i].is(">"); ++i)
                name += (i > 1 && line[i].space ? " " : "") + line[i].text;
        } else {
            diag_.error(at, "#include needs \"FILE\" or <FILE>");
            return;
        }
        std::vector<std::string> dirs;
        if (!system) {
            dirs.push_back(inputs_.back().dir);
            for (auto& d : opt_.includeDirs) dirs.push_back(d);
        }
        for (auto& d : opt_.systemDirs) dirs.push_back(d);
        for (auto& d : dirs) {
            fs::path p = d.empty() ? hostFsPath(name) : hostFsPath(d) / hostFsPath(name);
            bool exists;
            if (opt_.readFile) {
                exists = opt_.readFile(hostPathText(p)).has_value();
            } else {
                std::error_code ec;
                exists = fs::is_regular_file(p, ec);
            }
            if (exists) {
                pushFile(hostPathText(p), at, name);
                return;
            }
        }
        diag_.error(at, "cannot find include file '" + name + "'");
    }

    // #line N ["file"]: the next line is line N of the file. A copy of the source under the new
    // name and numbering shows the right text under the messages that point into it.
    void lineDirective(const std::vector<Token>& line) {
        std::vector<Token> args = expandList(std::vector<Token>(line.begin() + 1, line.end()));
        if (args.empty() || args[0].kind != Tok::Number ||
            args[0].text.find_first_not_of("0123456789") != std::string::npos ||
            (args.size() > 1 && args[1].kind != Tok::String) || args.size() > 2) {
            diag_.error(line[0].loc, "#line needs a line number and at most a file name");
            return;
        }
        Input& in = inputs_.back();
        const SourceFile* physical = line[0].loc.file;
        const int n = std::stoi(args[0].text);
        std::string path = in.named ? in.named->path : physical->path;
        if (args.size() > 1) path = args[1].text.substr(1, args[1].text.size() - 2);
        in.lineShift = n - (line[0].loc.line + 1);
        in.named = diag_.addFile(path, physical->text, in.lineShift);
    }

    // --- #if expressions ---
    bool evalIf(const std::vector<Token>& line, size_t from) {
        // defined X and defined(X) are replaced before macro expansion.
        std::vector<Token> toks;
        for (size_t i = from; i < line.size(); ++i) {
            if (line[i].isIdent("defined")) {
                size_t j = i + 1;
                bool paren = j < line.size() && line[j].is("(");
                if (paren) ++j;
                if (j >= line.size() || line[j].kind != Tok::Ident) {
                    diag_.error(line[i].loc, "defined needs a macro name");
                    return false;
                }
                Token n = line[j];
                n.kind = Tok::Number;
                n.text = macros_.count(line[j].text) ? "1" : "0";
                toks.push_back(n);
                i = j + (paren ? 1 : 0);
                continue;
            }
            toks.push_back(line[i]);
        }
        std::vector<Token> expanded = expandList(toks);
        ifToks_ = std::move(expanded);
        ifPos_ = 0;
        ifUnevaluated_ = 0;
        ifLoc_ = line[0].loc;
        try {
            int64_t v = ifCond();
            if (ifPos_ < ifToks_.size()) {
                diag_.error(ifToks_[ifPos_].loc,
                            "unexpected '" + ifToks_[ifPos_].text + "' in #" + line[0].text);
            }
            return v != 0;
        } catch (const CompileError&) {
            return false;
        }
    }
    const Token* ifPeek() { return ifPos_ < ifToks_.size() ? &ifToks_[ifPos_] : nullptr; }
    bool ifAccept(const char* p) {
        if (ifPeek() && ifPeek()->is(p)) {
            ++ifPos_;
            return true;
        }
        return false;
    }
    int64_t ifPrimary() {
        const Token* t = ifPeek();
        if (!t) {
            diag_.error(ifLoc_, "#if expression ends too early");
            throw CompileError{};
        }
        ++ifPos_;
        if (t->is("(")) {
            int64_t v = ifCond();
            if (!ifAccept(")")) {
                diag_.error(t->loc, "missing ')' in #if");
                throw CompileError{};
            }
            return v;
        }
        if (t->is("-")) return int64_t(0 - uint64_t(ifPrimary()));
        if (t->is("+")) return ifPrimary();
        if (t->is("!")) return !ifPrimary();
        if (t->is("~")) return ~ifPrimary();
        if (t->kind == Tok::Ident) return 0;
        if (t->kind == Tok::Number) {
            std::string s = t->text;
            while (!s.empty() &&
                   (s.back() == 'u' || s.back() == 'U' || s.back() == 'l' || s.back() == 'L'))
                s.pop_back();
            try {
                size_t used = 0;
                // An unsigned constant above INT64_MAX (ULLONG_MAX) keeps its bits.
                int64_t v = int64_t(std::stoull(s, &used, 0));
                if (used == s.size()) return v;
            } catch (...) {
            }
            diag_.error(t->loc, "bad number '" + t->text + "' in #if");
            throw CompileError{};
        }
        if (t->kind == Tok::Char) {
            std::string s = t->text;
            if (s.size() >= 3 && s[1] != '\\') return static_cast<unsigned char>(s[1]);
            if (s.size() >= 4) {
                switch (s[2]) {
                    case 'n':
                        return '\n';
                    case 't':
                        return '\t';
                    case '0':
                        return 0;
                    case '\\':
                        return '\\';
                    case '\'':
                        return '\'';
                    default:
                        return s[2];
                }
            }
        }
        diag_.error(t->loc, "unexpected '" + t->text + "' in #if");
        throw CompileError{};
    }
    int prec(const Token& t) {
        static const std::map<std::string, int> p = {
            {"*", 10}, {"/", 10}, {"%", 10}, {"+", 9},  {"-", 9},  {"<<", 8},
            {">>", 8}, {"<", 7},  {">", 7},  {"<=", 7}, {">=", 7}, {"==", 6},
            {"!=", 6}, {"&", 5},  {"^", 4},  {"|", 3},  {"&&", 2}, {"||", 1}};
        if (t.kind != Tok::Punct) return 0;
        auto it = p.find(t.text);
        return it == p.end() ? 0 : it->second;
    }
    int64_t ifBinary(int minPrec) {
        int64_t l = ifPrimary();
        for (;;) {
            const Token* t = ifPeek();
            if (!t) return l;
            int p = prec(*t);
            if (p == 0 || p < minPrec) return l;
            std::string op = t->text;
            ++ifPos_;
            // The right operand of && and || is not evaluated when the left one decides.
            const bool skip = (op == "&&" && !l) || (op == "||" && l);
            ifUnevaluated_ += skip;
            int64_t r = ifBinary(p + 1);
            ifUnevaluated_ -= skip;
            if (op == "*")
                l = int64_t(uint64_t(l) * uint64_t(r));
            else if (op == "/" || op == "%") {
                if (r == 0) {
                    if (ifUnevaluated_) {
                        l = 0;
                        continue;
                    }
                    diag_.error(t->loc, "division by zero in #if");
                    throw CompileError{};
                }
                if (r == -1)  // INT64_MIN / -1 wraps, as the other operations do
                    l = op == "/" ? int64_t(0 - uint64_t(l)) : 0;
                else
                    l = op == "/" ? l / r : l % r;
            } else if (op == "+")
                l += r;
            else if (op == "-")
                l -= r;
            else if (op == "<<")
                l <<= (r & 63);
            else if (op == ">>")
                l >>= (r & 63);
            else if (op == "<")
                l = l < r;
            else if (op == ">")
                l = l > r;
            else if (op == "<=")
                l = l <= r;
            else if (op == ">=")
                l = l >= r;
            else if (op == "==")
                l = l == r;
            else if (op == "!=")
                l = l != r;
            else if (op == "&")
                l &= r;
            else if (op == "^")
                l ^= r;
            else if (op == "|")
                l |= r;
            else if (op == "&&")
                l = l && r;
            else if (op == "||")
                l = l || r;
        }
    }
    int64_t ifCond() {
        int64_t c = ifBinary(1);
        if (ifAccept("?")) {
            // Only the chosen operand is evaluated.
            ifUnevaluated_ += !c;
            int64_t a = ifCond();
            ifUnevaluated_ -= !c;
            if (!ifAccept(":")) {
                diag_.error(ifLoc_, "missing ':' in #if");
                throw CompileError{};
            }
            ifUnevaluated_ += c != 0;
            int64_t b = ifCond();
            ifUnevaluated_ -= c != 0;
            return c ? a : b;
        }
        return c;
    }

    // --- macro expansion ---
    // Expands a list of tokens completely (macro arguments, #if lines).
    std::vector<Token> expandList(const std::vector<Token>& in) {
        std::vector<Token> savedPending = std::move(pending_);
        pending_.clear();
        Token end;
        end.kind = Tok::End;
        pending_.push_back(end);
        for (auto it = in.rbegin(); it != in.rend(); ++it) pending_.push_back(*it);
        std::vector<Token> result;
        for (;;) {
            Token t = std::move(pending_.back());
            pending_.pop_back();
            if (t.kind == Tok::End) break;
            std::vector<Token> saveOut = std::move(out_);
            out_.clear();
            if (!expandInto(t)) out_.push_back(t);
            for (auto& o : out_) result.push_back(std::move(o));
            out_ = std::move(saveOut);
        }
        pending_ = std::move(savedPending);
        return result;
    }

    // Next token for argument collection: stays inside the list being expanded.
    Token nextForArgs() {
        if (!pending_.empty()) {
            Token t = std::move(pending_.back());
            pending_.pop_back();
            return t;
        }
        return next(false);
    }

    void unget(Token t) { pending_.push_back(std::move(t)); }

    // When `t` names a macro that expands here, pushes its expansion back onto the input and
    // returns true. __FILE__ and __LINE__ are produced directly into the output.
    bool expandInto(Token& t) {
        if (t.kind != Tok::Ident || hidden(t)) return false;
        if (t.text == "__FILE__" || t.text == "__LINE__") {
            Token r = t;
            if (t.text == "__FILE__") {
                r.kind = Tok::String;
                r.text = quoted(t.loc.file ? t.loc.file->path : std::string());
            } else {
                r.kind = Tok::Number;
                r.text = std::to_string(t.loc.line);
            }
            out_.push_back(r);
            return true;
        }
        auto it = macros_.find(t.text);
        if (it == macros_.end()) return false;
        const Macro& m = it->second;
        if (!m.function) {
            std::vector<Token> body = substitute(m, {}, t);
            HideSet hs = addHide(t.hide, t.text);
            pushBack(body, hs, t);
            return true;
        }
        Token peek = nextForArgs();
        if (!peek.is("(")) {
            unget(std::move(peek));
            return false;
        }
        std::vector<std::vector<Token>> args(1);
        int depth = 0;
        for (;;) {
            Token a = nextForArgs();
            if (a.kind == Tok::End) {
                diag_.error(t.loc, "unterminated call of macro '" + t.text + "'");
                unget(std::move(a));
                return true;
            }
            if (a.is("(")) ++depth;
            if (a.is(")")) {
                if (depth == 0) break;
                --depth;
            }
            if (a.is(",") && depth == 0 && !(m.variadic && args.size() == m.params.size())) {
                args.emplace_back();
                continue;
            }
            args.back().push_back(std::move(a));
        }
        if (m.params.empty() && args.size() == 1 && args[0].empty()) args.clear();
        if (m.variadic && args.size() + 1 == m.params.size()) args.emplace_back();
        if (args.size() != m.params.size()) {
            diag_.error(t.loc, "macro '" + t.text + "' takes " + std::to_string(m.params.size()) +
                                   " arguments, not " + std::to_string(args.size()));
            return true;
        }
        std::vector<Token> body = substitute(m, args, t);
        HideSet hs = addHide(t.hide, t.text);
        pushBack(body, hs, t);
        return true;
    }

    void pushBack(std::vector<Token>& body, const HideSet& hs, const Token& at) {
        for (auto it = body.rbegin(); it != body.rend(); ++it) {
            Token tok = *it;
            HideSet h = hs;
            if (tok.hide)
                for (auto& n : *tok.hide) h = addHide(h, n);
            tok.hide = h;
            tok.loc = at.loc;
            tok.bol = false;
            if (it == body.rend() - 1) tok.space = at.space;
            pending_.push_back(std::move(tok));
        }
    }

    static std::string stringize(const std::vector<Token>& arg) {
        std::string s = "\"";
        for (size_t i = 0; i < arg.size(); ++i) {
            if (i > 0 && arg[i].space) s += ' ';
            for (char c : arg[i].text) {
                if ((arg[i].kind == Tok::String || arg[i].kind == Tok::Char) &&
                    (c == '"' || c == '\\'))
                    s += '\\';
                s += c;
            }
        }
        return s + "\"";
    }

    std::vector<Token> substitute(const Macro& m, const std::vector<std::vector<Token>>& args,
                                  const Token& at) {
        auto param = [&](const Token& t) -> int {
            if (t.kind != Tok::Ident) return -1;
            for (size_t i = 0; i < m.params.size(); ++i)
                if (m.params[i] == t.text) return int(i);
            return -1;
        };
        std::vector<Token> out;
        const auto& b = m.body;
        for (size_t i = 0; i < b.size(); ++i) {
            if (m.function && b[i].is("#") && i + 1 < b.size() && param(b[i + 1]) >= 0) {
                Token s = b[i];
                s.kind = Tok::String;
                s.text = stringize(args[size_t(param(b[i + 1]))]);
                out.push_back(s);
                ++i;
                continue;
            }
            if (b[i].is("##") && !out.empty() && i + 1 < b.size()) {
                // Paste the last token with the first of the right operand.
                std::vector<Token> right;
                int p = param(b[i + 1]);
                if (p >= 0)
                    right = args[size_t(p)];
                else
                    right.push_back(b[i + 1]);
                ++i;
                if (right.empty()) continue;
                Token& l = out.back();
                const SourceFile* f = diag_.addFile("<paste>", l.text + right[0].text);
                std::vector<Token> pasted = lexFile(*f, diag_);
                if (pasted.size() != 2) {
                    diag_.error(at.loc, "pasting '" + l.text + "' and '" + right[0].text +
                                            "' does not give a valid token");
                } else {
                    pasted[0].loc = l.loc;
                    pasted[0].space = l.space;
                    pasted[0].hide = l.hide;
                    l = pasted[0];
                }
                for (size_t k = 1; k < right.size(); ++k) out.push_back(right[k]);
                continue;
            }
            int p = param(b[i]);
            if (p >= 0 && m.function) {
                const bool pastedNext = i + 1 < b.size() && b[i + 1].is("##");
                std::vector<Token> a = pastedNext ? args[size_t(p)] : expandList(args[size_t(p)]);
                for (size_t k = 0; k < a.size(); ++k) {
                    if (k == 0) a[k].space = b[i].space;
                    out.push_back(a[k]);
                }
                continue;
            }
            out.push_back(b[i]);
        }
        return out;
    }

    const PreprocessOptions& opt_;
    Diagnostics& diag_;
    std::map<std::string, Macro> macros_;
    std::vector<Input> inputs_;
    std::vector<size_t> condBase_;
    std::vector<Cond> conds_;
    std::vector<Token> pending_;  // a stack: the next token is at the back
    std::vector<Token> out_;
    std::vector<Token> ifToks_;
    int ifUnevaluated_ = 0;  // inside operands that && || ?: do not evaluate
    size_t ifPos_ = 0;
    Loc ifLoc_;
};

}  // namespace

std::vector<Token> preprocess(const std::string& path, const PreprocessOptions& options,
                              Diagnostics& diag) {
    return Preprocessor(options, diag).run(path);
}

}  // namespace corvane::cc
