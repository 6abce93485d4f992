// Declarations: specifiers, declarators, initialisers, function definitions.

#include <algorithm>
#include <set>

#include "shared/debuginfo/check_trap.h"
#include "tools/vrncc/parser.h"
#include "tools/vrncc/warnings.h"
#include "vm/opcodes.h"

namespace corvane::cc {

Parser::Parser(Program& prog, Diagnostics& diag, std::vector<Token> tokens, int fileId,
               bool library)
    : prog_(prog),
      types_(prog.types),
      diag_(diag),
      toks_(std::move(tokens)),
      fileId_(fileId),
      library_(library) {
    pushScope();
}

const Token& Parser::peek(int k) const {
    size_t i = std::min(pos_ + size_t(k), toks_.size() - 1);
    return toks_[i];
}

Token Parser::take() {
    Token t = toks_[pos_];
    if (pos_ + 1 < toks_.size()) ++pos_;
    return t;
}

bool Parser::accept(const char* p) {
    if (tok().is(p)) {
        take();
        return true;
    }
    return false;
}

void Parser::expect(const char* p) {
    if (!accept(p))
        fail(tok().loc, std::string("expected '") + p + "' before " +
                            (tok().kind == Tok::End ? "end of file" : "'" + tok().text + "'"));
}

void Parser::fail(const Loc& loc, const std::string& message) {
    diag_.error(loc, message);
    throw CompileError{};
}

void Parser::skipTo(const char* a, const char* b) {
    int depth = 0;
    while (tok().kind != Tok::End) {
        if (tok().is("{")) ++depth;
        if (tok().is("}")) {
            if (depth == 0) return;
            --depth;
            if (depth == 0 && b && std::string(b) == "}") {
                take();
                return;
            }
        }
        if (depth == 0 && tok().is(a)) {
            take();
            return;
        }
        take();
    }
}

// After an error in the statement or declaration that began at `start`: skips to its end, so
// the next one is read afresh and one mistake gives one message. What the error left open is
// closed first. A block ends the statement when it is a body (after ")" or "else", or the
// statement itself); a struct, enum or initialiser block is followed on to its ";".
void Parser::resync(size_t start) {
    if (pos_ == start && tok().kind != Tok::End) take();  // always move on
    int braces = 0, parens = 0;
    bool body = false;
    auto count = [&](size_t i) {
        const Token& t = toks_[i];
        if (t.is("{")) {
            if (braces++ == 0 && parens == 0)
                body = i == start || toks_[i - 1].is(")") || toks_[i - 1].isIdent("else");
        } else if (t.is("}")) {
            braces = std::max(0, braces - 1);
        } else if (t.is("(")) {
            ++parens;
        } else if (t.is(")")) {
            parens = std::max(0, parens - 1);
        }
    };
    for (size_t i = start; i < pos_; ++i) count(i);
    while (tok().kind != Tok::End) {
        if (braces == 0 && tok().is("}")) return;  // the end of the enclosing block
        if (braces == 0 && parens == 0 && tok().is(";")) {
            take();
            return;
        }
        const bool closing = braces == 1 && parens == 0 && tok().is("}");
        count(pos_);
        take();
        if (closing && body && !tok().isIdent("else")) return;
    }
}

void Parser::pushScope() {
    scopes_.emplace_back();
    tags_.emplace_back();
}

void Parser::popScope() {
    scopes_.pop_back();
    tags_.pop_back();
}

Symbol* Parser::lookup(const std::string& name) const {
    for (auto it = scopes_.rbegin(); it != scopes_.rend(); ++it) {
        auto f = it->find(name);
        if (f != it->end()) return f->second;
    }
    return nullptr;
}

void Parser::declare(Symbol* s) {
    scopes_.back()[s->name] = s;
}

bool Parser::isTypeName(const Token& t) const {
    if (t.kind != Tok::Ident) return false;
    static const char* kWords[] = {"void",   "char",     "short",  "int",    "long",
                                   "signed", "unsigned", "struct", "union",  "enum",
                                   "const",  "volatile", "float",  "double", "_Bool"};
    for (const char* w : kWords)
        if (t.text == w) return true;
    Symbol* s = lookup(t.text);
    return s && s->storage == Storage::Typedef;
}

// A declaration whose type is a name nobody declared ("mytype x;"): reported once, and the
// name becomes an int typedef so that the declaration and the later uses read on.
bool Parser::unknownTypeName() {
    static const std::set<std::string> kKeywords = {
        "auto",     "break",  "case",   "char",     "const",    "continue", "default",  "do",
        "double",   "else",   "enum",   "extern",   "float",    "for",      "goto",     "if",
        "inline",   "int",    "long",   "register", "restrict", "return",   "short",    "signed",
        "sizeof",   "static", "struct", "switch",   "typedef",  "union",    "unsigned", "void",
        "volatile", "while",  "_Bool",  "__inline", "__syscall"};
    const Token& t = tok();
    if (t.kind != Tok::Ident || kKeywords.count(t.text) || lookup(t.text)) return false;
    const bool declares =
        peek(1).kind == Tok::Ident ||
        (peek(1).is("*") && peek(2).kind == Tok::Ident &&
         (peek(3).is(";") || peek(3).is("=") || peek(3).is(",") || peek(3).is("[")));
    if (!declares) return false;
    error(t.loc, "unknown type name '" + t.text + "'");
    Symbol* s = prog_.newSymbol();
    s->name = t.text;
    s->type = types_.intT;
    s->storage = Storage::Typedef;
    s->loc = t.loc;
    declare(s);
    return true;
}

bool Parser::startsDeclaration() const {
    const Token& t = tok();
    if (t.kind != Tok::Ident) return false;
    static const char* kWords[] = {"typedef", "extern", "static", "auto", "register", "inline"};
    for (const char* w : kWords)
        if (t.text == w) return true;
    return isTypeName(t);
}

// decl-specifiers = ("typedef" | "extern" | "static" | "auto" | "register" | "inline"
//                   | "const" | "volatile" | "signed" | "unsigned" | "short" | "long"
//                   | "void" | "char" | "int" | "float" | "double" | "_Bool"
//                   | ("struct" | "union") record
//                   | "enum" enum | typedef-name)+
Parser::DeclSpec Parser::declSpecifiers(bool allowStorage) {
    DeclSpec ds;
    ds.loc = tok().loc;
    int isSigned = 0, isUnsigned = 0, shorts = 0, longs = 0;
    enum { None, Void, Char, Int, Bool, Float, Double, Other } base = None;
    Type* other = nullptr;
    bool isConst = false, isVolatile = false;
    for (;;) {
        const Token& t = tok();
        if (t.kind != Tok::Ident) break;
        const std::string& w = t.text;
        if (w == "typedef" || w == "extern" || w == "static" || w == "auto" || w == "register") {
            if (!allowStorage) error(t.loc, "'" + w + "' is not allowed here");
            if (w == "typedef") ds.isTypedef = true;
            if (w == "extern") ds.isExtern = true;
            if (w == "static") ds.isStatic = true;
            take();
        } else if (w == "inline" || w == "__inline") {
            take();
        } else if (w == "const") {
            isConst = true;
            take();
        } else if (w == "volatile") {
            isVolatile = true;
            take();
        } else if (w == "signed" || w == "__signed__") {
            ++isSigned;
            take();
        } else if (w == "unsigned") {
            ++isUnsigned;
            take();
        } else if (w == "short") {
            ++shorts;
            take();
        } else if (w == "long") {
            ++longs;
            take();
        } else if (w == "void" || w == "char" || w == "int") {
            if (base != None) error(t.loc, "two types in one declaration");
            base = w == "void" ? Void : w == "char" ? Char : Int;
            take();
        } else if (w == "_Bool") {
            if (base != None) error(t.loc, "two types in one declaration");
            base = Bool;
            take();
        } else if (w == "float" || w == "double") {
            if (base != None) error(t.loc, "two types in one declaration");
            base = w == "float" ? Float : Double;
            take();
        } else if (w == "struct" || w == "union") {
            if (base != None) error(t.loc, "two types in one declaration");
            take();
            other = recordSpecifier(w == "union");
            base = Other;
        } else if (w == "enum") {
            if (base != None) error(t.loc, "two types in one declaration");
            take();
            other = enumSpecifier();
            base = Other;
        } else if (base == None && !isSigned && !isUnsigned && !shorts && !longs) {
            Symbol* s = lookup(w);
            if (!s || s->storage != Storage::Typedef) break;
            take();
            other = s->type;
            base = Other;
        } else {
            break;
        }
        ds.any = true;
    }
    Type* t;
    if (base == Other) {
        t = other;
        if (isSigned || isUnsigned || shorts || longs) error(ds.loc, "invalid type specifiers");
    } else if (base == Void) {
        t = types_.voidT;
    } else if (base == Bool) {
        t = types_.boolT;
        if (isSigned || isUnsigned || shorts || longs) error(ds.loc, "invalid type specifiers");
    } else if (base == Float || base == Double) {
        // long double is double: the one binary64 format the runtime library computes in.
        t = base == Float ? types_.floatT : types_.doubleT;
        if (isSigned || isUnsigned || shorts || longs > (base == Double ? 1 : 0))
            error(ds.loc, "invalid type specifiers");
    } else if (base == Char) {
        t = isUnsigned ? types_.ucharT : isSigned ? types_.scharT : types_.charT;
        if (shorts || longs) error(ds.loc, "invalid type specifiers");
    } else {
        if (longs > 2) error(ds.loc, "'long long long' is too long");
        if (longs >= 2)
            t = isUnsigned ? types_.ullongT : types_.llongT;
        else if (longs)
            t = isUnsigned ? types_.ulongT : types_.longT;
        else if (shorts)
            t = isUnsigned ? types_.ushortT : types_.shortT;
        else
            t = isUnsigned ? types_.uintT : types_.intT;
        if (base == None && !ds.any && !isConst && !isVolatile) t = nullptr;
    }
    if (t && (isConst || isVolatile)) {
        t = types_.copy(t);
        t->isConst = t->isConst || isConst;
        t->isVolatile = t->isVolatile || isVolatile;
    }
    if (isConst || isVolatile) ds.any = true;
    ds.type = t;
    return ds;
}

// record = ident? ("{" (decl-specifiers (declarator ("," declarator)*)? ";")* "}")?
Type* Parser::recordSpecifier(bool isUnion) {
    std::string tag;
    Loc loc = tok().loc;
    if (tok().kind == Tok::Ident) tag = take().text;
    Type* t = nullptr;
    if (!tag.empty()) {
        // A body or a lone "struct x;" declares the tag in this scope; a use looks outward.
        bool here = tok().is("{") || (tok().is(";") && !tag.empty());
        if (here) {
            auto f = tags_.back().find(tag);
            if (f != tags_.back().end()) t = f->second;
        } else {
            for (auto it = tags_.rbegin(); it != tags_.rend() && !t; ++it) {
                auto f = it->find(tag);
                if (f != it->end()) t = f->second;
            }
        }
        if (t && (t->kind == Kind::Union) != isUnion)
            fail(loc, "'" + tag + "' was declared as a " + (isUnion ? "struct" : "union"));
    }
    if (!t) {
        t = types_.make(isUnion ? Kind::Union : Kind::Struct);
        t->record = types_.newRecord();
        t->record->tag = tag.empty() ? "<anonymous>" : tag;
        t->record->isUnion = isUnion;
        t->record->loc = loc;
        if (!tag.empty()) tags_.back()[tag] = t;
    }
    if (!accept("{")) return t;
    Record* r = t->record;
    if (r->complete) fail(loc, "redefinition of " + typeText(t));
    int offset = 0, size = 0;
    BitUnit unit;
    while (!accept("}")) {
        if (tok().kind == Tok::End) fail(tok().loc, "expected '}' at the end of " + typeText(t));
        const size_t start = pos_;
        try {
            member(r, offset, size, unit);
        } catch (const CompileError&) {
            // One member in error: the others are read, the record stays usable.
            r->broken = true;
            resync(start);
        }
    }
    r->size = isUnion ? size : offset;
    r->complete = true;
    return t;
}

// member = decl-specifiers (declarator (":" constant)? ("," declarator (":" constant)?)*)? ";"
//
// Bit-fields are packed into allocation units of their declared type (1, 2, 4 or 8 bytes),
// from the least significant bit up. A bit-field goes into the unit that the bit-fields before
// it opened when that unit has the same size and enough bits left; otherwise it opens a new
// unit after everything laid out so far. A field never straddles two units. A zero-width
// bit-field and any other member close the open unit. In a union every member starts at bit 0
// of offset 0.
void Parser::member(Record* r, int& offset, int& size, BitUnit& unit) {
    const bool isUnion = r->isUnion;
    if (r->flexible) fail(tok().loc, "a flexible array member must be the last member");
    DeclSpec ds = declSpecifiers(false);
    if (!ds.type) fail(tok().loc, "expected a member declaration");
    if (accept(";")) {
        // An unnamed struct or union member: its members become ours.
        unit.start = -1;
        if (isAggregate(ds.type) && ds.type->record->complete) {
            for (const Member& m : ds.type->record->members)
                r->members.push_back({m.name, m.type, (isUnion ? 0 : offset) + m.offset});
            int s = ds.type->record->size;
            if (isUnion)
                size = std::max(size, s);
            else
                offset += s;
        }
        return;
    }
    do {
        std::string name;
        Loc mloc = tok().loc;
        Type* mt = tok().is(":") ? ds.type : declarator(ds.type, name, mloc, nullptr);
        if (accept(":")) {
            bitField(r, mt, name, mloc, offset, size, unit);
            continue;
        }
        unit.start = -1;
        int64_t s = sizeOf(mt);
        if (s < 0 && isArray(mt) && mt->count < 0 && !isUnion && !r->members.empty()) {
            // A flexible array member: no room of its own, the struct ends where it starts.
            r->flexible = true;
            s = 0;
        }
        if (s < 0) fail(mloc, "member '" + name + "' has an incomplete type");
        if (isAggregate(mt) && mt->record->flexible)
            error(mloc, "a struct with a flexible array member cannot be a member");
        if (r->find(name)) error(mloc, "duplicate member '" + name + "'");
        r->members.push_back({name, mt, isUnion ? 0 : offset});
        if (isUnion)
            size = std::max(size, int(s));
        else
            offset += int(s);
    } while (accept(","));
    expect(";");
}

// bit-field = declarator? ":" constant, after the ":"
void Parser::bitField(Record* r, Type* mt, const std::string& name, const Loc& mloc, int& offset,
                      int& size, BitUnit& unit) {
    const Loc wl = tok().loc;
    const int64_t bits = constantExpr("the width of a bit-field");
    const std::string what = name.empty() ? "an unnamed bit-field" : "bit-field '" + name + "'";
    if (!isInteger(mt)) fail(mloc, what + " has type " + typeText(mt) + ", not an integer type");
    const int64_t room = mt->kind == Kind::Bool ? 1 : sizeOf(mt) * 8;
    if (bits < 0) fail(wl, "the width of " + what + " is negative");
    if (bits > room)
        fail(wl, "the width of " + what + " (" + std::to_string(bits) + ") exceeds its type (" +
                     std::to_string(room) + " bits)");
    if (bits == 0) {
        if (!name.empty()) fail(mloc, "a zero-width bit-field cannot have a name");
        unit.start = -1;
        return;
    }
    const int bytes = int(sizeOf(mt));
    int at = 0, bit = 0;
    if (r->isUnion) {
        size = std::max(size, bytes);
    } else if (unit.start >= 0 && unit.bytes == bytes && unit.used + bits <= bytes * 8) {
        at = unit.start;
        bit = unit.used;
        unit.used += int(bits);
    } else {
        at = unit.start = offset;
        unit.bytes = bytes;
        unit.used = int(bits);
        offset += bytes;
    }
    if (name.empty()) return;  // padding: no member to name or initialise
    if (r->find(name)) error(mloc, "duplicate member '" + name + "'");
    Type* ft = types_.copy(mt);
    ft->bits = int(bits);
    ft->bitOffset = bit;
    r->members.push_back({name, ft, at});
}

// enum = ident? ("{" ident ("=" constant)? ("," ident ("=" constant)?)* ","? "}")?
Type* Parser::enumSpecifier() {
    std::string tag;
    if (tok().kind == Tok::Ident) tag = take().text;
    Type* t = types_.make(Kind::Enum);
    if (!tag.empty() && !tok().is("{")) return t;
    expect("{");
    int64_t next = 0;
    while (!accept("}")) {
        if (tok().kind != Tok::Ident) fail(tok().loc, "expected an enumeration constant");
        Token n = take();
        if (accept("=")) next = constantExpr("an enumeration value");
        Symbol* s = prog_.newSymbol();
        s->name = n.text;
        s->type = types_.intT;
        s->storage = Storage::EnumConst;
        s->value = normalize(next, types_.intT);
        s->loc = n.loc;
        if (next != s->value) error(n.loc, "enumeration value does not fit in an int");
        declare(s);
        ++next;
        if (!accept(",")) {
            expect("}");
            break;
        }
    }
    return t;
}

// declarator = ("*" ("const" | "volatile")*)* ("(" declarator ")" | ident?) suffix
//
// Reads a declarator over `base`. The name may be absent (abstract declarators). For a
// function declarator, its parameters are stored in `paramsOut` when given.
Type* Parser::declarator(Type* base, std::string& name, Loc& loc, std::vector<Symbol*>* paramsOut) {
    while (accept("*")) {
        base = types_.pointerTo(base);
        while (tok().isIdent("const") || tok().isIdent("volatile")) {
            base = types_.copy(base);
            (take().text == "const" ? base->isConst : base->isVolatile) = true;
        }
    }
    if (tok().is("(") && !isTypeName(peek(1)) && !peek(1).is(")")) {
        take();
        // The inner declarator applies to what the suffixes make of `base`: read it over a
        // placeholder and fill the placeholder in afterwards.
        Type* hole = types_.make(Kind::Int);
        Type* inner = declarator(hole, name, loc, paramsOut);
        expect(")");
        Type* outer = declaratorSuffix(base, inner == hole ? paramsOut : nullptr);
        *hole = *outer;
        return inner;
    }
    // After the specifiers, an identifier is the declared name even where an outer scope made
    // it a typedef name: a block may declare its own T.
    if (tok().kind == Tok::Ident && (!isTypeName(tok()) || lookup(tok().text))) {
        loc = tok().loc;
        name = take().text;
    }
    return declaratorSuffix(base, paramsOut);
}

// suffix = "[" constant? "]" suffix | "(" parameters ")" suffix | nothing
// parameters = "void" | ident ("," ident)* | parameter ("," parameter)* ("," "...")?
//            | nothing
// parameter = decl-specifiers declarator
Type* Parser::declaratorSuffix(Type* base, std::vector<Symbol*>* paramsOut) {
    if (accept("[")) {
        int64_t n = -1;
        if (!tok().is("]")) {
            Loc l = tok().loc;
            n = constantExpr("an array size");
            if (n < 0) fail(l, "array size is negative");
        }
        expect("]");
        Type* elem = declaratorSuffix(base, nullptr);
        if (sizeOf(elem) < 0) fail(tok().loc, "array of an incomplete type");
        return types_.arrayOf(elem, n);
    }
    if (accept("(")) {
        Type* f = types_.make(Kind::Function);
        std::vector<Symbol*> params;
        pushScope();
        if (tok().isIdent("void") && peek(1).is(")")) {
            take();
            f->prototype = true;
        } else if (!tok().is(")") && !isTypeName(tok()) && tok().kind == Tok::Ident) {
            // An old-style identifier list; the types follow the declarator.
            do {
                if (tok().kind != Tok::Ident) fail(tok().loc, "expected a parameter name");
                Token n = take();
                Symbol* p = prog_.newSymbol();
                p->name = n.text;
                p->type = types_.intT;
                p->storage = Storage::Param;
                p->loc = n.loc;
                params.push_back(p);
                f->params.push_back({n.text, types_.intT, n.loc});
            } while (accept(","));
        } else if (!tok().is(")")) {
            f->prototype = true;
            do {
                if (accept("...")) {
                    f->variadic = true;
                    break;
                }
                DeclSpec ds = declSpecifiers(true);
                if (!ds.type) fail(tok().loc, "expected a parameter declaration");
                std::string pname;
                Loc ploc = tok().loc;
                Type* pt = declarator(ds.type, pname, ploc, nullptr);
                if (isArray(pt)) pt = types_.pointerTo(pt->base);
                if (isFunction(pt)) pt = types_.pointerTo(pt);
                if (isVoid(pt)) fail(ploc, "a parameter cannot have type void");
                Symbol* p = prog_.newSymbol();
                p->name = pname;
                p->type = pt;
                p->storage = Storage::Param;
                p->loc = ploc;
                params.push_back(p);
                f->params.push_back({pname, pt, ploc});
            } while (accept(","));
        }
        popScope();
        expect(")");
        Type* ret = declaratorSuffix(base, nullptr);
        if (isArray(ret) || isFunction(ret))
            fail(tok().loc, "a function cannot return an array or a function");
        f->base = ret;
        if (paramsOut) *paramsOut = params;
        return f;
    }
    return base;
}

// type-name = decl-specifiers declarator, the declarator without a name
Type* Parser::typeName() {
    DeclSpec ds = declSpecifiers(false);
    if (!ds.type) fail(tok().loc, "expected a type name");
    std::string name;
    Loc loc;
    Type* t = declarator(ds.type, name, loc, nullptr);
    if (!name.empty()) error(loc, "unexpected name '" + name + "' in a type name");
    return t;
}

// constant = conditional, folded to an integer
int64_t Parser::constantExpr(const char* what) {
    Loc l = tok().loc;
    Expr* e = conditional();
    if (e->op != Op::Num || !isInteger(e->type))
        fail(l, std::string(what) + " must be an integer constant");
    return e->value;
}

// translation-unit = external-declaration*
void Parser::translationUnit() {
    while (tok().kind != Tok::End && !diag_.tooMany()) {
        size_t before = pos_;
        try {
            externalDeclaration();
        } catch (const CompileError&) {
            // Whatever the error left open (a function, a parameter list) is closed.
            scopes_.resize(1);
            tags_.resize(1);
            fn_ = nullptr;
            switches_.clear();
            loops_ = 0;
            resync(before);
        }
    }
    reportOverflows();
}

// external-declaration = ";" | declaration | function-definition
void Parser::externalDeclaration() {
    if (accept(";")) return;
    unknownTypeName();
    declaration(true, nullptr);
}

// syscall = "__syscall" "(" constant ("," ("__pushed" | "__none" | "__firstarg"
//           | "__counted"))? ")"
void Parser::syscallAttribute(Symbol* s) {
    if (!tok().isIdent("__syscall")) return;
    Loc l = take().loc;
    expect("(");
    int64_t op = constantExpr("a system call number");
    // The runtime library's checked heap also names the trap of a failed check.
    if ((op < kFirstSystemCall || op > kLastSystemCall) && !(library_ && op == kCheckTrapOpcode))
        fail(l, "system call number out of range");
    // A library header's system call gives way to a function the program defines itself.
    if (!(library_ && s->body)) s->syscall = int(op);
    if (accept(",")) {
        Token k = take();
        if (k.text == "__pushed")
            s->sysResult = SysResult::Pushed;
        else if (k.text == "__none")
            s->sysResult = SysResult::None;
        else if (k.text == "__firstarg")
            s->sysResult = SysResult::FirstArg;
        else if (k.text == "__counted")
            s->sysResult = SysResult::Counted;
        else
            fail(k.loc, "unknown system call result kind '" + k.text + "'");
    }
    expect(")");
}

Symbol* Parser::declareObject(const DeclSpec& ds, Type* t, const std::string& name, const Loc& loc,
                              bool global) {
    Symbol* prev = nullptr;
    auto found = scopes_.back().find(name);
    if (found != scopes_.back().end()) prev = found->second;
    const bool isFn = isFunction(t);
    const bool external = (global && !ds.isStatic) || ds.isExtern || (isFn && !ds.isStatic);
    if (!prev && external) {
        auto e = prog_.externals.find(name);
        if (e != prog_.externals.end()) prev = e->second;
    }
    if (prev) {
        if (prev->storage == Storage::Typedef || prev->storage == Storage::EnumConst ||
            prev->storage == Storage::Local || prev->storage == Storage::Param) {
            if (prev->storage != Storage::Local && prev->storage != Storage::Param &&
                scopes_.back().count(name))
                fail(loc, "'" + name + "' redeclared as a different kind of symbol");
            prev = nullptr;
        } else if (!compatible(prev->type, t) && library_ && isFunction(t) &&
                   isFunction(prev->type) && prev->fileId != fileId_) {
            // The program declared a library function its own way (int strlen(char *)): its
            // calls keep the program's view, the library's code its own.
            prev->type = t;
            declare(prev);
            return prev;
        } else if (!compatible(prev->type, t)) {
            fail(loc, "conflicting types for '" + name + "' (" + typeText(prev->type) + " and " +
                          typeText(t) + ")");
        } else {
            // Keep the most complete type: a prototype, an array size.
            if ((isFunction(t) && t->prototype && !prev->type->prototype) ||
                (isArray(t) && t->count >= 0 && prev->type->count < 0))
                prev->type = t;
            declare(prev);
            return prev;
        }
    }
    Symbol* s = prog_.newSymbol();
    s->name = name;
    s->type = t;
    s->loc = loc;
    s->fileId = fileId_;
    s->library = library_;
    if (isFn) {
        s->storage = Storage::Function;
        prog_.functions.push_back(s);
    } else if (global || ds.isStatic || ds.isExtern) {
        s->storage = ds.isExtern ? Storage::Extern : global ? Storage::Global : Storage::Static;
        s->defined = !ds.isExtern;
        prog_.globals.push_back(s);
    } else {
        s->storage = Storage::Local;
    }
    if (external) prog_.externals[name] = s;
    declare(s);
    return s;
}

// declaration = decl-specifiers (init-declarator ("," init-declarator)*)? ";"
// init-declarator = declarator syscall? ("=" initializer)?
void Parser::declaration(bool global, std::vector<Stmt*>* out) {
    DeclSpec ds = declSpecifiers(true);
    if (!ds.type) {
        if (!global || ds.any) fail(tok().loc, "expected a declaration");
        // C89: a declaration without a type is an int.
        if (tok().kind != Tok::Ident && !tok().is("*") && !tok().is("("))
            fail(tok().loc, "expected a declaration before '" + tok().text + "'");
        diag_.warning(tok().loc, "type defaults to int");
        ds.type = types_.intT;
    }
    if (accept(";")) return;
    for (bool first = true;; first = false) {
        std::string name;
        Loc loc = tok().loc;
        std::vector<Symbol*> params;
        Type* t = nullptr;
        try {
            t = declarator(ds.type, name, loc, &params);
        } catch (const CompileError&) {
            if (!name.empty()) failedNames_.insert(name);  // its uses say nothing more
            throw;
        }
        if (name.empty()) fail(loc, "expected a name in the declaration");
        if (ds.isTypedef) {
            Symbol* s = prog_.newSymbol();
            s->name = name;
            s->type = t;
            s->storage = Storage::Typedef;
            s->loc = loc;
            declare(s);
        } else {
            Symbol* s = declareObject(ds, t, name, loc, global);
            if (isFunction(t)) syscallAttribute(s);
            if (isFunction(t) && first && global &&
                (tok().is("{") || (!t->prototype && !tok().is(";") && !tok().is(",")))) {
                if (library_ && s->body && s->fileId != fileId_) {
                    // The program defines this function itself: as a linker would, calls go to
                    // the program's; the library's body is read but reached by nothing.
                    Symbol* unused = prog_.newSymbol();
                    unused->name = name;
                    unused->type = t;
                    unused->storage = Storage::Function;
                    unused->loc = loc;
                    unused->fileId = fileId_;
                    s = unused;
                }
                functionDefinition(s, params, loc);
                return;
            }
            if (isFunction(t)) {
                if (tok().is("=")) fail(tok().loc, "a function cannot be initialised");
            } else if (s->storage == Storage::Local) {
                if (sizeOf(t) < 0 && !(isArray(t) && tok().is("=")))
                    fail(loc, "'" + name + "' has an incomplete type");
                Stmt* d = prog_.newStmt(St::Decl, loc);
                d->sym = s;
                locals_.push_back(s);
                if (accept("=")) {
                    s->hasInit = true;
                    Type* fixed = nullptr;
                    initializer(s->type, 0, s->init, &fixed);
                    if (fixed) s->type = fixed;
                }
                if (sizeOf(s->type) < 0) fail(loc, "'" + name + "' has an incomplete type");
                s->frameOffset = frameTop_;
                frameTop_ += int(sizeOf(s->type));
                fn_->localsSize = std::max(fn_->localsSize, frameTop_);
                if (out) out->push_back(d);
            } else {
                if (accept("=")) {
                    if (s->storage == Storage::Extern && !global)
                        fail(loc, "an extern declaration inside a function cannot be initialised");
                    if (s->hasInit) fail(loc, "redefinition of '" + name + "'");
                    s->hasInit = true;
                    s->defined = true;
                    if (s->storage == Storage::Extern) s->storage = Storage::Global;
                    Type* fixed = nullptr;
                    s->init.clear();
                    initializer(s->type, 0, s->init, &fixed);
                    if (fixed) s->type = fixed;
                } else if (!ds.isExtern) {
                    s->defined = true;
                    if (s->storage == Storage::Extern) s->storage = Storage::Global;
                }
            }
        }
        if (accept(",")) continue;
        expect(";");
        return;
    }
}

// function-definition = decl-specifiers declarator declaration* compound
void Parser::functionDefinition(Symbol* f, std::vector<Symbol*>& params, const Loc& loc) {
    if (f->body) fail(loc, "redefinition of function '" + f->name + "'");
    if (f->syscall >= 0) fail(loc, "a system call cannot have a body");
    Type* t = f->type;
    // Old-style parameter declarations between the declarator and the body.
    if (!t->prototype && !params.empty()) {
        while (!tok().is("{")) {
            DeclSpec ds = declSpecifiers(true);
            if (!ds.type) fail(tok().loc, "expected a parameter declaration");
            do {
                std::string name;
                Loc ploc = tok().loc;
                Type* pt = declarator(ds.type, name, ploc, nullptr);
                if (isArray(pt)) pt = types_.pointerTo(pt->base);
                bool found = false;
                for (Symbol* p : params)
                    if (p->name == name) {
                        p->type = pt;
                        found = true;
                    }
                if (!found) fail(ploc, "'" + name + "' is not a parameter");
            } while (accept(","));
            expect(";");
        }
        Type* nt = types_.copy(t);
        nt->params.clear();
        for (Symbol* p : params) {
            // Arguments of an old-style function arrive promoted.
            nt->params.push_back({p->name, p->type, p->loc});
        }
        f->type = nt;
        t = nt;
    }
    if (isAggregate(t->base) && sizeOf(t->base) < 0)
        fail(loc, "function returns an incomplete type");
    fn_ = f;
    f->params = params;
    f->localsSize = 0;
    int slot = 5;
    pushScope();
    for (Symbol* p : params) {
        if (p->name.empty()) fail(p->loc, "a parameter of a function definition needs a name");
        p->frameOffset = slot;
        slot += 4;
        declare(p);
    }
    if (t->variadic) {
        Symbol* va = prog_.newSymbol();
        va->name = "<varargs>";
        va->type = types_.pointerTo(types_.charT);
        va->storage = Storage::Param;
        va->frameOffset = slot;
        slot += 4;
        f->varargs = va;
    }
    frameTop_ = slot;
    // A struct, long long or double parameter arrives as the address of the caller's object; the
    // function works on its own copy.
    for (Symbol* p : params) {
        if (isAggregate(p->type) || isWideScalar(p->type)) {
            if (sizeOf(p->type) < 0) fail(p->loc, "parameter has an incomplete type");
            Symbol* c = prog_.newSymbol();
            c->name = p->name;
            c->type = p->type;
            c->storage = Storage::Local;
            c->frameOffset = frameTop_;
            frameTop_ += int(sizeOf(p->type));
            p->paramCopy = c;
        }
    }
    f->localsSize = frameTop_;
    locals_.clear();
    const int mistakesBefore = diag_.mistakeCount();
    f->body = compound(false);
    // A body with an error is missing what the parser skipped (a declaration's initialiser, a
    // statement's assignment): warnings about its flow and its names would be follow-on noise.
    if (diag_.mistakeCount() == mistakesBefore) checkFunction(f, locals_, diag_);
    popScope();
    f->defined = true;
    fn_ = nullptr;
}

// initializer = "{" initializer-list ","? "}" | string | assignment
void Parser::initializer(Type* t, int offset, std::vector<InitItem>& out, Type** arrayType) {
    if (isArray(t) && t->count < 0 && !arrayType)
        fail(tok().loc, "a flexible array member cannot be initialised");
    if (tok().is("{")) {
        take();
        initList(t, offset, out, arrayType, true);
        accept(",");
        expect("}");
        return;
    }
    // A string literal initialises a char array directly; L"..." an array of 16-bit units.
    const bool wide = tok().kind == Tok::String && tok().text[0] == 'L';
    if (isArray(t) && tok().kind == Tok::String &&
        (wide ? isInteger(t->base) && sizeOf(t->base) == 2 : isCharType(t->base))) {
        Loc l = tok().loc;
        Expr* s = stringLiteral();
        int64_t n = int64_t(s->sym->bytes.size()) / sizeOf(t->base);
        if (t->count < 0) {
            Type* fixed = types_.arrayOf(t->base, n);
            if (arrayType) *arrayType = fixed;
        } else if (n - 1 > t->count) {
            error(l, "string is longer than the array");
        }
        out.push_back({offset, t, s});
        return;
    }
    if (isAggregate(t) && arrayType) {
        // A whole struct or union without braces is initialised from a value of its type.
        Loc l = tok().loc;
        Expr* e = assignment();
        out.push_back({offset, t, assignConvert(e, t, l, "initialisation")});
        return;
    }
    if (isArray(t) || isAggregate(t)) {
        // Elements without braces take what they need from the list that follows.
        initList(t, offset, out, arrayType, false);
        return;
    }
    Loc l = tok().loc;
    Expr* e = assignment();
    out.push_back({offset, t, assignConvert(e, t, l, "initialisation")});
}

// initializer-list = designator? initializer ("," designator? initializer)*
// designator = ("[" constant "]" | "." ident) designation
void Parser::initList(Type* t, int offset, std::vector<InitItem>& out, Type** arrayType,
                      bool braced) {
    // Without braces (an element of an outer list) the elements take what they need and leave
    // the rest of the outer list alone.
    auto more = [&](bool last) {
        if (tok().is("}")) return false;
        if (braced) {
            if (!accept(",")) return false;
            return !tok().is("}");
        }
        if (last || !tok().is(",") || peek(1).is("}")) return false;
        take();
        return true;
    };
    if (isArray(t)) {
        int64_t elem = sizeOf(t->base);
        int64_t i = 0, count = 0;
        if (!tok().is("}")) {
            for (;;) {
                if (braced && tok().is("[")) {
                    // [index] = value: the elements after it follow on from there.
                    const Loc l = take().loc;
                    i = constantExpr("an array index");
                    expect("]");
                    if (i < 0 || (t->count >= 0 && i >= t->count))
                        fail(l, "array index " + std::to_string(i) + " is outside the array");
                    designated(t->base, offset + int(i * elem), out);
                } else {
                    if (t->count >= 0 && i >= t->count) {
                        error(tok().loc, "too many initialisers for the array");
                        skipTo("}", nullptr);
                        break;
                    }
                    initializer(t->base, offset + int(i * elem), out, nullptr);
                }
                ++i;
                count = std::max(count, i);
                if (!more(!braced && t->count >= 0 && i >= t->count)) break;
            }
        }
        if (t->count < 0 && arrayType) *arrayType = types_.arrayOf(t->base, count);
        return;
    }
    if (isAggregate(t)) {
        Record* r = t->record;
        if (!r->complete) fail(tok().loc, "initialiser for an incomplete type");
        size_t n = r->isUnion ? std::min<size_t>(1, r->members.size()) : r->members.size();
        size_t i = 0;
        if (!tok().is("}")) {
            for (;;) {
                if (braced && tok().is(".")) {
                    // .member = value: the members after it follow on from there.
                    const Loc l = take().loc;
                    if (tok().kind != Tok::Ident) fail(tok().loc, "expected a member name");
                    const std::string name = take().text;
                    size_t j = 0;
                    while (j < r->members.size() && r->members[j].name != name) ++j;
                    if (j == r->members.size())
                        fail(l, typeText(t) + " has no member '" + name + "'");
                    i = j;
                    designated(r->members[i].type, offset + r->members[i].offset, out);
                    ++i;
                    if (!more(false)) break;
                    continue;
                }
                if (i >= n) {
                    error(tok().loc, "too many initialisers for " + typeText(t));
                    skipTo("}", nullptr);
                    break;
                }
                initializer(r->members[i].type, offset + r->members[i].offset, out, nullptr);
                ++i;
                if (!more(!braced && i >= n)) break;
            }
        }
        return;
    }
    // A scalar in braces.
    Loc l = tok().loc;
    Expr* e = assignment();
    out.push_back({offset, t, assignConvert(e, t, l, "initialisation")});
    if (braced) accept(",");
}

// designation = ("[" constant "]" | "." ident)* "=" initializer, after its first designator:
// the rest of the chain goes down into the element or member it named.
void Parser::designated(Type* t, int offset, std::vector<InitItem>& out) {
    if (tok().is("[")) {
        const Loc l = take().loc;
        if (!isArray(t)) fail(l, "[index] in the initialiser of a " + typeText(t));
        if (t->count < 0) fail(l, "a flexible array member cannot be initialised");
        const int64_t i = constantExpr("an array index");
        expect("]");
        if (i < 0 || (t->count >= 0 && i >= t->count))
            fail(l, "array index " + std::to_string(i) + " is outside the array");
        return designated(t->base, offset + int(i * sizeOf(t->base)), out);
    }
    if (tok().is(".")) {
        const Loc l = take().loc;
        if (!isAggregate(t)) fail(l, ".member in the initialiser of a " + typeText(t));
        if (tok().kind != Tok::Ident) fail(tok().loc, "expected a member name");
        const std::string name = take().text;
        const Member* m = t->record->find(name);
        if (!m) fail(l, typeText(t) + " has no member '" + name + "'");
        return designated(m->type, offset + m->offset, out);
    }
    expect("=");
    initializer(t, offset, out, nullptr);
}

}  // namespace corvane::cc
