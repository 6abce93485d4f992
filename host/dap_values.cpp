#include "host/dap_values.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "shared/debuginfo/floating_text.h"
#include "vm/machine.h"

namespace corvane {
namespace {

constexpr int kMaxFrames = 256;
constexpr int kMaxDepth = 3;        // nested aggregates shown inline
constexpr size_t kMaxInline = 100;  // elements of an array shown inline
constexpr size_t kMaxString = 200;  // bytes shown behind a char pointer

std::string hex(uint32_t v, int digits) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%0*X", digits, v);
    return buf;
}

}  // namespace

std::vector<StackFrame> walkStack(const DebugInfo* info, const Machine& m) {
    std::vector<StackFrame> frames;
    StackFrame f{info ? info->functionAt(m.pc) : nullptr, m.fp, m.pc};
    frames.push_back(f);
    if (!info || f.function == nullptr) return frames;
    // Any address of the 64 KiB can be read; a frame near the top wraps to 0x0000.
    const MemoryRead read = [&m](uint32_t address, int size, uint32_t& value) {
        value = 0;
        for (int i = size - 1; i >= 0; --i)
            value = value << 8 | m.mem[uint16_t(address + uint32_t(i))];
        return true;
    };
    for (const CallerFrame& c : walkCallers(*info, m.fp, read, size_t(kMaxFrames - 1)))
        frames.push_back({c.function, c.fp, c.returnAddress});
    return frames;
}

ValueReader::ValueReader(const DebugInfo* info, const Machine& m, const StackFrame& frame)
    : info_(info), m_(m), frame_(frame) {
    if (info_) types_ = TypeTable(info_->types, {});
    if (info_ && frame_.function) {
        // The statement of the frame: the last line marker before its address (frame 0 stands
        // at a marker, which is the statement about to run).
        for (const DebugLine& l : info_->lines) {
            if (l.address > frame_.pc || (l.address == frame_.pc && frame_.pc != m.pc)) break;
            if (l.address >= frame_.function->start) line_ = uint32_t(lineNumber(l.value));
        }
    }
}

const DebugType* ValueReader::typeAt(int type) const {
    return types_.at(type);
}

int ValueReader::scalarType(const char* name, int size, bool isSigned) {
    return types_.scalar(name, size, isSigned);
}

int ValueReader::pointerTo(int type) {
    return types_.pointerTo(type);
}

int ValueReader::sizeOf(int type) const {
    return types_.sizeOf(type);
}

bool ValueReader::assignment(const Value& target, const Value& source, std::vector<uint8_t>& bytes,
                             std::string& error) const {
    const DebugType* to = typeAt(target.type);
    if (!target.lvalue || !to ||
        (to->kind != DebugType::Scalar && to->kind != DebugType::Pointer)) {
        error = "only a number or a pointer in memory can be set";
        return false;
    }
    const DebugType* from = typeAt(source.type);
    if (!from || (from->kind != DebugType::Scalar && from->kind != DebugType::Pointer &&
                  from->kind != DebugType::Array)) {
        error = "the value is not a number or an address";
        return false;
    }
    const uint64_t n = uint64_t(asNumber(source));
    bytes.clear();
    for (int i = 0; i < to->size; ++i) bytes.push_back(uint8_t(n >> (8 * i)));
    return true;
}

uint32_t ValueReader::load(uint32_t address, int size) const {
    uint32_t v = 0;
    for (int i = size - 1; i >= 0; --i) v = v << 8 | m_.mem[uint16_t(address + uint32_t(i))];
    return v;
}

uint32_t ValueReader::scalarBits(const Value& v) const {
    const DebugType* t = typeAt(v.type);
    if (!v.lvalue) return v.bits;
    if (t && t->kind == DebugType::Array) return v.address;  // an array stands for its address
    const int size = t ? t->size : 2;
    return load(v.address, size > 4 ? 4 : size);
}

int64_t ValueReader::asNumber(const Value& v) const {
    const DebugType* t = typeAt(v.type);
    const uint32_t bits = scalarBits(v);
    if (!t || t->kind != DebugType::Scalar) return bits;
    const int width = 8 * t->size;
    if (width >= 32) return t->isSigned ? int64_t(int32_t(bits)) : int64_t(bits);
    const uint32_t mask = (1u << width) - 1;
    const uint32_t b = bits & mask;
    if (t->isSigned && (b >> (width - 1) & 1)) return int64_t(b) - (int64_t(1) << width);
    return b;
}

