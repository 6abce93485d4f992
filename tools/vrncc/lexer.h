#pragma once
// Preprocessing tokens of a C source file.

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tools/vrncc/diagnostics.h"

namespace corvane::cc {

enum class Tok { Ident, Number, Char, String, Punct, End };

using HideSet = std::shared_ptr<const std::set<std::string>>;

struct Token {
    Tok kind = Tok::End;
    std::string text;  // spelling as in the source (strings and characters with their quotes)
    Loc loc;
    bool bol = false;       // first token of a line
    bool space = false;     // white space before it
    HideSet hide;           // macros that must not expand this token again
    bool unclosed = false;  // a string or character constant the line ended: an error where
                            // the token is not skipped by #if
    bool is(const char* p) const { return kind == Tok::Punct && text == p; }
    bool isIdent(const char* s) const { return kind == Tok::Ident && text == s; }
};

// Splits a whole file into tokens, the last one of kind End. Comments become white space.
std::vector<Token> lexFile(const SourceFile& file, Diagnostics& diag);

}  // namespace corvane::cc
