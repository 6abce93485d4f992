#include "tools/vrndbg/source_values.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "shared/debuginfo/floating_text.h"
#include "tools/vrndbg/memory_view.h"

namespace corvane {
namespace {

constexpr int kMaxFrames = 256;
constexpr int kMaxElements = 100;  // of an array shown whole
constexpr int kMaxString = 200;    // bytes of a string shown behind a char pointer

std::string hex4(uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%04X", v);
    return buf;
}

std::string outside(uint32_t addr) {
    return "cannot read " + hex4(addr) + ": outside the data area 0x2000-0x6FFF";
}

std::string quoteChar(uint8_t c) {
    return quotedByte(c, '"', false);  // GB2312 bytes pass as they are
}

}  // namespace

bool StopState::read(uint32_t addr, int n, uint32_t& out) const {
    out = 0;
    if (!snapshot || addr < kSnapshotBase || addr + uint32_t(n) > kSnapshotBase + snapshot->size())
        return false;
    for (int i = n - 1; i >= 0; --i)
        out = out << 8 | (*snapshot)[addr - kSnapshotBase + uint32_t(i)];
    return true;
}

std::vector<Frame> walkFrames(const DebugInfo& info, const StopState& stop) {
    std::vector<Frame> frames;
    frames.push_back({stop.fp, info.functionById(stop.functionId), stop.line});
    const MemoryRead read = [&stop](uint32_t address, int size, uint32_t& value) {
        return stop.read(address, size, value);
    };
    for (const CallerFrame& c : walkCallers(info, stop.fp, read, size_t(kMaxFrames - 1))) {
        uint32_t line = 0;
        for (const DebugLine& l : info.lines)
            if (l.address >= c.function->start && l.address < c.returnAddress) line = l.value;
        frames.push_back({c.fp, c.function, line});
    }
    return frames;
}

struct ValuePrinter::Val {
    int type = -1;  // -1: an integer constant
    bool inMemory = false;
    uint32_t addr = 0;
    int64_t num = 0;
};

ValuePrinter::ValuePrinter(const DebugInfo& info, const StopState& stop, const Frame& frame)
    : info_(info), stop_(stop), frame_(frame), types_(info.types, {2, "int"}) {}

int ValuePrinter::sizeOf(int type) const {
    return types_.sizeOf(type);
}

int ValuePrinter::pointerTo(int type) {
    return types_.pointerTo(type);
}

std::string ValuePrinter::typeName(int type) const {
    return types_.name(type);
}

std::string ValuePrinter::formatScalar(int type, uint32_t raw) {
    const DebugType* t = type >= 0 ? &types_[size_t(type)] : nullptr;
    if (!t) return std::to_string(int64_t(int32_t(raw)));
    const int bits = 8 * t->size;
    int64_t v = raw;
    if (t->isSigned && bits < 64 && (raw >> (bits - 1) & 1)) v -= int64_t(1) << bits;
    std::string s = std::to_string(v);
    if (t->size == 1) s += " '" + quoteChar(uint8_t(raw)) + "'";
    return s;
}

std::string ValuePrinter::format(int type, uint32_t addr, int depth) {
    const DebugType& t = types_[size_t(type)];
    uint32_t raw = 0;
    switch (t.kind) {
        case DebugType::Void:
        case DebugType::Function:
            return "<no value>";
        case DebugType::Scalar:
            if (isFloatingName(t.name)) {
                uint32_t hi = 0;
                if (!stop_.read(addr, 4, raw) || (t.size == 8 && !stop_.read(addr + 4, 4, hi)))
                    return "<" + outside(addr) + ">";
                return floatingText(uint64_t(hi) << 32 | raw, t.size == 8);
            }
            if (t.size == 8) {
                // long long: two halves, the low one first.
                uint32_t hi = 0;
                if (!stop_.read(addr, 4, raw) || !stop_.read(addr + 4, 4, hi))
                    return "<" + outside(addr) + ">";
                const uint64_t v = uint64_t(hi) << 32 | raw;
                return t.isSigned ? std::to_string(int64_t(v)) : std::to_string(v);
            }
            if (!stop_.read(addr, t.size, raw)) return "<" + outside(addr) + ">";
            return formatScalar(type, raw);
        case DebugType::Pointer: {
            if (!stop_.read(addr, 2, raw)) return "<" + outside(addr) + ">";
            const DebugType& to = types_[size_t(t.target)];
            if (to.kind == DebugType::Function) return "(function pointer) " + std::to_string(raw);
            std::string s = "(" + typeName(type) + ") " + hex4(raw);
            if (to.kind == DebugType::Scalar && to.size == 1 && raw != 0) {
                std::string text;
                uint32_t c = 0;
                int n = 0;
                for (; n < kMaxString && stop_.read(raw + uint32_t(n), 1, c) && c; ++n)
                    text += quoteChar(uint8_t(c));
                if (n > 0 || stop_.read(raw, 1, c))
                    s += " \"" + text + (n == kMaxString ? "\"..." : "\"");
            }
            return s;
        }
        case DebugType::Array: {
            const DebugType& elem = types_[size_t(t.target)];
            const int step = sizeOf(t.target);
            if (elem.kind == DebugType::Scalar && elem.size == 1) {
                // A char array reads as the string it holds, up to its terminator.
                std::string text;
                uint32_t c = 0;
                for (long i = 0; i < t.count; ++i) {
                    if (!stop_.read(addr + uint32_t(i), 1, c)) return "<" + outside(addr) + ">";
                    if (!c) break;
                    text += quoteChar(uint8_t(c));
                }
                return "\"" + text + "\"";
            }
            if (depth > 8) return "{...}";
            std::string s = "{";
            for (long i = 0; i < t.count; ++i) {
                if (i) s += ", ";
                if (i == kMaxElements) {
                    s += "...";
                    break;
                }
                s += format(t.target, addr + uint32_t(i * step), depth + 1);
            }
            return s + "}";
        }
        case DebugType::Struct:
        case DebugType::Union: {
            if (depth > 8) return "{...}";
            std::string s = "{";
            for (size_t i = 0; i < t.members.size(); ++i) {
                if (i) s += ", ";
                const DebugMember& m = t.members[i];
                s += m.name + " = " + format(m.type, addr + uint32_t(m.offset), depth + 1);
            }
            return s + "}";
        }
    }
    return "?";
}

std::vector<const DebugVar*> ValuePrinter::localsInScope() const {
    std::vector<const DebugVar*> out;
    if (!frame_.function) return out;
    for (const DebugVar& p : frame_.function->params) out.push_back(&p);
    const int line = lineNumber(frame_.line);
    // A name declared in an inner block hides the outer one: the latest declaration wins.
    std::vector<const DebugVar*> locals;
    for (const DebugVar& l : frame_.function->locals) {
        if (line < l.fromLine || line > l.toLine) continue;
        bool hidden = false;
        for (const DebugVar*& seen : locals)
            if (seen->name == l.name) {
                if (l.fromLine >= seen->fromLine) seen = &l;
                hidden = true;
            }
        if (!hidden) locals.push_back(&l);
    }
    out.insert(out.end(), locals.begin(), locals.end());
    return out;
}

std::string ValuePrinter::variable(const DebugVar& v, bool global) {
    const uint32_t addr = global ? uint32_t(v.location) : uint32_t(frame_.fp + v.location) & 0xFFFF;
    return format(v.type, addr, 0);
}

int ValuePrinter::intType() {
    return types_.scalar("int", 2, true);
}

// A small C expression reader: names, numbers, parentheses, unary * & -, [index], .member,
// ->member, and + - on integers and pointers.
struct ValuePrinter::Parser {
    ValuePrinter& vp;
    const std::string& s;
    size_t pos = 0;
    std::string error;