std::string ValueReader::typeName(int type) const {
    return types_.name(type);
}

std::string ValueReader::showScalar(int type, uint32_t bits, char format) {
    const DebugType* t = typeAt(type);
    const int size = t ? t->size : 2;
    const uint32_t mask = size >= 4 ? 0xFFFFFFFFu : (1u << (8 * size)) - 1;
    const Value v{type, false, 0, bits};
    const int64_t n = asNumber(v);
    switch (format) {
        case 'x':
            return hex(bits & mask, 1);
        case 'u':
            return std::to_string(bits & mask);
        case 'd':
            return std::to_string(n);
        case 'c':
            return std::to_string(n) + " '" + quotedByte(uint8_t(bits), '\'', true) + "'";
        default:
            break;
    }
    if (t && t->size == 1)
        return std::to_string(n) + " '" + quotedByte(uint8_t(bits), '\'', true) + "'";
    return std::to_string(n);
}

std::string ValueReader::showChars(uint32_t address, size_t count, bool stopAtZero) {
    size_t shown = count;
    if (stopAtZero) {
        for (shown = 0; shown < count && m_.mem[uint16_t(address + shown)] != 0; ++shown) {
        }
    } else {
        // A whole array: every byte up to its last non-zero one, zeros written out.
        while (shown > 0 && m_.mem[uint16_t(address + shown - 1)] == 0) --shown;
    }
    std::string s = "\"";
    for (size_t i = 0; i < shown; ++i) s += quotedByte(m_.mem[uint16_t(address + i)], '"', true);
    s += "\"";
    if (stopAtZero && shown == count) s += "...";
    return s;
}

std::string ValueReader::show(const Value& v, char format, int depth) {
    const DebugType* t = typeAt(v.type);
    if (!t) return hex(scalarBits(v), 4);
    switch (t->kind) {
        case DebugType::Void:
            return "void";
        case DebugType::Function:
            return "{" + typeName(v.type) + "} " + hex(v.address, 6);
        case DebugType::Scalar:
            if (isFloatingName(t->name) && !format && (v.lvalue || t->size == 4)) {
                const uint64_t bits =
                    t->size == 8 ? uint64_t(load(v.address + 4, 4)) << 32 | load(v.address, 4)
                                 : scalarBits(v);
                return floatingText(bits, t->size == 8);
            }
            return showScalar(v.type, scalarBits(v), format);
        case DebugType::Pointer: {
            const uint32_t p = scalarBits(v) & 0xFFFF;
            if (format && format != 's')
                return showScalar(scalarType("unsigned int", 2, false), p, format);
            std::string s = hex(p, 4);
            const DebugType* to = typeAt(t->target);
            if (p != 0 && to && to->kind == DebugType::Scalar && to->size == 1)
                s += " " + showChars(p, kMaxString, true);
            return s;
        }
        case DebugType::Array: {
            const DebugType* elem = typeAt(t->target);
            if (elem && elem->kind == DebugType::Scalar && elem->size == 1 && format != 'x' &&
                format != 'd' && format != 'u' && format != 'c')
                return showChars(v.address, size_t(t->count), false);
            if (depth >= kMaxDepth) return "{...}";
            std::string s = "{";
            const int size = sizeOf(t->target);
            for (int64_t i = 0; i < t->count; ++i) {
                if (i != 0) s += ", ";
                if (size_t(i) == kMaxInline) {
                    s += "...";
                    break;
                }
                s += show({t->target, true, v.address + uint32_t(i * size), 0}, format, depth + 1);
            }
            return s + "}";
        }
        case DebugType::Struct:
        case DebugType::Union: {
            if (depth >= kMaxDepth) return "{...}";
            std::string s = "{";
            for (size_t i = 0; i < t->members.size(); ++i) {
                const DebugMember mem = t->members[i];  // a copy: show() may add types
                if (i != 0) s += ", ";
                s += mem.name + " = " +
                     show({mem.type, true, v.address + uint32_t(mem.offset), 0}, format, depth + 1);
            }
            return s + "}";
        }
    }
    return "?";
}

