#include "tools/vrncc/types.h"

namespace corvane::cc {

const Member* Record::find(const std::string& name) const {
    for (const Member& m : members)
        if (m.name == name) return &m;
    return nullptr;
}

Types::Types() {
    voidT = make(Kind::Void);
    charT = make(Kind::Char);
    scharT = make(Kind::SChar);
    ucharT = make(Kind::UChar);
    boolT = make(Kind::Bool);
    shortT = make(Kind::Short);
    ushortT = make(Kind::UShort);
    intT = make(Kind::Int);
    uintT = make(Kind::UInt);
    longT = make(Kind::Long);
    ulongT = make(Kind::ULong);
    llongT = make(Kind::LLong);
    ullongT = make(Kind::ULLong);
    floatT = make(Kind::Float);
    doubleT = make(Kind::Double);
}

Type* Types::make(Kind k) {
    types_.emplace_back();
    types_.back().kind = k;
    return &types_.back();
}

Type* Types::pointerTo(Type* t) {
    Type* p = make(Kind::Pointer);
    p->base = t;
    return p;
}

Type* Types::arrayOf(Type* t, int64_t count) {
    Type* a = make(Kind::Array);
    a->base = t;
    a->count = count;
    return a;
}

Type* Types::copy(const Type* t) {
    types_.push_back(*t);
    return &types_.back();
}

Record* Types::newRecord() {
    records_.emplace_back();
    return &records_.back();
}

bool isInteger(const Type* t) {
    return t->kind >= Kind::Char && t->kind <= Kind::Enum;
}
bool isFloating(const Type* t) {
    return t->kind == Kind::Float || t->kind == Kind::Double;
}
bool isDouble(const Type* t) {
    return t->kind == Kind::Double;
}
bool isWideScalar(const Type* t) {
    return isLLong(t) || isDouble(t);
}
bool isArithmetic(const Type* t) {
    return isInteger(t) || isFloating(t);
}
bool isPointer(const Type* t) {
    return t->kind == Kind::Pointer;
}
bool isScalar(const Type* t) {
    return isArithmetic(t) || isPointer(t);
}
bool isAggregate(const Type* t) {
    return t->kind == Kind::Struct || t->kind == Kind::Union;
}
bool isVoid(const Type* t) {
    return t->kind == Kind::Void;
}
bool isFunction(const Type* t) {
    return t->kind == Kind::Function;
}
bool isArray(const Type* t) {
    return t->kind == Kind::Array;
}
bool isCharType(const Type* t) {
    return t->kind == Kind::Char || t->kind == Kind::SChar || t->kind == Kind::UChar;
}
bool isLLong(const Type* t) {
    return t->kind == Kind::LLong || t->kind == Kind::ULLong;
}
bool isUnsigned(const Type* t) {
    switch (t->kind) {
        case Kind::Char:
        case Kind::UChar:
        case Kind::Bool:
        case Kind::UShort:
        case Kind::UInt:
        case Kind::ULong:
        case Kind::ULLong:
        case Kind::Pointer:
            return true;
        default:
            return false;
    }
}

int64_t sizeOf(const Type* t) {
    switch (t->kind) {
        case Kind::Void:
            return -1;
        case Kind::Char:
        case Kind::SChar:
        case Kind::UChar:
        case Kind::Bool:
            return 1;
        case Kind::Short:
        case Kind::UShort:
        case Kind::Int:
        case Kind::UInt:
        case Kind::Enum:
        case Kind::Pointer:
            return 2;
        case Kind::Long:
        case Kind::ULong:
        case Kind::Float:
            return 4;
        case Kind::LLong:
        case Kind::ULLong:
        case Kind::Double:
            return 8;
        case Kind::Array: {
            if (t->count < 0) return -1;
            int64_t e = sizeOf(t->base);
            return e < 0 ? -1 : e * t->count;
        }
        case Kind::Function:
            return -1;
        case Kind::Struct:
        case Kind::Union:
            return t->record->complete ? t->record->size : -1;
    }
    return -1;
}

int width(const Type* t) {
    int64_t s = sizeOf(t);
    return s == 1 ? 1 : s == 4 ? 4 : s == 8 ? 8 : 2;
}

int valueBits(const Type* t) {
    return t->bits ? t->bits : width(t) * 8;
}

void integerRange(const Type* t, int64_t& lo, int64_t& hi) {
    const int bits = valueBits(t);
    if (bits >= 64) {  // only the signed range fits here; callers leave 64-bit types alone
        lo = INT64_MIN;
        hi = INT64_MAX;
        return;
    }
    if (isUnsigned(t)) {
        lo = 0;
        hi = (int64_t(1) << bits) - 1;
    } else {
        lo = -(int64_t(1) << (bits - 1));
        hi = (int64_t(1) << (bits - 1)) - 1;
    }
}

// A bit-field promotes to int when int holds all its values (unsigned int:16 does not), as a
// field of a wider type to its declared type; no expression's type keeps the field's width.
static Type* promoteField(Types& types, Type* t) {
    switch (t->kind) {
        case Kind::Long:
            return types.longT;
        case Kind::ULong:
            return types.ulongT;
        case Kind::LLong:
            return types.llongT;
        case Kind::ULLong:
            return types.ullongT;
        default:
            return isUnsigned(t) && t->bits >= 16 ? types.uintT : types.intT;
    }
}

Type* promote(Types& types, Type* t) {
    if (t->bits) return promoteField(types, t);
    switch (t->kind) {
        case Kind::Char:
        case Kind::SChar:
        case Kind::UChar:
        case Kind::Bool:
        case Kind::Short:
        case Kind::Enum:
            return types.intT;
        case Kind::UShort:
            return types.uintT;  // int cannot hold every unsigned short
        default:
            return t;
    }
}

Type* commonType(Types& types, Type* a, Type* b) {
    if (isDouble(a) || isDouble(b)) return types.doubleT;
    if (a->kind == Kind::Float || b->kind == Kind::Float) return types.floatT;
    a = promote(types, a);
    b = promote(types, b);
    if (a->kind == Kind::ULLong || b->kind == Kind::ULLong) return types.ullongT;
    // long long holds every unsigned long.
    if (a->kind == Kind::LLong || b->kind == Kind::LLong) return types.llongT;
    if (a->kind == Kind::ULong || b->kind == Kind::ULong) return types.ulongT;
    // long holds every unsigned int, so the pair becomes long.
    if (a->kind == Kind::Long || b->kind == Kind::Long) return types.longT;
    if (a->kind == Kind::UInt || b->kind == Kind::UInt) return types.uintT;
    return types.intT;
}

namespace {

// Each translation unit declares its own records; two declarations of one struct in different
// units (a header included twice) are the same type when tag and members agree. A member
// pointing to a record is compared by tag, so self-referential records end the walk.
bool sameRecord(const Record* a, const Record* b, int depth) {
    if (a == b) return true;
    if (a->tag != b->tag || a->isUnion != b->isUnion || !a->complete || !b->complete ||
        a->size != b->size || a->members.size() != b->members.size() || depth > 8)
        return false;
    for (size_t i = 0; i < a->members.size(); ++i) {
        const Member& x = a->members[i];
        const Member& y = b->members[i];
        if (x.name != y.name || x.offset != y.offset || x.type->kind != y.type->kind) return false;
        const Type* tx = x.type;
        const Type* ty = y.type;
        while (tx->base && ty->base && tx->kind == ty->kind) {
            tx = tx->base;
            ty = ty->base;
        }
        if (tx->kind != ty->kind) return false;
        if (tx->record && ty->record &&
            (x.type->kind == Kind::Pointer ? tx->record->tag != ty->record->tag
                                           : !sameRecord(tx->record, ty->record, depth + 1)))
            return false;
    }
    return true;
}

}  // namespace

bool compatible(const Type* a, const Type* b) {
    if (a == b) return true;
    Kind ka = a->kind == Kind::Enum ? Kind::Int : a->kind;
    Kind kb = b->kind == Kind::Enum ? Kind::Int : b->kind;
    if (ka != kb) return false;
    switch (ka) {
        case Kind::Pointer:
            return compatible(a->base, b->base);
        case Kind::Array:
            return compatible(a->base, b->base) &&
                   (a->count < 0 || b->count < 0 || a->count == b->count);
        case Kind::Struct:
        case Kind::Union:
            return sameRecord(a->record, b->record, 0);
        case Kind::Function: {
            if (!compatible(a->base, b->base)) return false;
            if (!a->prototype || !b->prototype) return true;
            if (a->params.size() != b->params.size() || a->variadic != b->variadic) return false;
            for (size_t i = 0; i < a->params.size(); ++i)
                if (!compatible(a->params[i].type, b->params[i].type)) return false;
            return true;
        }
        default:
            return true;
    }
}

std::string typeText(const Type* t) {
    std::string q = t->isConst ? "const " : "";
    switch (t->kind) {
        case Kind::Void:
            return q + "void";
        case Kind::Char:
            return q + "char";
        case Kind::SChar:
            return q + "signed char";
        case Kind::UChar:
            return q + "unsigned char";
        case Kind::Bool:
            return q + "_Bool";
        case Kind::Short:
            return q + "short";
        case Kind::UShort:
            return q + "unsigned short";
        case Kind::Int:
            return q + "int";
        case Kind::UInt:
            return q + "unsigned int";
        case Kind::Long:
            return q + "long";
        case Kind::ULong:
            return q + "unsigned long";
        case Kind::LLong:
            return q + "long long";
        case Kind::ULLong:
            return q + "unsigned long long";
        case Kind::Enum:
            return q + "enum";
        case Kind::Float:
            return q + "float";
        case Kind::Double:
            return q + "double";
        case Kind::Pointer:
            return typeText(t->base) + " *";
        case Kind::Array:
            return typeText(t->base) + " [" + (t->count >= 0 ? std::to_string(t->count) : "") + "]";
        case Kind::Function:
            return typeText(t->base) + " ()";
        case Kind::Struct:
            return q + "struct " + t->record->tag;
        case Kind::Union:
            return q + "union " + t->record->tag;
    }
    return "?";
}

}  // namespace corvane::cc
