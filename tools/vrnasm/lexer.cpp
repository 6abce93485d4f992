#include "tools/vrnasm/lexer.h"

#include <cctype>

#include "shared/asmtext/text_encoding.h"

namespace corvane::vrnasm {
namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads the body of a quoted literal starting after the opening quote at `pos`. Runs of
// non-ASCII text are converted from UTF-8 to GB2312; escapes give raw bytes.
std::optional<LexError> readQuoted(std::string_view line, size_t& pos, char quote,
                                   std::string& bytes) {
    const size_t start = pos - 1;
    std::string pending;  // UTF-8 text not yet converted
    size_t pendingAt = 0;
    auto flush = [&]() -> std::optional<LexError> {
        if (pending.empty()) return std::nullopt;
        size_t bad = 0;
        auto gb = asmtext::utf8ToGb2312(pending, bad);
        if (!gb) {
            return LexError{int(pendingAt + bad + 1),
                            "character cannot be written in the GB2312 code page"};
        }
        bytes += *gb;
        pending.clear();
        return std::nullopt;
    };
    while (true) {
        if (pos >= line.size()) {
            return LexError{int(start + 1), quote == '"' ? "unterminated string"
                                                         : "unterminated character literal"};
        }
        char c = line[pos];
        if (c == quote) {
            ++pos;
            return flush();
        }
        if (c == '\\') {
            if (auto e = flush()) return e;
            const size_t escAt = pos;
            if (pos + 1 >= line.size()) return LexError{int(escAt + 1), "unfinished escape"};
            char e = line[pos + 1];
            pos += 2;
            switch (e) {
                case 'n':
                    bytes += '\n';
                    break;
                case 't':
                    bytes += '\t';
                    break;
                case 'r':
                    bytes += '\r';
                    break;
                case '0':
                    bytes += '\0';
                    break;
                case '\\':
                    bytes += '\\';
                    break;
                case '"':
                    bytes += '"';
                    break;
                case '\'':
                    bytes += '\'';
                    break;
                case 'x': {
                    int hi = pos < line.size() ? hexDigit(line[pos]) : -1;
                    int lo = pos + 1 < line.size() ? hexDigit(line[pos + 1]) : -1;
                    if (hi < 0 || lo < 0) {
                        return LexError{int(escAt + 1), "\\x needs two hexadecimal digits"};
                    }
                    bytes += char(hi * 16 + lo);
                    pos += 2;
                    break;
                }
                default:
                    return LexError{int(escAt + 1), std::string("unknown escape \\") + e};
            }
            continue;
        }
        if (static_cast<unsigned char>(c) >= 0x80) {
            if (pending.empty()) pendingAt = pos;
            pending += c;
        } else {
            if (auto e = flush()) return e;
            bytes += c;
        }
        ++pos;
    }
}

std::optional<LexError> readNumber(std::string_view line, size_t& pos, Token& tok) {
    const size_t start = pos;
    int base = 10;
    if (line[pos] == '0' && pos + 1 < line.size() &&
        (line[pos + 1] == 'x' || line[pos + 1] == 'X')) {
        base = 16;
        pos += 2;
    } else if (line[pos] == '0' && pos + 1 < line.size() &&
               (line[pos + 1] == 'b' || line[pos + 1] == 'B')) {
        base = 2;
        pos += 2;
    }
    uint64_t value = 0;
    size_t digits = 0;
    while (pos < line.size() && (isIdentChar(line[pos]))) {
        int d = hexDigit(line[pos]);
        if (d < 0 || d >= base) return LexError{int(start + 1), "malformed number"};
        value = value * uint64_t(base) + uint64_t(d);
        if (value > 0xFFFFFFFFFFull) return LexError{int(start + 1), "number too large"};
        ++digits;
        ++pos;
    }
    if (digits == 0) return LexError{int(start + 1), "malformed number"};
    tok.kind = TokKind::Number;
    tok.value = int64_t(value);
    tok.text = std::string(line.substr(start, pos - start));
    return std::nullopt;
}

}  // namespace

bool isIdentStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_' || c == '.';
}

bool isIdentChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.';
}

size_t commentStart(std::string_view line) {
    char quote = 0;
    for (size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (quote != 0) {
            if (c == '\\') {
                ++i;
            } else if (c == quote) {
                quote = 0;
            }
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == ';') {
            return i;
        }
    }
    return line.size();
}

std::optional<LexError> tokenizeLine(std::string_view line, std::vector<Token>& tokens) {
    tokens.clear();
    line = line.substr(0, commentStart(line));
    size_t pos = 0;
    while (pos < line.size()) {
        char c = line[pos];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++pos;
            continue;
        }
        Token tok;
        tok.column = int(pos + 1);
        if (std::isdigit(static_cast<unsigned char>(c))) {
            if (auto e = readNumber(line, pos, tok)) return e;
        } else if (isIdentStart(c)) {
            size_t start = pos;
            while (pos < line.size() && isIdentChar(line[pos])) ++pos;
            tok.kind = TokKind::Ident;
            tok.text = std::string(line.substr(start, pos - start));
        } else if (c == '"') {
            ++pos;
            tok.kind = TokKind::String;
            if (auto e = readQuoted(line, pos, '"', tok.text)) return e;
        } else if (c == '\'') {
            ++pos;
            std::string bytes;
            if (auto e = readQuoted(line, pos, '\'', bytes)) return e;
            if (bytes.empty() || bytes.size() > 2 ||
                (bytes.size() == 2 && static_cast<unsigned char>(bytes[0]) < 0x80)) {
                return LexError{tok.column, "a character literal holds exactly one character"};
            }
            // A GB2312 character gives its two bytes in memory order when stored as a word.
            tok.kind = TokKind::Number;
            tok.value = static_cast<unsigned char>(bytes[0]);
            if (bytes.size() == 2) tok.value |= int64_t(static_cast<unsigned char>(bytes[1])) << 8;
            tok.text = std::string(line.substr(tok.column - 1, pos - size_t(tok.column - 1)));
        } else if (pos + 1 < line.size() &&
                   (line.substr(pos, 2) == "<<" || line.substr(pos, 2) == ">>" ||
                    line.substr(pos, 2) == "==" || line.substr(pos, 2) == "!=" ||
                    line.substr(pos, 2) == "<=" || line.substr(pos, 2) == ">=" ||
                    line.substr(pos, 2) == "&&" || line.substr(pos, 2) == "||")) {
            tok.kind = TokKind::Punct;
            tok.text = std::string(line.substr(pos, 2));
            pos += 2;
        } else if (std::string_view(",:()+-*/%&|^~=<>!").find(c) != std::string_view::npos) {
            tok.kind = TokKind::Punct;
            tok.text = std::string(1, c);
            ++pos;
        } else {
            return LexError{tok.column, std::string("unexpected character '") + c + "'"};
        }
        tokens.push_back(std::move(tok));
    }
    return std::nullopt;
}

}  // namespace corvane::vrnasm