bool ValueReader::expandable(const Value& v) {
    const DebugType* t = typeAt(v.type);
    if (!t) return false;
    if (t->kind == DebugType::Struct || t->kind == DebugType::Union) return !t->members.empty();
    if (t->kind == DebugType::Array) return t->count > 0;
    if (t->kind == DebugType::Pointer) {
        const DebugType* to = typeAt(t->target);
        return (scalarBits(v) & 0xFFFF) != 0 && to && to->kind != DebugType::Void &&
               to->kind != DebugType::Function;
    }
    return false;
}

std::vector<std::pair<std::string, Value>> ValueReader::children(const Value& v, size_t start,
                                                                 size_t limit) {
    std::vector<std::pair<std::string, Value>> out;
    const DebugType* t = typeAt(v.type);
    if (!t) return out;
    if (t->kind == DebugType::Struct || t->kind == DebugType::Union) {
        for (const DebugMember& mem : t->members)
            out.push_back({mem.name, {mem.type, true, v.address + uint32_t(mem.offset), 0}});
    } else if (t->kind == DebugType::Array) {
        const int size = sizeOf(t->target);
        for (size_t i = start; i < size_t(t->count) && out.size() < limit; ++i)
            out.push_back({"[" + std::to_string(i) + "]",
                           {t->target, true, v.address + uint32_t(i) * uint32_t(size), 0}});
    } else if (t->kind == DebugType::Pointer) {
        out.push_back({"*", {t->target, true, scalarBits(v) & 0xFFFF, 0}});
    }
    return out;
}

std::vector<std::pair<std::string, Value>> ValueReader::locals() {
    std::vector<std::pair<std::string, Value>> out;
    if (!frame_.function) return out;
    for (const DebugVar& p : frame_.function->params)
        out.push_back({p.name, {p.type, true, uint32_t(uint16_t(frame_.fp + p.location)), 0}});
    for (const DebugVar& l : frame_.function->locals) {
        if (line_ != 0 && (int(line_) < l.fromLine || int(line_) > l.toLine)) continue;
        out.push_back({l.name, {l.type, true, uint32_t(uint16_t(frame_.fp + l.location)), 0}});
    }
    return out;
}

std::vector<std::pair<std::string, Value>> ValueReader::globals() {
    std::vector<std::pair<std::string, Value>> out;
    if (!info_) return out;
    for (const DebugVar& g : info_->globals) {
        if (g.name.rfind("__", 0) == 0) continue;  // the runtime library's own
        out.push_back({g.name, {g.type, true, uint32_t(g.location) & 0xFFFF, 0}});
    }
    return out;
}

// --- expressions ---

struct ValueReader::Parser {
    ValueReader& r;
    const std::string& s;
    size_t pos = 0;
    std::string error;
    // Every nesting (parentheses, prefix operators, ?:) passes through unary(): a bound on its
    // depth keeps a hostile expression from running the debugger out of stack.
    int nesting = 0;
    static constexpr int kMaxNesting = 100;

    bool fail(const std::string& why) {
        if (error.empty()) error = why;
        return false;
    }
    void blanks() {
        while (pos < s.size() && std::isspace(static_cast<unsigned char>(s[pos]))) ++pos;
    }
    bool take(const char* op) {
        blanks();
        const size_t n = std::strlen(op);
        if (s.compare(pos, n, op) != 0) return false;
        // "<" is not the start of "<<" or "<=", "&" not of "&&", and so on.
        if (n == 1 && pos + 1 < s.size()) {
            const char next = s[pos + 1];
            const char c = op[0];
            if ((c == '<' || c == '>') && (next == c || next == '=')) return false;
            if ((c == '&' || c == '|') && next == c) return false;
            if ((c == '=' || c == '!') && next == '=') return false;
            if (c == '-' && (next == '>' || next == '-')) return false;
            if (c == '+' && next == '+') return false;
        }
        pos += n;
        return true;
    }
    bool identStart(size_t at) const {
        return at < s.size() && (std::isalpha(static_cast<unsigned char>(s[at])) || s[at] == '_');
    }
    std::string ident() {
        blanks();
        size_t start = pos;
        while (pos < s.size() &&
               (std::isalnum(static_cast<unsigned char>(s[pos])) || s[pos] == '_'))
            ++pos;
        return s.substr(start, pos - start);
    }

