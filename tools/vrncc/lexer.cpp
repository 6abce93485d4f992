#include "tools/vrncc/lexer.h"

#include <cctype>
#include <cstring>

namespace corvane::cc {
namespace {

class Lexer {
  public:
    Lexer(const SourceFile& f, Diagnostics& d) : f_(f), s_(f.text), diag_(d) {}

    std::vector<Token> run() {
        std::vector<Token> out;
        bool bol = true, space = false;
        for (;;) {
            skipSplices();
            if (i_ >= s_.size()) break;
            char c = s_[i_];
            if (c == '\n') {
                advance();
                bol = true;
                space = false;
                continue;
            }
            if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
                advance();
                space = true;
                continue;
            }
            if (c == '/' && peek(1) == '/') {
                while (i_ < s_.size() && s_[i_] != '\n') advance();
                space = true;
                continue;
            }
            if (c == '/' && peek(1) == '*') {
                const Loc start = loc();
                advance();
                advance();
                bool closed = false;
                while (i_ < s_.size()) {
                    if (s_[i_] == '*' && peek(1) == '/') {
                        advance();
                        advance();
                        closed = true;
                        break;
                    }
                    advance();
                }
                if (!closed) diag_.error(start, "comment is not closed");
                space = true;
                continue;
            }
            Token t;
            t.loc = loc();
            t.bol = bol;
            t.space = space;
            bol = space = false;
            size_t prefix = 0;  // L of a wide character constant or string
            if (c == 'L' && (peek(1) == '\'' || peek(1) == '"')) {
                take(t);
                c = s_[i_];
                prefix = 1;
            }
            if (!prefix && (std::isalpha(uc(c)) || c == '_' || uc(c) >= 0x80)) {
                while (i_ < s_.size() &&
                       (std::isalnum(uc(s_[i_])) || s_[i_] == '_' || uc(s_[i_]) >= 0x80))
                    take(t);
                t.kind = Tok::Ident;
            } else if (std::isdigit(uc(c)) || (c == '.' && std::isdigit(uc(peek(1))))) {
                // A preprocessing number: digits, letters, dots and exponent signs.
                take(t);
                while (i_ < s_.size()) {
                    char d = s_[i_];
                    if ((d == '+' || d == '-') && !t.text.empty() &&
                        (t.text.back() == 'e' || t.text.back() == 'E' || t.text.back() == 'p' ||
                         t.text.back() == 'P')) {
                        take(t);
                    } else if (std::isalnum(uc(d)) || d == '.' || d == '_') {
                        take(t);
                    } else {
                        break;
                    }
                }
                t.kind = Tok::Number;
            } else if (c == '"' || c == '\'') {
                take(t);
                const size_t afterQuote = i_;
                const int quoteLine = line_, quoteCol = col_;
                bool closed = false;
                while (i_ < s_.size() && s_[i_] != '\n') {
                    if (s_[i_] == '\\') {
                        take(t);
                        if (i_ < s_.size() && s_[i_] != '\n') take(t);
                        continue;
                    }
                    if (s_[i_] == c) {
                        take(t);
                        closed = true;
                        break;
                    }
                    take(t);
                }
                if (!closed) {
                    // The quote alone is the token, and the rest of the line is read again as
                    // tokens: one stray quote spoils nothing after it.
                    t.unclosed = true;
                    t.text.resize(prefix + 1);
                    i_ = afterQuote;
                    line_ = quoteLine;
                    col_ = quoteCol;
                }
                t.kind = c == '"' ? Tok::String : Tok::Char;
            } else {
                static const char* kPuncts[] = {"<<=", ">>=", "...", "->", "++", "--", "<<", ">>",
                                                "<=",  ">=",  "==",  "!=", "&&", "||", "*=", "/=",
                                                "%=",  "+=",  "-=",  "&=", "^=", "|=", "##"};
                t.kind = Tok::Punct;
                for (const char* p : kPuncts) {
                    const size_t n = std::strlen(p);
                    if (s_.compare(i_, n, p) == 0) {
                        for (size_t k = 0; k < n; ++k) take(t);
                        break;
                    }
                }
                if (t.text.empty()) {
                    if (!std::strchr("[](){}.&*+-~!/%<>^|?:;=,#", c))
                        diag_.error(t.loc, std::string("stray character '") + c + "' in program");
                    take(t);
                }
            }
            out.push_back(std::move(t));
        }
        Token end;
        end.kind = Tok::End;
        end.loc = loc();
        end.bol = true;
        out.push_back(end);
        return out;
    }

  private:
    static unsigned char uc(char c) { return static_cast<unsigned char>(c); }
    char peek(size_t k) const {
        // Looks ahead over line splices, as the characters after them are the ones that count.
        size_t j = i_;
        for (size_t n = 0;; ++n) {
            while (j + 1 < s_.size() && s_[j] == '\\' &&
                   (s_[j + 1] == '\n' ||
                    (s_[j + 1] == '\r' && j + 2 < s_.size() && s_[j + 2] == '\n')))
                j += s_[j + 1] == '\n' ? 2 : 3;
            if (j >= s_.size()) return '\0';
            if (n == k) return s_[j];
            ++j;
        }
    }
    void skipSplices() {
        while (i_ + 1 < s_.size() && s_[i_] == '\\' &&
               (s_[i_ + 1] == '\n' ||
                (s_[i_ + 1] == '\r' && i_ + 2 < s_.size() && s_[i_ + 2] == '\n'))) {
            i_ += s_[i_ + 1] == '\n' ? 2 : 3;
            ++line_;
            col_ = 1;
        }
    }
    void advance() {
        if (s_[i_] == '\n') {
            ++line_;
            col_ = 1;
        } else {
            ++col_;
        }
        ++i_;
        skipSplices();
    }
    void take(Token& t) {
        t.text += s_[i_];
        advance();
    }
    Loc loc() const { return Loc{&f_, line_, col_}; }

    const SourceFile& f_;
    const std::string& s_;
    Diagnostics& diag_;
    size_t i_ = 0;
    int line_ = 1, col_ = 1;
};

}  // namespace

std::vector<Token> lexFile(const SourceFile& file, Diagnostics& diag) {
    return Lexer(file, diag).run();
}

}  // namespace corvane::cc