    void skip() {
        while (pos < s.size() && std::isspace(static_cast<unsigned char>(s[pos]))) ++pos;
    }
    bool accept(const char* p) {
        skip();
        const size_t n = std::char_traits<char>::length(p);
        if (s.compare(pos, n, p) != 0) return false;
        pos += n;
        return true;
    }
    bool fail(const std::string& why) {
        if (error.empty()) error = why;
        return false;
    }
    std::string ident() {
        skip();
        size_t start = pos;
        while (pos < s.size() &&
               (std::isalnum(static_cast<unsigned char>(s[pos])) || s[pos] == '_'))
            ++pos;
        return s.substr(start, pos - start);
    }

    const DebugType& type(const Val& v) { return vp.types_[size_t(v.type)]; }

    // The value an operator works on: scalars loaded, arrays decayed to their first element.
    bool rvalue(Val& v) {
        if (v.type < 0 || !v.inMemory) return true;
        const DebugType& t = type(v);
        if (t.kind == DebugType::Array) {
            v = {vp.pointerTo(t.target), false, 0, int64_t(v.addr)};
            return true;
        }
        if (t.kind == DebugType::Struct || t.kind == DebugType::Union)
            return fail("a " + vp.typeName(v.type) + " is not a number");
        uint32_t raw = 0;
        if (!vp.stop_.read(v.addr, t.size, raw)) return fail(outside(v.addr));
        int64_t n = raw;
        if (t.kind == DebugType::Scalar && t.isSigned && (raw >> (8 * t.size - 1) & 1))
            n -= int64_t(1) << (8 * t.size);
        v = {v.type, false, 0, n};
        return true;
    }
    bool isPointer(const Val& v) { return v.type >= 0 && type(v).kind == DebugType::Pointer; }

    bool deref(Val& v) {
        if (!rvalue(v)) return false;
        if (!isPointer(v)) return fail("only a pointer can be followed");
        const int target = type(v).target;
        if (vp.types_[size_t(target)].kind == DebugType::Void)
            return fail("a void pointer cannot be followed");
        v = {target, true, uint32_t(v.num) & 0xFFFF, 0};
        return true;
    }

    bool member(Val& v, const std::string& name) {
        const DebugType& t = type(v);
        if (v.type < 0 || (t.kind != DebugType::Struct && t.kind != DebugType::Union))
            return fail("'" + name + "' is asked of something that is not a struct or union");
        for (const DebugMember& m : t.members)
            if (m.name == name) {
                v = {m.type, true, (v.addr + uint32_t(m.offset)) & 0xFFFF, 0};
                return true;
            }
        return fail("there is no member named " + name);
    }