    int intType() { return r.scalarType("int", 2, true); }
    Value number(int64_t n, int type) { return {type, false, 0, uint32_t(n)}; }

    // A type name after "(" or "sizeof (": base type, then stars. Nothing when the text there
    // is not a type (the position is then left unchanged).
    std::optional<int> typeName() {
        blanks();
        const size_t save = pos;
        if (!identStart(pos)) return std::nullopt;
        std::string word = ident();
        int type = -1;
        bool isUnsigned = false, isSigned = false;
        while (word == "unsigned" || word == "signed" || word == "const" || word == "volatile") {
            isUnsigned |= word == "unsigned";
            isSigned |= word == "signed";
            blanks();
            word = identStart(pos) ? ident() : "";
        }
        if (word == "char") {
            type = r.scalarType(isUnsigned ? "unsigned char"
                                : isSigned ? "signed char"
                                           : "char",
                                1, !isUnsigned);
        } else if (word == "short" || word == "int" || (word.empty() && (isUnsigned || isSigned))) {
            if (word == "short") {
                const size_t p = pos;
                if (ident() != "int") pos = p;
            }
            type = r.scalarType(isUnsigned ? "unsigned int" : "int", 2, !isUnsigned);
        } else if (word == "long") {
            const size_t p = pos;
            if (ident() != "int") pos = p;
            type = r.scalarType(isUnsigned ? "unsigned long" : "long", 4, !isUnsigned);
        } else if (word == "void" && !isUnsigned && !isSigned) {
            type = -1;
            for (size_t i = 0; i < r.types_.size(); ++i)
                if (r.types_[i].kind == DebugType::Void) type = int(i);
            if (type < 0) type = r.types_.add(DebugType{});
        } else if ((word == "struct" || word == "union") && !isUnsigned && !isSigned) {
            const std::string tag = ident();
            const DebugType::Kind kind = word == "struct" ? DebugType::Struct : DebugType::Union;
            for (size_t i = 0; i < r.types_.size() && type < 0; ++i)
                if (r.types_[i].kind == kind && r.types_[i].name == tag) type = int(i);
            if (type < 0) {
                pos = save;
                fail("no " + word + " " + tag + " in the program");
                return std::nullopt;
            }
        } else if (!isUnsigned && !isSigned && r.info_) {
            for (const DebugTypedef& t : r.info_->typedefs)
                if (t.name == word) type = t.type;
        }
        if (type < 0) {
            pos = save;
            return std::nullopt;
        }
        while (take("*")) type = r.pointerTo(type);
        return type;
    }

    std::optional<Value> variable(const std::string& name) {
        if (r.info_ && r.frame_.function) {
            const DebugFunction& f = *r.frame_.function;
            // The innermost block's variable wins: locals of the narrowest block holding the line.
            const DebugVar* best = nullptr;
            for (const DebugVar& l : f.locals) {
                if (l.name != name) continue;
                if (r.line_ != 0 && (int(r.line_) < l.fromLine || int(r.line_) > l.toLine))
                    continue;
                if (!best || l.fromLine >= best->fromLine) best = &l;
            }
            if (!best)
                for (const DebugVar& p : f.params)
                    if (p.name == name) best = &p;
            if (best)
                return Value{best->type, true, uint32_t(uint16_t(r.frame_.fp + best->location)), 0};
        }
        if (r.info_) {
            for (const DebugVar& g : r.info_->globals)
                if (g.name == name) return Value{g.type, true, uint32_t(g.location) & 0xFFFF, 0};
            for (const DebugFunction& f : r.info_->functions) {
                if (f.name != name) continue;
                DebugType fn;
                fn.kind = DebugType::Function;
                fn.target = f.returnType;
                return Value{r.types_.add(fn), true, f.start, 0};
            }
        }
        return std::nullopt;
    }

    std::optional<Value> reg(const std::string& name) {
        const Machine& m = r.m_;
        const int u16 = r.scalarType("unsigned int", 2, false);
        const int u32 = r.scalarType("unsigned long", 4, false);
        const int u8 = r.scalarType("unsigned char", 1, false);
        if (name == "pc") return number(m.pc, u32);
        if (name == "fp") return number(m.fp, u16);
        if (name == "sp") return number(m.sp, u16);
        if (name == "osp") return number(m.osp, u8);
        if (name == "regA") return number(m.regA, u32);
        if (name == "regB") return number(m.regB, u32);
        if (name == "cond") return number(m.cond, u32);
        return std::nullopt;
    }

