#include "tools/vrnasm/expr.h"

#include <array>
#include <limits>

namespace corvane::vrnasm {
namespace {

// Binary operators by precedence level, loosest first.
constexpr std::array<std::array<const char*, 4>, 10> kLevels = {{
    {"||", nullptr, nullptr, nullptr},
    {"&&", nullptr, nullptr, nullptr},
    {"|", nullptr, nullptr, nullptr},
    {"^", nullptr, nullptr, nullptr},
    {"&", nullptr, nullptr, nullptr},
    {"==", "!=", nullptr, nullptr},
    {"<", "<=", ">", ">="},
    {"<<", ">>", nullptr, nullptr},
    {"+", "-", nullptr, nullptr},
    {"*", "/", "%", nullptr},
}};

class Parser {
  public:
    Parser(const std::vector<Token>& tokens, size_t& pos, const std::string& scope,
           ExprError& error)
        : tokens_(tokens), pos_(pos), scope_(scope), error_(error) {}

    ExprPtr parseLevel(size_t level) {
        if (level == kLevels.size()) return parseUnary();
        ExprPtr lhs = parseLevel(level + 1);
        while (lhs) {
            const Token* t = peekPunct();
            if (t == nullptr || !isOperatorOf(level, t->text)) break;
            ++pos_;
            ExprPtr rhs = parseLevel(level + 1);
            if (!rhs) return nullptr;
            auto node = std::make_shared<Expr>();
            node->kind = Expr::Kind::Binary;
            node->op = t->text;
            node->column = t->column;
            node->lhs = lhs;
            node->rhs = rhs;
            lhs = node;
        }
        return lhs;
    }

  private:
    const Token* peekPunct() const {
        if (pos_ < tokens_.size() && tokens_[pos_].kind == TokKind::Punct) return &tokens_[pos_];
        return nullptr;
    }

    static bool isOperatorOf(size_t level, const std::string& text) {
        for (const char* op : kLevels[level]) {
            if (op != nullptr && text == op) return true;
        }
        return false;
    }

    // The column just after the last token, where a missing part would go.
    int endColumn() const {
        if (tokens_.empty()) return 1;
        return tokens_.back().column + int(tokens_.back().text.size());
    }

    ExprPtr fail(int column, std::string message) {
        if (error_.message.empty()) error_ = {column, std::move(message)};
        return nullptr;
    }

    ExprPtr parseUnary() {
        if (pos_ >= tokens_.size()) return fail(endColumn(), "expression expected");
        const Token& t = tokens_[pos_];
        if (t.kind == TokKind::Punct &&
            (t.text == "-" || t.text == "+" || t.text == "~" || t.text == "!")) {
            ++pos_;
            ExprPtr operand = parseUnary();
            if (!operand) return nullptr;
            auto node = std::make_shared<Expr>();
            node->kind = Expr::Kind::Unary;
            node->op = t.text;
            node->column = t.column;
            node->lhs = operand;
            return node;
        }
        if (t.kind == TokKind::Punct && t.text == "(") {
            ++pos_;
            ExprPtr inner = parseLevel(0);
            if (!inner) return nullptr;
            if (pos_ >= tokens_.size() || tokens_[pos_].text != ")" ||
                tokens_[pos_].kind != TokKind::Punct) {
                return fail(pos_ < tokens_.size() ? tokens_[pos_].column : endColumn(),
                            "')' expected");
            }
            ++pos_;
            return inner;
        }
        if (t.kind == TokKind::Number) {
            ++pos_;
            auto node = std::make_shared<Expr>();
            node->kind = Expr::Kind::Number;
            node->value = t.value;
            node->column = t.column;
            return node;
        }
        if (t.kind == TokKind::Ident) {
            std::string name = qualifyName(t.text, scope_);
            if (name.empty()) {
                return fail(t.column, "local label '" + t.text + "' has no global label before it");
            }
            ++pos_;
            auto node = std::make_shared<Expr>();
            node->kind = Expr::Kind::Symbol;
            node->name = std::move(name);
            node->column = t.column;
            return node;
        }
        if (t.kind == TokKind::String) return fail(t.column, "a string is not allowed here");
        return fail(t.column, "expression expected before '" + t.text + "'");
    }

    const std::vector<Token>& tokens_;
    size_t& pos_;
    const std::string& scope_;
    ExprError& error_;
};

}  // namespace

std::string qualifyName(const std::string& name, const std::string& scope) {
    if (name.empty() || name[0] != '.') return name;
    if (scope.empty()) return {};
    return scope + name;
}

ExprPtr parseExpression(const std::vector<Token>& tokens, size_t& pos, const std::string& scope,
                        ExprError& error) {
    Parser parser(tokens, pos, scope, error);
    return parser.parseLevel(0);
}

std::optional<int64_t> evaluate(const Expr& expr, const SymbolResolver& resolve, ExprError& error) {
    switch (expr.kind) {
        case Expr::Kind::Number:
            return expr.value;
        case Expr::Kind::Symbol:
            return resolve(expr, error);
        case Expr::Kind::Unary: {
            auto v = evaluate(*expr.lhs, resolve, error);
            if (!v) return std::nullopt;
            // Wrapping arithmetic in unsigned 64 bits: no undefined overflow on odd input.
            if (expr.op == "-") return int64_t(0 - uint64_t(*v));
            if (expr.op == "~") return ~*v;
            if (expr.op == "!") return *v == 0 ? 1 : 0;
            return *v;
        }
        case Expr::Kind::Binary: {
            auto a = evaluate(*expr.lhs, resolve, error);
            if (!a) return std::nullopt;
            auto b = evaluate(*expr.rhs, resolve, error);
            if (!b) return std::nullopt;
            const uint64_t ua = uint64_t(*a), ub = uint64_t(*b);
            const std::string& op = expr.op;
            if (op == "+") return int64_t(ua + ub);
            if (op == "-") return int64_t(ua - ub);
            if (op == "*") return int64_t(ua * ub);
            if (op == "&") return *a & *b;
            if (op == "|") return *a | *b;
            if (op == "^") return *a ^ *b;
            if (op == "<<") return int64_t(ua << (ub & 63));
            if (op == ">>") return *a >> (ub & 63);
            if (op == "&&") return (*a != 0 && *b != 0) ? 1 : 0;
            if (op == "||") return (*a != 0 || *b != 0) ? 1 : 0;
            if (op == "==") return *a == *b ? 1 : 0;
            if (op == "!=") return *a != *b ? 1 : 0;
            if (op == "<") return *a < *b ? 1 : 0;
            if (op == "<=") return *a <= *b ? 1 : 0;
            if (op == ">") return *a > *b ? 1 : 0;
            if (op == ">=") return *a >= *b ? 1 : 0;
            if (*b == 0) {
                error = {expr.column, "division by zero"};
                return std::nullopt;
            }
            if (*a == std::numeric_limits<int64_t>::min() && *b == -1) return *a;
            if (op == "/") return *a / *b;
            return *a % *b;
        }
    }
    return std::nullopt;
}

}  // namespace corvane::vrnasm
