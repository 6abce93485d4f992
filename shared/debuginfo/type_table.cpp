#include "shared/debuginfo/type_table.h"

#include <cstdio>

namespace corvane {

int TypeTable::add(DebugType type) {
    types_.push_back(std::move(type));
    return int(types_.size() - 1);
}

int TypeTable::pointerTo(int type) {
    for (size_t i = 0; i < types_.size(); ++i)
        if (types_[i].kind == DebugType::Pointer && types_[i].target == type) return int(i);
    DebugType p;
    p.kind = DebugType::Pointer;
    p.size = 2;
    p.target = type;
    return add(p);
}

int TypeTable::scalar(const std::string& name, int size, bool isSigned) {
    for (size_t i = 0; i < types_.size(); ++i)
        if (types_[i].kind == DebugType::Scalar && types_[i].name == name) return int(i);
    DebugType t;
    t.kind = DebugType::Scalar;
    t.name = name;
    t.size = size;
    t.isSigned = isSigned;
    return add(t);
}

int TypeTable::sizeOf(int type) const {
    const DebugType* t = at(type);
    if (!t) return unknown_.size;
    if (t->kind == DebugType::Array) return int(t->count * sizeOf(t->target));
    return t->size;
}

std::string TypeTable::name(int type) const {
    const DebugType* t = at(type);
    if (!t) return unknown_.name;
    switch (t->kind) {
        case DebugType::Void:
            return "void";
        case DebugType::Scalar:
            return t->name;
        case DebugType::Pointer: {
            const DebugType* to = at(t->target);
            if (to && to->kind == DebugType::Function) return name(to->target) + " (*)()";
            return name(t->target) + " *";
        }
        case DebugType::Array:
            return name(t->target) + " [" + std::to_string(t->count) + "]";
        case DebugType::Struct:
            return "struct " + (t->name.empty() ? std::string("{...}") : t->name);
        case DebugType::Union:
            return "union " + (t->name.empty() ? std::string("{...}") : t->name);
        case DebugType::Function:
            return name(t->target) + " ()";
    }
    return "?";
}

std::string quotedByte(uint8_t c, char quote, bool escapeHigh) {
    switch (c) {
        case '\n':
            return "\\n";
        case '\t':
            return "\\t";
        case '\r':
            return "\\r";
        case '\0':
            return "\\0";
        case '\\':
            return "\\\\";
        default:
            break;
    }
    if (c == uint8_t(quote)) return std::string("\\") + quote;
    if (c < 0x20 || c == 0x7F || (escapeHigh && c > 0x7F)) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "\\%03o", c);
        return buf;
    }
    return std::string(1, char(c));
}

std::vector<CallerFrame> walkCallers(const DebugInfo& info, uint16_t fp, const MemoryRead& read,
                                     size_t limit) {
    std::vector<CallerFrame> callers;
    while (callers.size() < limit) {
        uint32_t ret = 0, saved = 0;
        if (!read(fp, 3, ret) || !read(uint32_t(fp) + 3, 2, saved)) break;
        const DebugFunction* caller = info.functionAt(ret);
        if (!caller || saved >= fp) break;
        callers.push_back({caller, uint16_t(saved), ret});
        fp = uint16_t(saved);
    }
    return callers;
}

}  // namespace corvane