    bool charConstant(Value& v) {
        // After the opening quote.
        if (pos >= s.size()) return fail("a character constant that does not end");
        uint32_t c = uint8_t(s[pos++]);
        if (c == '\\') {
            if (pos >= s.size()) return fail("a character constant that does not end");
            const char e = s[pos++];
            switch (e) {
                case 'n':
                    c = '\n';
                    break;
                case 't':
                    c = '\t';
                    break;
                case 'r':
                    c = '\r';
                    break;
                case 'a':
                    c = 7;
                    break;
                case 'b':
                    c = 8;
                    break;
                case 'f':
                    c = 12;
                    break;
                case 'v':
                    c = 11;
                    break;
                case 'x': {
                    c = 0;
                    int digits = 0;
                    while (pos < s.size() && std::isxdigit(static_cast<unsigned char>(s[pos])) &&
                           digits < 2) {
                        c = c * 16 + uint32_t(std::isdigit(static_cast<unsigned char>(s[pos]))
                                                  ? s[pos] - '0'
                                                  : (std::tolower(s[pos]) - 'a' + 10));
                        ++pos;
                        ++digits;
                    }
                    if (digits == 0) return fail("\\x without hexadecimal digits");
                    break;
                }
                default:
                    if (e >= '0' && e <= '7') {
                        c = uint32_t(e - '0');
                        for (int i = 0; i < 2 && pos < s.size() && s[pos] >= '0' && s[pos] <= '7';
                             ++i)
                            c = c * 8 + uint32_t(s[pos++] - '0');
                    } else {
                        c = uint8_t(e);
                    }
            }
        }
        if (pos >= s.size() || s[pos] != '\'')
            return fail("a character constant holds one character");
        ++pos;
        v = number(int8_t(c & 0xFF), intType());  // char is signed
        return true;
    }

    bool primary(Value& v) {
        blanks();
        if (pos >= s.size()) return fail("an expression is missing");
        const char c = s[pos];
        if (c == '(') {
            ++pos;
            if (!expr(v)) return false;
            if (!take(")")) return fail("a ')' is missing");
            return true;
        }
        if (c == '\'') {
            ++pos;
            return charConstant(v);
        }
        if (std::isdigit(static_cast<unsigned char>(c))) {
            uint64_t n = 0;
            int base = 10;
            if (c == '0' && pos + 1 < s.size() && (s[pos + 1] == 'x' || s[pos + 1] == 'X')) {
                base = 16;
                pos += 2;
            } else if (c == '0') {
                base = 8;
            }
            const size_t digitsAt = pos;
            while (pos < s.size() && std::isxdigit(static_cast<unsigned char>(s[pos]))) {
                const char d = char(std::tolower(s[pos]));
                const int digit =
                    std::isdigit(static_cast<unsigned char>(d)) ? d - '0' : d - 'a' + 10;
                if (digit >= base) return fail("a digit that does not belong to the number");
                n = n * uint64_t(base) + uint64_t(digit);
                if (n > 0xFFFFFFFFu) return fail("a number too large for 32 bits");
                ++pos;
            }
            if (base == 16 && pos == digitsAt) return fail("0x without hexadecimal digits");
            bool isUnsigned = false, isLong = n > 0x7FFF;
            while (pos < s.size() && std::strchr("uUlL", s[pos])) {
                if (s[pos] == 'u' || s[pos] == 'U')
                    isUnsigned = true;
                else
                    isLong = true;
                ++pos;
            }
            if (n > 0xFFFF) isLong = true;
            if (!isLong && n > 0x7FFF && base != 10) isUnsigned = true;
            if (identStart(pos)) return fail("a number runs into a name");
            const int type =
                isLong ? r.scalarType(isUnsigned ? "unsigned long" : "long", 4, !isUnsigned)
                       : r.scalarType(isUnsigned ? "unsigned int" : "int", 2, !isUnsigned);
            v = number(int64_t(n), type);
            return true;
        }
        if (c == '$') {
            ++pos;
            const std::string name = ident();
            std::optional<Value> rv = reg(name);
            if (!rv)
                return fail("no register $" + name +
                            " (there are $pc $fp $sp $osp $regA $regB $cond)");
            v = *rv;
            return true;
        }
        if (identStart(pos)) {
            const std::string name = ident();
            if (name == "sizeof") return sizeOfExpr(v);
            std::optional<Value> found = variable(name);
            if (!found) return fail("no symbol \"" + name + "\" in the current context");
            v = *found;
            return true;
        }
        return fail(std::string("unexpected '") + c + "'");
    }

