// Expressions, from the comma operator down to primary expressions.

#include <cctype>
#include <cstring>

#include "library/gb2312.h"
#include "tools/vrncc/parser.h"
#include "tools/vrncc/warnings.h"

namespace corvane::cc {

// expression = assignment ("," assignment)*
Expr* Parser::expression() {
    Expr* e = assignment();
    while (tok().is(",")) {
        Loc l = take().loc;
        Expr* r = assignment();
        Expr* c = prog_.newExpr(Op::Comma, rvalue(r)->type, l);
        c->a = e;
        c->b = rvalue(r);
        e = c;
    }
    return e;
}

// assignment = conditional (("=" | "*=" | "/=" | "%=" | "+=" | "-=" | "<<=" | ">>=" | "&="
//                           | "^=" | "|=") assignment)?
Expr* Parser::assignment() {
    Expr* lhs = conditional();
    static const std::pair<const char*, Op> kOps[] = {
        {"*=", Op::Mul},  {"/=", Op::Div},  {"%=", Op::Mod}, {"+=", Op::Add}, {"-=", Op::Sub},
        {"<<=", Op::Shl}, {">>=", Op::Shr}, {"&=", Op::And}, {"^=", Op::Xor}, {"|=", Op::Or}};
    if (tok().is("=")) {
        Loc l = take().loc;
        return makeAssign(lhs, assignment(), l);
    }
    for (auto& [p, op] : kOps) {
        if (tok().is(p)) {
            Loc l = take().loc;
            return makeCompound(op, lhs, assignment(), l);
        }
    }
    return lhs;
}

// conditional = binary ("?" expression ":" conditional)?
Expr* Parser::conditional() {
    Expr* c = binary(1);
    if (!tok().is("?")) return c;
    Loc l = take().loc;
    c = cond(c);
    Expr* a = rvalue(expression());
    expect(":");
    Expr* b = rvalue(conditional());
    Type* t;
    if (isArithmetic(a->type) && isArithmetic(b->type)) {
        t = commonType(types_, a->type, b->type);
        a = convert(a, t);
        b = convert(b, t);
    } else if (isVoid(a->type) || isVoid(b->type)) {
        t = types_.voidT;
    } else if (isPointer(a->type) && isPointer(b->type)) {
        t = isVoid(a->type->base) ? b->type : a->type;
    } else if (isPointer(a->type) && isInteger(b->type)) {
        t = a->type;
        b = convert(b, t);
    } else if (isInteger(a->type) && isPointer(b->type)) {
        t = b->type;
        a = convert(a, t);
    } else if (isAggregate(a->type) && isAggregate(b->type) && compatible(a->type, b->type)) {
        t = a->type;
    } else {
        fail(l, "the two results of ?: have different types (" + typeText(a->type) + " and " +
                    typeText(b->type) + ")");
    }
    Expr* e = prog_.newExpr(Op::Cond, t, l);
    e->a = c;
    e->b = a;
    e->c = b;
    return fold(e);
}

// binary = cast (binary-op cast)*, binding by precedence from "||" (loosest) through "&&",
//          "|", "^", "&", "==" "!=", "<" ">" "<=" ">=", "<<" ">>", "+" "-" to "*" "/" "%"
Expr* Parser::binary(int minPrec) {
    struct BinOp {
        const char* p;
        int prec;
        Op op;
    };
    static const BinOp kOps[] = {{"||", 1, Op::LogOr}, {"&&", 2, Op::LogAnd}, {"|", 3, Op::Or},
                                 {"^", 4, Op::Xor},    {"&", 5, Op::And},     {"==", 6, Op::Eq},
                                 {"!=", 6, Op::Ne},    {"<", 7, Op::Lt},      {">", 7, Op::Gt},
                                 {"<=", 7, Op::Le},    {">=", 7, Op::Ge},     {"<<", 8, Op::Shl},
                                 {">>", 8, Op::Shr},   {"+", 9, Op::Add},     {"-", 9, Op::Sub},
                                 {"*", 10, Op::Mul},   {"/", 10, Op::Div},    {"%", 10, Op::Mod}};
    Expr* l = castExpr();
    for (;;) {
        const BinOp* found = nullptr;
        if (tok().kind == Tok::Punct)
            for (const BinOp& b : kOps)
                if (tok().text == b.p) found = &b;
        if (!found || found->prec < minPrec) return l;
        Loc loc = take().loc;
        Expr* r = binary(found->prec + 1);
        l = makeBinary(found->op, l, r, loc);
    }
}

// cast = "(" type-name ")" cast | "(" type-name ")" "{" initializer-list "}" postfix | unary
Expr* Parser::castExpr() {
    if (tok().is("(") && isTypeName(peek(1))) {
        Loc l = take().loc;
        Type* t = typeName();
        expect(")");
        if (tok().is("{")) return postfix(compoundLiteral(t, l));
        Expr* e = rvalue(castExpr());
        if (isVoid(t)) return convert(e, t);
        if (!isScalar(t)) fail(l, "cannot cast to " + typeText(t));
        if (!isScalar(e->type)) fail(l, "cannot cast a " + typeText(e->type));
        if ((isFloating(t) && isPointer(e->type)) || (isPointer(t) && isFloating(e->type)))
            fail(l, "cannot cast a " + typeText(e->type) + " to " + typeText(t));
        Expr* c = prog_.newExpr(Op::Cast, t, l);
        c->a = e;
        return fold(c);
    }
    return unary();
}

// unary = ("++" | "--") unary | ("&" | "*" | "+" | "-" | "~" | "!") cast
//       | "sizeof" "(" type-name ")" | "sizeof" unary | postfix
Expr* Parser::unary() {
    const Token& t = tok();
    Loc l = t.loc;
    if (t.is("++") || t.is("--")) {
        bool inc = take().text == "++";
        return makeIncDec(inc ? Op::PreInc : Op::PreDec, unary(), l);
    }
    if (t.is("&")) {
        take();
        return makeAddr(castExpr(), l);
    }
    if (t.is("*")) {
        take();
        return makeDeref(castExpr(), l);
    }
    if (t.is("+") || t.is("-") || t.is("~") || t.is("!")) {
        std::string p = take().text;
        Expr* x = rvalue(castExpr());
        if (p == "!") {
            x = cond(x);
            Expr* e = prog_.newExpr(Op::LogNot, types_.intT, l);
            e->a = x;
            return fold(e);
        }
        if (!isInteger(x->type) && !(p != "~" && isFloating(x->type)))
            fail(l, "invalid operand to unary " + p + " (" + typeText(x->type) + ")");
        Type* pt = promote(types_, x->type);
        x = convert(x, pt);
        if (p == "+") return x;
        Expr* e = prog_.newExpr(p == "-" ? Op::Neg : Op::BitNot, pt, l);
        e->a = x;
        return fold(e);
    }
    if (t.isIdent("sizeof")) {
        take();
        Type* st;
        if (tok().is("(") && isTypeName(peek(1))) {
            take();
            st = typeName();
            expect(")");
        } else {
            Expr* x = unary();
            if (x->type->bits) fail(l, "sizeof of a bit-field");
            st = x->type;
        }
        int64_t s = sizeOf(st);
        if (s < 0) fail(l, "sizeof of an incomplete type " + typeText(st));
        return num(s, types_.uintT, l);
    }
    return postfix(primary());
}

// postfix = primary ("[" expression "]" | "(" arguments | "." ident | "->" ident | "++"
//                   | "--")*
Expr* Parser::postfix(Expr* e) {
    for (;;) {
        const Token& t = tok();
        Loc l = t.loc;
        if (t.is("[")) {
            take();
            Expr* i = expression();
            expect("]");
            e = makeDeref(makeBinary(Op::Add, e, i, l), l);
        } else if (t.is("(")) {
            take();
            e = call(e, l);
        } else if (t.is(".")) {
            take();
            if (tok().kind != Tok::Ident) fail(tok().loc, "expected a member name");
            e = makeMember(e, take().text, l);
        } else if (t.is("->")) {
            take();
            if (tok().kind != Tok::Ident) fail(tok().loc, "expected a member name");
            std::string name = take().text;
            Expr* p = rvalue(e);
            if (!isPointer(p->type) || !isAggregate(p->type->base))
                fail(l, "'->' needs a pointer to a struct or union, not " + typeText(p->type));
            e = makeMember(makeDeref(p, l), name, l);
        } else if (t.is("++") || t.is("--")) {
            bool inc = take().text == "++";
            e = makeIncDec(inc ? Op::PostInc : Op::PostDec, e, l);
        } else {
            return e;
        }
    }
}

// arguments = (assignment ("," assignment)*)? ")"
Expr* Parser::call(Expr* fn, const Loc& loc) {
    std::vector<Expr*> args;
    if (!tok().is(")")) {
        do args.push_back(assignment());
        while (accept(","));
    }
    expect(")");
    Type* ft = fn->type;
    if (isPointer(ft) && isFunction(ft->base)) {
        ft = ft->base;
    } else if (!isFunction(ft)) {
        fail(loc, "called object is not a function (" + typeText(ft) + ")");
    }
    if (fn->op == Op::Var && fn->sym && isFunction(fn->type)) fn->sym->referenced = true;
    if (!isFunction(fn->type)) fn = rvalue(fn);
    Expr* e = prog_.newExpr(Op::Call, ft->base, loc);
    e->a = fn;
    const size_t fixed = ft->params.size();
    if (ft->prototype) {
        if (args.size() < fixed || (args.size() > fixed && !ft->variadic))
            fail(loc, "function takes " + std::to_string(fixed) + " argument" +
                          (fixed == 1 ? "" : "s") + ", not " + std::to_string(args.size()));
    }
    for (size_t i = 0; i < args.size(); ++i) {
        Expr* a = rvalue(args[i]);
        if (ft->prototype && i < fixed) {
            a = assignConvert(a, ft->params[i].type, args[i]->loc, "argument passing");
        } else {
            if (isVoid(a->type)) fail(args[i]->loc, "a void value as an argument");
            if (isInteger(a->type)) a = convert(a, promote(types_, a->type));
            // A float travels as a double where no prototype names its type.
            if (a->type->kind == Kind::Float) a = convert(a, types_.doubleT);
        }
        e->args.push_back(a);
    }
    if (ft->variadic) checkFormat(e, diag_);
    return e;
}

// string = string-literal+
//
// Reads adjacent string literals into one object with static storage. Texts that are valid
// UTF-8 are stored in GB2312, the machine's code page; other bytes are kept as they are.
Expr* Parser::stringLiteral() {
    if (tok().unclosed) throw CompileError{};  // reported where it was read
    Loc loc = tok().loc;
    std::string bytes;
    bool wide = false;
    while (tok().kind == Tok::String) {
        Token t = take();
        const std::string& s = t.text;
        const size_t quote = s[0] == 'L' ? 1 : 0;
        wide = wide || quote;
        std::string raw;
        for (size_t i = quote + 1; i + 1 < s.size(); ++i) {
            char c = s[i];
            if (c != '\\') {
                raw += c;
                continue;
            }
            char n = s[++i];
            switch (n) {
                case 'n':
                    raw += '\n';
                    break;
                case 't':
                    raw += '\t';
                    break;
                case 'r':
                    raw += '\r';
                    break;
                case 'a':
                    raw += '\a';
                    break;
                case 'b':
                    raw += '\b';
                    break;
                case 'f':
                    raw += '\f';
                    break;
                case 'v':
                    raw += '\v';
                    break;
                case 'x': {
                    int v = 0, digits = 0;
                    while (i + 1 < s.size() - 1 &&
                           std::isxdigit(static_cast<unsigned char>(s[i + 1]))) {
                        char h = s[++i];
                        v = v * 16 + (std::isdigit(static_cast<unsigned char>(h))
                                          ? h - '0'
                                          : (std::tolower(h) - 'a' + 10));
                        ++digits;
                    }
                    if (!digits) error(t.loc, "\\x needs hexadecimal digits");
                    if (v > 255) error(t.loc, "escape sequence out of range");
                    raw += char(v);
                    break;
                }
                default:
                    if (n >= '0' && n <= '7') {
                        int v = n - '0';
                        for (int k = 0; k < 2 && s[i + 1] >= '0' && s[i + 1] <= '7'; ++k)
                            v = v * 8 + (s[++i] - '0');
                        raw += char(v);
                    } else {
                        raw += n;
                    }
            }
        }
        std::string gb;
        bool ascii = true;
        for (char c : raw) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
        if (!ascii && utf8ToGb2312(raw, gb)) raw = gb;
        bytes += raw;
    }
    bytes += '\0';
    Type* elem = types_.charT;
    if (wide) {
        // L"...": one 16-bit unit per character, a GB2312 character's two bytes in one unit
        // (first byte high), stored low byte first as the machine stores every 16-bit value.
        std::string units;
        for (size_t i = 0; i < bytes.size(); ++i) {
            unsigned u = static_cast<unsigned char>(bytes[i]);
            if (u >= 0x80 && i + 1 < bytes.size() - 1)
                u = u << 8 | static_cast<unsigned char>(bytes[++i]);
            units += char(u & 0xFF);
            units += char(u >> 8);
        }
        bytes = units;
        elem = types_.ushortT;
    }
    Symbol*& lit = literals_[(wide ? "L" : "") + bytes];
    if (!lit) {
        lit = prog_.newSymbol();
        lit->name = "<string>";
        lit->type = types_.arrayOf(elem, int64_t(bytes.size()) / sizeOf(elem));
        lit->storage = Storage::Static;
        lit->isLiteral = true;
        lit->library = library_;
        lit->defined = true;
        lit->bytes.assign(bytes.begin(), bytes.end());
        lit->loc = loc;
        prog_.globals.push_back(lit);
    }
    Expr* e = prog_.newExpr(Op::Str, lit->type, loc);
    e->sym = lit;
    return e;
}

// primary = "(" expression ")" | string | number | character | builtin | "__func__" | ident
// builtin = "__builtin_va_start" "(" assignment "," assignment ")"
//         | "__builtin_va_arg" "(" assignment "," type-name ")"
//         | "__builtin_va_end" "(" assignment ")"
//         | "__builtin_expect" "(" assignment "," assignment ")"
Expr* Parser::primary() {
    const Token& t = tok();
    Loc l = t.loc;
    if (t.is("(")) {
        take();
        Expr* e = expression();
        expect(")");
        e->paren = true;
        return e;
    }
    if (t.unclosed) throw CompileError{};  // the lexer's message is the only one
    if (t.kind == Tok::String) return stringLiteral();
    if (t.kind == Tok::Number) {
        std::string s = take().text;
        const bool hex = s.rfind("0x", 0) == 0 || s.rfind("0X", 0) == 0;
        if (s.find('.') != std::string::npos ||
            s.find_first_of(hex ? "pP" : "eE") != std::string::npos)
            return floatConstant(s, l);
        bool u = false;
        int longs = 0;
        while (!s.empty() && std::strchr("uUlL", s.back())) {
            if (s.back() == 'u' || s.back() == 'U')
                u = true;
            else
                ++longs;
            s.pop_back();
        }
        uint64_t v = 0;
        bool decimal = !(s.size() > 1 && s[0] == '0');
        size_t used = 0;
        try {
            v = std::stoull(s, &used, 0);
        } catch (...) {
            fail(l, "integer constant '" + s + "' is too large");
        }
        if (used != s.size()) fail(l, "invalid integer constant '" + s + "'");
        if (longs > 2) fail(l, "invalid integer constant '" + s + "'");
        // The first type that holds the value, in C's order: a decimal constant without U
        // stays signed (int, long, long long); octal and hexadecimal ones may be unsigned.
        const bool mayUnsigned = u || !decimal;
        const bool maySigned = !u;
        Type* ty = nullptr;
        if (longs == 0 && maySigned && v <= 0x7FFF)
            ty = types_.intT;
        else if (longs == 0 && mayUnsigned && v <= 0xFFFF)
            ty = types_.uintT;
        else if (longs <= 1 && maySigned && v <= 0x7FFFFFFF)
            ty = types_.longT;
        else if (longs <= 1 && mayUnsigned && v <= 0xFFFFFFFF)
            ty = types_.ulongT;
        else if (maySigned && v <= 0x7FFFFFFFFFFFFFFFull)
            ty = types_.llongT;
        else
            ty = types_.ullongT;
        if (ty == types_.ullongT && !mayUnsigned)
            diag_.warning(l, "integer constant '" + s + "' is so large that it is unsigned",
                          Warn::Always, "overflow");
        return num(int64_t(v), ty, l);
    }
    if (t.kind == Tok::Char) {
        std::string s = take().text;
        const bool wide = s[0] == 'L';  // L'x': the 16-bit unit, as an unsigned short
        if (wide) s.erase(0, 1);
        // Reuse the string reader for the escapes.
        Token fake;
        fake.kind = Tok::String;
        fake.text = "\"" + s.substr(1, s.size() - 2) + "\"";
        fake.loc = l;
        std::vector<Token> one = {fake, Token{}};
        std::swap(one, toks_);
        size_t savedPos = pos_;
        pos_ = 0;
        const size_t globalsBefore = prog_.globals.size();
        Expr* lit = stringLiteral();
        std::swap(one, toks_);
        pos_ = savedPos;
        const std::vector<uint8_t> b = lit->sym->bytes;
        // A character constant is no object: forget the literal made for reading it.
        if (prog_.globals.size() > globalsBefore) {
            prog_.globals.pop_back();
            literals_.erase(std::string(b.begin(), b.end()));
        }
        if (b.size() < 2) fail(l, "empty character constant");
        if (b.size() > 2) {
            // Two-byte characters (a GB2312 character) keep both bytes, the first one high.
            if (b.size() == 3)
                return num(int64_t(b[0]) << 8 | b[1], wide ? types_.ushortT : types_.intT, l);
            fail(l, "character constant too long");
        }
        return num(int64_t(b[0]), wide ? types_.ushortT : types_.intT, l);
    }
    if (t.kind == Tok::Ident) {
        if (t.text == "__func__" && fn_ && !lookup("__func__")) {
            // The function's name as a static string, read as a string literal would be.
            take();
            Token fake;
            fake.kind = Tok::String;
            fake.text = "\"" + fn_->name + "\"";
            fake.loc = l;
            std::vector<Token> one = {fake, Token{}};
            std::swap(one, toks_);
            const size_t savedPos = pos_;
            pos_ = 0;
            Expr* name = stringLiteral();
            std::swap(one, toks_);
            pos_ = savedPos;
            return name;
        }
        if (t.text == "__builtin_expect") {
            // A hint for other compilers' code layout: the value is the first argument.
            take();
            expect("(");
            Expr* e = assignment();
            expect(",");
            assignment();
            expect(")");
            return e;
        }
        if (t.text == "__builtin_va_start" || t.text == "__builtin_va_arg" ||
            t.text == "__builtin_va_end") {
            std::string w = take().text;
            expect("(");
            Expr* ap = assignment();
            if (w == "__builtin_va_end") {
                expect(")");
                return convert(ap, types_.voidT);
            }
            checkLvalue(ap, l, "va_start or va_arg");
            if (w == "__builtin_va_start") {
                if (!fn_ || !fn_->varargs)
                    fail(l, "va_start outside a function with variable arguments");
                expect(",");
                assignment();
                expect(")");
                Expr* e = prog_.newExpr(Op::VaStart, types_.voidT, l);
                e->a = ap;
                return e;
            }
            expect(",");
            Type* at = typeName();
            expect(")");
            if (!isScalar(at)) fail(l, "va_arg of a " + typeText(at) + " is not supported");
            // A float argument arrived as a double (C leaves va_arg of a float undefined).
            const bool promoted = at->kind == Kind::Float;
            Expr* e = prog_.newExpr(Op::VaArg, promoted ? types_.doubleT : at, l);
            e->a = ap;
            return promoted ? convert(e, at) : e;
        }
        Token n = take();
        Symbol* s = lookup(n.text);
        if (!s) {
            if (tok().is("(")) {
                // C89: a call of an undeclared function declares it as returning int.
                diag_.warning(l, "implicit declaration of function '" + n.text + "'");
                Type* ft = types_.make(Kind::Function);
                ft->base = types_.intT;
                DeclSpec ds;
                ds.isExtern = true;
                auto saved = std::move(scopes_);
                std::vector<std::map<std::string, Symbol*>> outer(1);
                outer[0] = saved.front();
                scopes_ = std::move(outer);
                s = declareObject(ds, ft, n.text, l, true);
                saved.front() = scopes_.front();
                scopes_ = std::move(saved);
            } else {
                if (failedNames_.count(n.text)) throw CompileError{};  // reported already
                failedNames_.insert(n.text);                           // once is enough
                fail(l, "'" + n.text + "' is not declared");
            }
        }
        if (s->storage == Storage::EnumConst) return num(s->value, types_.intT, l);
        if (s->storage == Storage::Typedef) fail(l, "unexpected type name '" + n.text + "'");
        s->used = true;
        Expr* e = prog_.newExpr(Op::Var, s->type, l);
        e->sym = s->paramCopy ? s->paramCopy : s;
        e->lvalue = !isFunction(s->type);
        return e;
    }
    if (t.kind == Tok::End) fail(l, "expected an expression before end of file");
    fail(l, "expected an expression before '" + t.text + "'");
}

// compound-literal = "(" type-name ")" "{" initializer-list "}": an unnamed object. Outside a
// function it has static storage; inside one it is a local of the enclosing block, set from its
// initialiser each time the expression is reached.
Expr* Parser::compoundLiteral(Type* t, const Loc& loc) {
    if (isFunction(t) || isVoid(t)) fail(loc, "a compound literal of type " + typeText(t));
    Symbol* s = prog_.newSymbol();
    s->name = "<compound literal>";
    s->loc = loc;
    s->fileId = fileId_;
    s->library = library_;
    s->hasInit = true;
    Type* fixed = nullptr;
    initializer(t, 0, s->init, &fixed);
    s->type = fixed ? fixed : t;
    if (sizeOf(s->type) < 0) fail(loc, "a compound literal of an incomplete type");
    Expr* e;
    if (!fn_) {
        s->storage = Storage::Static;
        s->defined = true;
        prog_.globals.push_back(s);
        e = prog_.newExpr(Op::Var, s->type, loc);
    } else {
        s->storage = Storage::Local;
        s->frameOffset = frameTop_;
        frameTop_ += int(sizeOf(s->type));
        fn_->localsSize = std::max(fn_->localsSize, frameTop_);
        e = prog_.newExpr(Op::CompoundLit, s->type, loc);
    }
    e->sym = s;
    e->lvalue = true;
    return e;
}

}  // namespace corvane::cc
