#pragma once
// Expressions in operands and directives: numbers, symbols and the C operators
// || && | ^ & == != < <= > >= << >> + - * / % with unary - + ~ ! and parentheses, evaluated in
// 64 bits; comparisons give 1 or 0.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tools/vrnasm/lexer.h"

namespace corvane::vrnasm {

struct Expr {
    enum class Kind : uint8_t { Number, Symbol, Unary, Binary };
    Kind kind = Kind::Number;
    std::string op;  // operator text for Unary and Binary
    int64_t value = 0;
    std::string name;  // symbol name, local names already qualified with their scope
    int column = 0;
    std::shared_ptr<const Expr> lhs, rhs;
};
using ExprPtr = std::shared_ptr<const Expr>;

struct ExprError {
    int column = 0;
    std::string message;
};

// Parses an expression from tokens[pos...]; stops before the first token that cannot continue
// it (a comma, the end). A name starting with '.' is a local label of `scope` and comes out as
// scope + name.
ExprPtr parseExpression(const std::vector<Token>& tokens, size_t& pos, const std::string& scope,
                        ExprError& error);

// Gives a symbol's value, or nullopt after filling in the error.
using SymbolResolver = std::function<std::optional<int64_t>(const Expr& symbol, ExprError& error)>;

std::optional<int64_t> evaluate(const Expr& expr, const SymbolResolver& resolve, ExprError& error);

// Fully qualified name of a symbol written in source: local names (".x") join their scope.
// Returns an empty string when a local name has no scope.
std::string qualifyName(const std::string& name, const std::string& scope);

}  // namespace corvane::vrnasm