    bool sizeOfExpr(Value& v) {
        blanks();
        int type = -1;
        if (pos < s.size() && s[pos] == '(') {
            const size_t save = pos;
            ++pos;
            if (std::optional<int> t = typeName()) {
                if (!take(")")) return fail("a ')' is missing");
                type = *t;
            } else {
                if (!error.empty()) return false;
                pos = save;
            }
        }
        if (type < 0) {
            Value operand;
            if (!unary(operand)) return false;
            type = operand.type;
        }
        v = number(r.sizeOf(type), r.scalarType("unsigned int", 2, false));
        return true;
    }

    bool postfix(Value& v) {
        if (!primary(v)) return false;
        for (;;) {
            if (take("[")) {
                Value index;
                if (!expr(index)) return false;
                if (!take("]")) return fail("a ']' is missing");
                if (!add(v, index, true, v)) return false;
                if (!deref(v)) return false;
            } else if (take(".")) {
                if (!member(v, ident())) return false;
            } else if (take("->")) {
                if (!deref(v)) return false;
                if (!member(v, ident())) return false;
            } else {
                return true;
            }
        }
    }

    bool member(Value& v, const std::string& name) {
        const DebugType* t = r.typeAt(v.type);
        if (!t || (t->kind != DebugType::Struct && t->kind != DebugType::Union))
            return fail("'" + name + "' asked of a value that is not a struct or union");
        if (!v.lvalue) return fail("a struct that is not in memory");
        for (const DebugMember& m : t->members) {
            if (m.name == name) {
                v = {m.type, true, (v.address + uint32_t(m.offset)) & 0xFFFF, 0};
                return true;
            }
        }
        return fail("there is no member named " + name);
    }

    bool deref(Value& v) {
        const DebugType* t = r.typeAt(v.type);
        if (!t || (t->kind != DebugType::Pointer && t->kind != DebugType::Array))
            return fail("attempt to take contents of a non-pointer value");
        const DebugType* to = r.typeAt(t->target);
        if (!to || to->kind == DebugType::Void)
            return fail("attempt to take contents of a void pointer");
        v = {t->target, true, r.scalarBits(v) & 0xFFFF, 0};
        return true;
    }

    bool isPointer(const Value& v) {
        const DebugType* t = r.typeAt(v.type);
        return t && (t->kind == DebugType::Pointer || t->kind == DebugType::Array);
    }
    bool isScalar(const Value& v) {
        const DebugType* t = r.typeAt(v.type);
        return t && t->kind == DebugType::Scalar;
    }
    int elementSize(const Value& v) {
        const int size = r.sizeOf(r.typeAt(v.type)->target);
        return size > 0 ? size : 1;
    }
    // Pointer arithmetic and the index operator.
    bool add(const Value& a, const Value& b, bool plus, Value& out) {
        if (isPointer(a) && isScalar(b)) {
            const int type = r.typeAt(a.type)->kind == DebugType::Array
                                 ? r.pointerTo(r.typeAt(a.type)->target)
                                 : a.type;
            const int64_t step = r.asNumber(b) * elementSize(a);
            out = number((int64_t(r.scalarBits(a)) + (plus ? step : -step)) & 0xFFFF, type);
            return true;
        }
        if (plus && isScalar(a) && isPointer(b)) return add(b, a, true, out);
        if (!plus && isPointer(a) && isPointer(b)) {
            out = number((int64_t(r.scalarBits(a)) - int64_t(r.scalarBits(b))) / elementSize(a),
                         intType());
            return true;
        }
        return arith(a, b, plus ? '+' : '-', out);
    }

