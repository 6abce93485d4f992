// Statements and blocks.

#include "tools/vrncc/parser.h"

namespace corvane::cc {

// compound = "{" (declaration | statement)* "}"
Stmt* Parser::compound(bool newScope) {
    Stmt* s = prog_.newStmt(St::Compound, tok().loc);
    expect("{");
    if (newScope) pushScope();
    const int savedTop = frameTop_;
    // What an error inside a statement leaves open (a scope, a loop) is closed again.
    const size_t depth = scopes_.size(), switches = switches_.size();
    const int loops = loops_;
    while (!tok().is("}") && tok().kind != Tok::End && !diag_.tooMany()) {
        size_t before = pos_;
        try {
            if (unknownTypeName() ||
                (startsDeclaration() && !(tok().kind == Tok::Ident && peek(1).is(":")))) {
                declaration(false, &s->list);
            } else {
                s->list.push_back(statement());
            }
        } catch (const CompileError&) {
            scopes_.resize(depth);
            tags_.resize(depth);
            switches_.resize(switches);
            loops_ = loops;
            resync(before);
        }
    }
    s->end = tok().loc;
    expect("}");
    // Blocks that end give their frame space back to the blocks that follow.
    frameTop_ = savedTop;
    if (newScope) popScope();
    return s;
}

// statement = compound | ";" | ident ":" statement
//           | "if" "(" expression ")" statement ("else" statement)?
//           | "while" "(" expression ")" statement
//           | "do" statement "while" "(" expression ")" ";"
//           | "for" "(" (declaration | expression? ";") expression? ";" expression? ")"
//             statement
//           | "switch" "(" expression ")" statement
//           | "case" constant ":" statement | "default" ":" statement
//           | "break" ";" | "continue" ";" | "return" expression? ";" | "goto" ident ";"
//           | expression ";"
Stmt* Parser::statement() {
    const Token& t = tok();
    Loc l = t.loc;
    if (t.is("{")) return compound(true);
    if (t.is(";")) {
        take();
        return prog_.newStmt(St::Empty, l);
    }
    if (t.kind == Tok::Ident && peek(1).is(":") && !isTypeName(t) && t.text != "default") {
        Stmt* s = prog_.newStmt(St::Label, l);
        s->label = take().text;
        take();
        s->s1 = statement();
        return s;
    }
    if (t.kind == Tok::Ident) {
        const std::string w = t.text;
        if (w == "if") {
            take();
            Stmt* s = prog_.newStmt(St::If, l);
            expect("(");
            s->e = cond(expression());
            expect(")");
            s->s1 = statement();
            if (tok().isIdent("else")) {
                take();
                s->s2 = statement();
            }
            return s;
        }
        if (w == "while") {
            take();
            Stmt* s = prog_.newStmt(St::While, l);
            expect("(");
            s->e = cond(expression());
            expect(")");
            ++loops_;
            s->s1 = statement();
            --loops_;
            return s;
        }
        if (w == "do") {
            take();
            Stmt* s = prog_.newStmt(St::Do, l);
            ++loops_;
            s->s1 = statement();
            --loops_;
            if (!tok().isIdent("while")) fail(tok().loc, "expected 'while' after the body of do");
            take();
            expect("(");
            s->e = cond(expression());
            expect(")");
            expect(";");
            return s;
        }
        if (w == "for") {
            take();
            Stmt* s = prog_.newStmt(St::For, l);
            expect("(");
            pushScope();
            const int savedTop = frameTop_;
            if (startsDeclaration()) {
                Stmt* init = prog_.newStmt(St::Compound, tok().loc);
                declaration(false, &init->list);
                s->s1 = init;
            } else if (!accept(";")) {
                Stmt* init = prog_.newStmt(St::Expr, tok().loc);
                init->e = expression();
                s->s1 = init;
                expect(";");
            }
            if (!tok().is(";")) s->e = cond(expression());
            expect(";");
            if (!tok().is(")")) s->e2 = expression();
            expect(")");
            ++loops_;
            s->s2 = statement();
            --loops_;
            frameTop_ = savedTop;
            popScope();
            return s;
        }
        if (w == "switch") {
            take();
            Stmt* s = prog_.newStmt(St::Switch, l);
            expect("(");
            Expr* e = rvalue(expression());
            if (!isInteger(e->type)) fail(l, "switch needs an integer, not " + typeText(e->type));
            s->e = convert(e, promote(types_, e->type));
            expect(")");
            switches_.push_back(s);
            try {
                s->s1 = statement();
            } catch (...) {
                switches_.pop_back();
                throw;
            }
            switches_.pop_back();
            return s;
        }
        if (w == "case" || w == "default") {
            take();
            if (switches_.empty()) fail(l, "'" + w + "' outside a switch");
            Stmt* sw = switches_.back();
            Stmt* s = prog_.newStmt(w == "case" ? St::Case : St::Default, l);
            if (w == "case") {
                int64_t v = constantExpr("a case label");
                s->value = normalize(v, sw->e->type);
                for (Stmt* c : sw->cases)
                    if (c->kind == St::Case && c->value == s->value)
                        error(l, "duplicate case value " + std::to_string(v));
            } else {
                for (Stmt* c : sw->cases)
                    if (c->kind == St::Default) error(l, "more than one default in a switch");
            }
            expect(":");
            sw->cases.push_back(s);
            if (tok().is("}"))
                s->s1 = prog_.newStmt(St::Empty, l);
            else
                s->s1 = statement();
            return s;
        }
        if (w == "break" || w == "continue") {
            take();
            if (w == "continue" ? loops_ == 0 : (loops_ == 0 && switches_.empty()))
                fail(l, "'" + w + "' outside a loop" + (w == "break" ? " or switch" : ""));
            expect(";");
            return prog_.newStmt(w == "break" ? St::Break : St::Continue, l);
        }
        if (w == "return") {
            take();
            Stmt* s = prog_.newStmt(St::Return, l);
            Type* rt = fn_->type->base;
            if (!tok().is(";")) {
                Expr* e = expression();
                if (isVoid(rt)) {
                    if (!isVoid(rvalue(e)->type)) error(l, "a void function returns a value");
                    s->e = convert(e, types_.voidT);
                } else {
                    s->e = assignConvert(e, rt, l, "return");
                }
            } else if (!isVoid(rt)) {
                diag_.warning(l, "return without a value in a function returning " + typeText(rt));
            }
            expect(";");
            return s;
        }
        if (w == "goto") {
            take();
            if (tok().kind != Tok::Ident) fail(tok().loc, "expected a label after goto");
            Stmt* s = prog_.newStmt(St::Goto, l);
            s->label = take().text;
            expect(";");
            return s;
        }
    }
    Stmt* s = prog_.newStmt(St::Expr, l);
    s->e = expression();
    expect(";");
    return s;
}

}  // namespace corvane::cc