    bool primary(Val& v) {
        v = Val{};
        skip();
        if (accept("(")) {
            if (!additive(v)) return false;
            return accept(")") || fail("')' expected");
        }
        if (pos < s.size() && std::isdigit(static_cast<unsigned char>(s[pos]))) {
            size_t start = pos;
            while (pos < s.size() && std::isalnum(static_cast<unsigned char>(s[pos]))) ++pos;
            auto n = parseNumber(s.substr(start, pos - start));
            if (!n) return fail("not a number: " + s.substr(start, pos - start));
            v = {-1, false, 0, *n};
            return true;
        }
        const std::string name = ident();
        if (name.empty()) return fail("a name or a number expected");
        for (const DebugVar* l : vp.localsInScope()) {
            // Parameters first, then locals: a later entry with the same name hides an earlier.
            if (l->name != name) continue;
            v = {l->type, true, uint32_t(vp.frame_.fp + l->location) & 0xFFFF, 0};
        }
        if (v.inMemory) return true;
        for (const DebugVar& g : vp.info_.globals)
            if (g.name == name) {
                v = {g.type, true, uint32_t(g.location), 0};
                return true;
            }
        return fail("no symbol \"" + name + "\" in the current context");
    }

    bool postfix(Val& v) {
        if (!primary(v)) return false;
        for (;;) {
            if (accept("[")) {
                Val index;
                if (!additive(index) || !rvalue(index) || !accept("]")) return fail("']' expected");
                if (!rvalue(v)) return false;
                if (!isPointer(v)) return fail("only an array or a pointer can be indexed");
                const int elem = type(v).target;
                v.num += index.num * vp.sizeOf(elem);
                if (!deref(v)) return false;
            } else if (accept("->")) {
                if (!deref(v) || !member(v, ident())) return false;
            } else if (accept(".")) {
                if (!member(v, ident())) return false;
            } else {
                return true;
            }
        }
    }

    bool unary(Val& v) {
        if (accept("*")) return unary(v) && deref(v);
        if (accept("&")) {
            if (!unary(v)) return false;
            if (!v.inMemory) return fail("only a variable, member or element has an address");
            v = {vp.pointerTo(v.type), false, 0, int64_t(v.addr)};
            return true;
        }
        if (accept("-")) {
            if (!unary(v) || !rvalue(v)) return false;
            if (isPointer(v)) return fail("a pointer cannot be negated");
            v.num = -v.num;
            return true;
        }
        return postfix(v);
    }

    bool additive(Val& v) {
        if (!unary(v)) return false;
        for (;;) {
            const bool plus = accept("+");
            if (!plus && !accept("-")) return true;
            Val r;
            if (!unary(r) || !rvalue(v) || !rvalue(r)) return false;
            if (isPointer(v) && isPointer(r)) {
                if (plus) return fail("two pointers cannot be added");
                const int step = std::max(1, vp.sizeOf(type(v).target));
                v = {vp.intType(), false, 0, (v.num - r.num) / step};
            } else if (isPointer(v) || isPointer(r)) {
                Val& p = isPointer(v) ? v : r;
                const Val& n = isPointer(v) ? r : v;
                if (!plus && &p == &r) return fail("a pointer cannot be taken from a number");
                const int step = vp.sizeOf(type(p).target);
                Val sum = p;
                sum.num = (p.num + (plus ? n.num : -n.num) * step) & 0xFFFF;
                v = sum;
            } else {
                v.num = plus ? v.num + r.num : v.num - r.num;
                v.type = -1;
            }
        }
    }
};

bool ValuePrinter::print(const std::string& expr, std::string& out) {
    Parser p{*this, expr, 0, {}};
    Val v;
    if (!p.additive(v)) {
        out = p.error + "\n";
        return false;
    }
    p.skip();
    if (p.pos != expr.size()) {
        out = "unexpected '" + expr.substr(p.pos) + "'\n";
        return false;
    }
    std::string text;
    if (v.inMemory) {
        const DebugType& t = types_[size_t(v.type)];
        uint32_t probe = 0;
        if (t.kind != DebugType::Struct && t.kind != DebugType::Union &&
            t.kind != DebugType::Array && !stop_.read(v.addr, std::max(1, t.size), probe)) {
            out = outside(v.addr) + "\n";
            return false;
        }
        text = format(v.type, v.addr, 0);
    } else if (v.type >= 0 && types_[size_t(v.type)].kind == DebugType::Pointer) {
        text = "(" + typeName(v.type) + ") " + hex4(uint32_t(v.num) & 0xFFFF);
    } else {
        text = std::to_string(v.num);
    }
    size_t start = 0, end = expr.size();
    while (start < end && std::isspace(static_cast<unsigned char>(expr[start]))) ++start;
    while (end > start && std::isspace(static_cast<unsigned char>(expr[end - 1]))) --end;
    out = expr.substr(start, end - start) + " = " + text + "\n";
    return true;
}

}  // namespace corvane