    // The usual arithmetic conversions of a 16-bit int machine: int, unsigned int, long or
    // unsigned long.
    int common(const Value& a, const Value& b) {
        auto rank = [&](const Value& v) {
            const DebugType* t = r.typeAt(v.type);
            const int size = t ? t->size : 2;
            const bool unsig = t && !t->isSigned;
            if (size >= 4) return unsig ? 3 : 2;
            if (size == 2) return unsig ? 1 : 0;
            return 0;  // char promotes to int
        };
        const int k = std::max(rank(a), rank(b));
        switch (k) {
            case 3:
                return r.scalarType("unsigned long", 4, false);
            case 2:
                return r.scalarType("long", 4, true);
            case 1:
                return r.scalarType("unsigned int", 2, false);
            default:
                return intType();
        }
    }

    bool arith(const Value& a, const Value& b, char op, Value& out) {
        if (!isScalar(a) || !isScalar(b)) {
            if ((op == '=' || op == '!' || op == '<' || op == '>' || op == 'l' || op == 'g') &&
                (isPointer(a) || isPointer(b))) {
                const uint32_t x = r.scalarBits(a) & 0xFFFF, y = r.scalarBits(b) & 0xFFFF;
                const bool res = op == '='   ? x == y
                                 : op == '!' ? x != y
                                 : op == '<' ? x < y
                                 : op == '>' ? x > y
                                 : op == 'l' ? x <= y
                                             : x >= y;
                out = number(res, intType());
                return true;
            }
            return fail("an operator needs numbers on both sides");
        }
        const int type = common(a, b);
        const DebugType* t = r.typeAt(type);
        const bool unsig = !t->isSigned;
        const uint32_t mask = t->size >= 4 ? 0xFFFFFFFFu : 0xFFFFu;
        const int64_t x = r.asNumber(a), y = r.asNumber(b);
        const uint64_t ux = uint64_t(x) & mask, uy = uint64_t(y) & mask;
        int64_t res = 0;
        bool boolean = false;
        switch (op) {
            case '+':
                res = x + y;
                break;
            case '-':
                res = x - y;
                break;
            case '*':
                res = x * y;
                break;
            case '/':
            case '%':
                if (y == 0) return fail("division by zero");
                if (unsig)
                    res = int64_t(op == '/' ? ux / uy : ux % uy);
                else
                    res = op == '/' ? x / y : x % y;
                break;
            case '&':
                res = x & y;
                break;
            case '|':
                res = x | y;
                break;
            case '^':
                res = x ^ y;
                break;
            case 'L':
                res = y < 0 || y >= 32 ? 0 : int64_t(uint64_t(x) << y);
                break;
            case 'R':
                res = y < 0 || y >= 32 ? (unsig || x >= 0 ? 0 : -1)
                                       : (unsig ? int64_t(ux >> y) : x >> y);
                break;
            default: {
                boolean = true;
                const bool lt = unsig ? ux < uy : x < y;
                const bool eq = unsig ? ux == uy : x == y;
                const bool v = op == '='   ? eq
                               : op == '!' ? !eq
                               : op == '<' ? lt
                               : op == '>' ? !lt && !eq
                               : op == 'l' ? lt || eq
                                           : !lt;
                res = v;
            }
        }
        out = number(int64_t(uint64_t(res) & mask), boolean ? intType() : type);
        return true;
    }

    bool unary(Value& v) {
        if (nesting >= kMaxNesting) return fail("the expression is nested too deeply");
        ++nesting;
        const bool ok = unaryNested(v);
        --nesting;
        return ok;
    }
    bool unaryNested(Value& v) {
        blanks();
        if (take("-")) {
            if (!unary(v)) return false;
            return arith(number(0, intType()), v, '-', v);
        }
        if (take("+")) return unary(v);
        if (take("!")) {
            if (!unary(v)) return false;
            v = number(r.scalarBits(v) == 0 || (isScalar(v) && r.asNumber(v) == 0), intType());
            return true;
        }
        if (take("~")) {
            if (!unary(v)) return false;
            if (!isScalar(v)) return fail("'~' needs a number");
            return arith(v, number(-1, intType()), '^', v);
        }
        if (take("*")) {
            if (!unary(v)) return false;
            return deref(v);
        }
        if (take("&")) {
            if (!unary(v)) return false;
            if (!v.lvalue) return fail("attempt to take address of a value not located in memory");
            v = number(v.address, r.pointerTo(v.type));
            return true;
        }
        blanks();
        if (pos < s.size() && s[pos] == '(') {
            const size_t save = pos;
            ++pos;
            if (std::optional<int> type = typeName()) {
                if (!take(")")) return fail("a ')' is missing after the type");
                if (!unary(v)) return false;
                return cast(v, *type);
            }
            if (!error.empty()) return false;
            pos = save;
        }
        return postfix(v);
    }

