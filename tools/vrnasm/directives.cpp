// Directives: constants, raw data, functions with named arguments and locals, INITDATA blocks,
// debugger markers, the string key and the header's reserved bytes.

#include "tools/vrnasm/assembler_impl.h"
#include "vm/image.h"
#include "vm/opcodes.h"

namespace corvane::vrnasm {
namespace {

ExprPtr numberExpr(int64_t v, int column = 0) {
    auto e = std::make_shared<Expr>();
    e->value = v;
    e->column = column;
    return e;
}

ExprPtr symbolExpr(const std::string& name, int column) {
    auto e = std::make_shared<Expr>();
    e->kind = Expr::Kind::Symbol;
    e->name = name;
    e->column = column;
    return e;
}

int endColumn(const std::vector<Token>& tokens) {
    return tokens.empty() ? 1 : tokens.back().column + int(tokens.back().text.size());
}

// The name after a directive, which must be a plain (not local) identifier.
const Token* nameAt(const std::vector<Token>& tokens, size_t pos) {
    if (pos < tokens.size() && tokens[pos].kind == TokKind::Ident && tokens[pos].text[0] != '.')
        return &tokens[pos];
    return nullptr;
}

}  // namespace

void Assembler::directive(const std::string& word, const std::vector<Token>& tokens, size_t pos,
                          const Location& loc, int includeDepth) {
    const int column = tokens[pos - 1].column;
    if (word == ".equ") {
        if (pos >= tokens.size() || tokens[pos].kind != TokKind::Ident) {
            error(loc, pos < tokens.size() ? tokens[pos].column : endColumn(tokens),
                  "'.equ' needs a name and a value");
            return;
        }
        size_t valuePos = pos + 1;
        if (valuePos < tokens.size() && tokens[valuePos].kind == TokKind::Punct &&
            tokens[valuePos].text == ",") {
            ++valuePos;
        }
        defineConstant(tokens[pos], tokens, valuePos, loc);
    } else if (word == ".byte") {
        dataItems(tokens, pos, Field::Byte, true, loc);
    } else if (word == ".word") {
        dataItems(tokens, pos, Field::Word, false, loc);
    } else if (word == ".long") {
        dataItems(tokens, pos, Field::Long, false, loc);
    } else if (word == ".asciz") {
        dataItems(tokens, pos, Field::Byte, true, loc);
        emitByte(0);
    } else if (word == ".space") {
        ExprPtr count = expression(tokens, pos, loc);
        ExprPtr fill;
        if (!count) return;
        if (pos < tokens.size()) {
            if (!comma(tokens, pos, loc) || !(fill = expression(tokens, pos, loc))) return;
        }
        if (!atEnd(tokens, pos, loc)) return;
        auto n = valueNow(count, loc);
        if (!n) return;
        if (*n < 0 || *n > int64_t(0x80000)) {
            error(loc, count->column, "'.space' count must be 0..524288");
            return;
        }
        int64_t f = 0;
        if (fill) {
            auto v = valueNow(fill, loc);
            if (!v || !inRange(*v, Field::Byte, loc, fill->column)) return;
            f = *v;
        }
        out_.insert(out_.end(), size_t(*n), uint8_t(f));
    } else if (word == ".include") {
        include(tokens, pos, loc, includeDepth);
    } else if (word == ".endm") {
        error(loc, column, "'.endm' without '.macro'");
    } else if (word == ".proc") {
        beginProc(tokens, pos, loc);
    } else if (word == ".var") {
        procVar(tokens, pos, loc);
    } else if (word == ".endproc") {
        if (atEnd(tokens, pos, loc)) endProc(loc);
    } else if (word == ".line" || word == ".func") {
        // Debugger markers; ".line" alone marks the current source line.
        if (word == ".line") noteLineMark(loc);
        emitByte(word == ".line" ? op::LINE : op::FUNC);
        if (pos >= tokens.size() && word == ".line") {
            emitField(Field::Code24, numberExpr(loc.line, column), loc);
            return;
        }
        ExprPtr e = expression(tokens, pos, loc);
        emitField(Field::Code24, e, loc);
        if (e) atEnd(tokens, pos, loc);
    } else if (word == ".strkey") {
        // Tells the assembler the key in force from here on without emitting STRKEY.
        ExprPtr e = expression(tokens, pos, loc);
        if (!e || !atEnd(tokens, pos, loc)) return;
        key_ = e;
        keyProc_ = proc_;
        fixups_.push_back({0, Field::Byte, e, proc_, loc, true});  // range check only
    } else if (word == ".enddata") {
        if (atEnd(tokens, pos, loc)) endData(loc);
    } else if (word == ".header") {
        // The reserved header bytes, which the machine never reads.
        for (uint32_t i = 0; kImageReservedStart + i < kImageHeaderSize && pos < tokens.size();
             ++i) {
            if (i > 0 && !comma(tokens, pos, loc)) return;
            ExprPtr e = expression(tokens, pos, loc);
            if (!e) return;
            fixups_.push_back({kImageReservedStart + i, Field::Byte, e, proc_, loc});
        }
        atEnd(tokens, pos, loc);
    } else if (word == ".error") {
        std::string message = "error";
        if (pos < tokens.size() && tokens[pos].kind == TokKind::String) message = tokens[pos].text;
        error(loc, column, message);
    } else {
        error(loc, column, "unknown directive '" + word + "'");
    }
}

void Assembler::dataItems(const std::vector<Token>& tokens, size_t pos, Field field, bool strings,
                          const Location& loc) {
    if (pos >= tokens.size()) {
        error(loc, endColumn(tokens), "values expected");
        return;
    }
    while (true) {
        if (tokens[pos].kind == TokKind::String) {
            if (!strings) {
                error(loc, tokens[pos].column, "strings are only allowed in '.byte' data");
                return;
            }
            out_.insert(out_.end(), tokens[pos].text.begin(), tokens[pos].text.end());
            ++pos;
        } else {
            ExprPtr e = expression(tokens, pos, loc);
            if (!e) return;
            emitField(field, e, loc);
        }
        if (pos >= tokens.size()) return;
        if (!comma(tokens, pos, loc)) return;
        if (pos >= tokens.size()) {
            error(loc, endColumn(tokens), "value expected after ','");
            return;
        }
    }
}

void Assembler::beginProc(const std::vector<Token>& tokens, size_t pos, const Location& loc) {
    if (proc_ != nullptr) {
        error(loc, tokens[pos - 1].column, "'.proc' inside '.proc " + proc_->name + "'");
        return;
    }
    const Token* name = nameAt(tokens, pos);
    if (name == nullptr) {
        error(loc, pos < tokens.size() ? tokens[pos].column : endColumn(tokens),
              "'.proc' needs a function name");
        return;
    }
    ProcScope scope;
    scope.name = name->text;
    scope.loc = loc;
    int argc = 0;
    for (++pos; pos < tokens.size(); ++pos) {
        const Token& t = tokens[pos];
        if (t.kind == TokKind::Punct && t.text == "," && argc > 0) continue;
        if (t.kind != TokKind::Ident || t.text[0] == '.') {
            error(loc, t.column, "argument name expected");
            return;
        }
        if (!scope.names.emplace(t.text, scope.nextOffset).second) {
            error(loc, t.column, "argument '" + t.text + "' named twice");
            return;
        }
        scope.nextOffset += 4;
        ++argc;
    }
    if (argc > 255) {
        error(loc, name->column, "a function takes at most 255 arguments");
        return;
    }
    defineLabel(*name, loc, true);
    procs_.push_back(std::move(scope));
    proc_ = &procs_.back();
    // ENTER's frame size is known only at .endproc, which defines NAME.framesize.
    emitByte(op::ENTER);
    emitField(Field::Word, symbolExpr(proc_->name + ".framesize", name->column), loc);
    emitField(Field::Byte, numberExpr(argc), loc);
}

void Assembler::procVar(const std::vector<Token>& tokens, size_t pos, const Location& loc) {
    if (proc_ == nullptr) {
        error(loc, tokens[pos - 1].column, "'.var' outside '.proc'");
        return;
    }
    const Token* name = nameAt(tokens, pos);
    if (name == nullptr) {
        error(loc, pos < tokens.size() ? tokens[pos].column : endColumn(tokens),
              "'.var' needs a name");
        return;
    }
    ++pos;
    int64_t size = 4;
    if (pos < tokens.size()) {
        if (!comma(tokens, pos, loc)) return;
        ExprPtr e = expression(tokens, pos, loc);
        if (!e || !atEnd(tokens, pos, loc)) return;
        auto v = valueNow(e, loc);
        if (!v) return;
        if (*v < 1 || *v > 65535) {
            error(loc, e->column, "a local's size must be 1..65535 bytes");
            return;
        }
        size = *v;
    }
    if (!proc_->names.emplace(name->text, proc_->nextOffset).second) {
        error(loc, name->column, "'" + name->text + "' is already a name in this function");
        return;
    }
    proc_->nextOffset += size;
}

void Assembler::endProc(const Location& loc) {
    if (proc_ == nullptr) {
        error(loc, 1, "'.endproc' without '.proc'");
        return;
    }
    if (proc_->nextOffset > 65535) {
        error(loc, 1, "the frame of '" + proc_->name + "' is larger than 65535 bytes");
    }
    Symbol s;
    s.known = true;
    s.value = proc_->nextOffset;
    s.loc = loc;
    if (!symbols_.emplace(proc_->name + ".framesize", s).second) {
        error(loc, 1, "'" + proc_->name + ".framesize' is already defined");
    }
    proc_ = nullptr;
}

void Assembler::initData(const std::vector<Token>& tokens, size_t pos, const Location& loc) {
    ExprPtr address = expression(tokens, pos, loc);
    emitField(Field::Word, address, loc);
    const uint32_t countAt = uint32_t(out_.size());
    out_.insert(out_.end(), 2, 0);
    if (!address) return;
    if (pos >= tokens.size()) {
        // Block form: the data follows on the next lines up to .enddata.
        if (dataBlock_) {
            error(loc, tokens[0].column, "INITDATA block inside another INITDATA block");
            return;
        }
        dataBlock_ = std::make_pair(countAt, loc);
        return;
    }
    if (!comma(tokens, pos, loc)) return;
    dataItems(tokens, pos, Field::Byte, true, loc);
    size_t count = out_.size() - countAt - 2;
    if (count > 65535) error(loc, tokens[0].column, "INITDATA holds at most 65535 bytes");
    out_[countAt] = uint8_t(count);
    out_[countAt + 1] = uint8_t(count >> 8);
}

void Assembler::endData(const Location& loc) {
    if (!dataBlock_) {
        error(loc, 1, "'.enddata' without an INITDATA block");
        return;
    }
    const uint32_t countAt = dataBlock_->first;
    size_t count = out_.size() - countAt - 2;
    if (count > 65535) error(loc, 1, "INITDATA holds at most 65535 bytes");
    out_[countAt] = uint8_t(count);
    out_[countAt + 1] = uint8_t(count >> 8);
    dataBlock_.reset();
}

}  // namespace corvane::vrnasm
