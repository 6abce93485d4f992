#pragma once
// Splits one line of assembly source into tokens.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::vrnasm {

enum class TokKind : uint8_t { Ident, Number, String, Punct };

struct Token {
    TokKind kind = TokKind::Punct;
    std::string text;   // identifier, punctuation ("<<", ">>" or one character), or string bytes
    int64_t value = 0;  // numbers and character literals
    int column = 0;     // 1-based column of the token's first character
};

struct LexError {
    int column = 0;
    std::string message;
};

// Tokens of `line` up to its comment. Strings and character literals come out as GB2312 bytes
// with their escapes resolved.
std::optional<LexError> tokenizeLine(std::string_view line, std::vector<Token>& tokens);

// Offset of the ';' that starts the line's comment (outside quotes), or line.size().
size_t commentStart(std::string_view line);

bool isIdentStart(char c);
bool isIdentChar(char c);

}  // namespace corvane::vrnasm