    bool cast(Value& v, int type) {
        const DebugType* t = r.typeAt(type);
        if (t->kind == DebugType::Struct || t->kind == DebugType::Union ||
            t->kind == DebugType::Array)
            return fail("a cast to a struct, union or array");
        if (t->kind == DebugType::Void) {
            v = {type, false, 0, 0};
            return true;
        }
        const DebugType* from = r.typeAt(v.type);
        if (!from || (from->kind != DebugType::Scalar && from->kind != DebugType::Pointer &&
                      from->kind != DebugType::Array))
            return fail("this value cannot be cast");
        uint32_t bits = from->kind == DebugType::Scalar ? uint32_t(r.asNumber(v)) : r.scalarBits(v);
        const int size = t->size;
        if (size < 4) bits &= (1u << (8 * size)) - 1;
        v = number(bits, type);
        return true;
    }

    // Binary operators by precedence, loosest first.
    bool binary(Value& v, int level) {
        static const std::vector<std::vector<std::pair<const char*, char>>> kLevels = {
            {{"||", 'o'}},
            {{"&&", 'a'}},
            {{"|", '|'}},
            {{"^", '^'}},
            {{"&", '&'}},
            {{"==", '='}, {"!=", '!'}},
            {{"<=", 'l'}, {">=", 'g'}, {"<", '<'}, {">", '>'}},
            {{"<<", 'L'}, {">>", 'R'}},
            {{"+", '+'}, {"-", '-'}},
            {{"*", '*'}, {"/", '/'}, {"%", '%'}},
        };
        if (size_t(level) == kLevels.size()) return unary(v);
        if (!binary(v, level + 1)) return false;
        for (;;) {
            char op = 0;
            for (const auto& [text, code] : kLevels[size_t(level)])
                if (take(text)) {
                    op = code;
                    break;
                }
            if (op == 0) return true;
            Value rhs;
            if (!binary(rhs, level + 1)) return false;
            if (op == 'o' || op == 'a') {
                const bool x = truth(v), y = truth(rhs);
                v = number(op == 'o' ? (x || y) : (x && y), intType());
            } else if (op == '+' || op == '-') {
                if (!add(v, rhs, op == '+', v)) return false;
            } else if (!arith(v, rhs, op, v)) {
                return false;
            }
        }
    }
    bool truth(const Value& v) { return isScalar(v) ? r.asNumber(v) != 0 : r.scalarBits(v) != 0; }

    bool expr(Value& v) {
        if (!binary(v, 0)) return false;
        if (take("?")) {
            Value a, b;
            if (!expr(a)) return false;
            if (!take(":")) return fail("a ':' is missing");
            if (!expr(b)) return false;
            v = truth(v) ? a : b;
        }
        return true;
    }
};

bool ValueReader::evaluate(const std::string& text, Value& value, char& format,
                           std::string& error) {
    std::string body = text;
    format = 0;
    auto validFormat = [](char f) { return f && std::strchr("xducs", f) != nullptr; };
    if (body.size() >= 2 && body[0] == '/') {
        if (!validFormat(body[1]) || (body.size() > 2 && body[2] != ' ')) {
            error = "unknown format (x d u c s)";
            return false;
        }
        format = body[1];
        body = body.substr(2);
    } else {
        const size_t comma = body.rfind(',');
        if (comma != std::string::npos && comma + 2 == body.size() &&
            validFormat(body[comma + 1])) {
            format = body[comma + 1];
            body = body.substr(0, comma);
        }
    }
    Parser p{*this, body, 0, {}};
    if (!p.expr(value)) {
        error = p.error.empty() ? "the expression does not parse" : p.error;
        return false;
    }
    p.blanks();
    if (p.pos != body.size()) {
        error = "unexpected '" + body.substr(p.pos, 10) + "' after the expression";
        return false;
    }
    return true;
}

}  // namespace corvane
