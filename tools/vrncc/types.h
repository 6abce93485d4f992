#pragma once
// C types at the machine's widths: char 8 bits, short and int 16, long 32, long long 64,
// pointers 16; float and double are IEEE binary32 and binary64, done in software. Objects are
// byte-aligned: the machine loads and stores any width at any address.

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "tools/vrncc/diagnostics.h"

namespace corvane::cc {

enum class Kind {
    Void,
    Char,  // plain char: unsigned
    SChar,
    UChar,
    Bool,  // _Bool: 0 or 1 in a byte; conversions to it compare with 0
    Short,
    UShort,
    Int,
    UInt,
    Long,
    ULong,
    LLong,  // 64 bits: held in memory, its value is an address (see codegen_llong.cpp)
    ULLong,
    Enum,    // behaves as int
    Float,   // IEEE binary32: its bit pattern in a slot (see codegen_float.cpp)
    Double,  // IEEE binary64 (long double too): held in memory like long long
    Pointer,
    Array,
    Function,
    Struct,
    Union,
};

struct Type;
struct Symbol;

struct Member {
    std::string name;
    Type* type = nullptr;
    int offset = 0;
};

struct Record {
    std::string tag;
    bool complete = false;
    bool isUnion = false;
    bool broken = false;    // a member declaration was in error: a missing member says nothing
    bool flexible = false;  // the last member is an array of unknown size (it takes no room)
    std::vector<Member> members;
    int size = 0;
    Loc loc;
    const Member* find(const std::string& name) const;
};

struct Param {
    std::string name;
    Type* type = nullptr;
    Loc loc;
};

struct Type {
    Kind kind = Kind::Int;
    Type* base = nullptr;  // pointed-to, element or return type
    int64_t count = -1;    // array elements; -1 when not given
    Record* record = nullptr;
    std::vector<Param> params;
    bool prototype = false;  // parameters declared (not an old-style or empty list)
    bool variadic = false;
    bool isConst = false;
    bool isVolatile = false;
    // A bit-field member's type: `bits` wide (0 for every other type), starting `bitOffset`
    // bits above the least significant bit of its allocation unit, an object of this type.
    int bits = 0;
    int bitOffset = 0;
};

class Types {
  public:
    Types();
    Type* make(Kind k);
    Type* pointerTo(Type* t);
    Type* arrayOf(Type* t, int64_t count);
    Type* copy(const Type* t);
    Record* newRecord();

    Type *voidT, *charT, *scharT, *ucharT, *boolT, *shortT, *ushortT, *intT, *uintT, *longT,
        *ulongT, *llongT, *ullongT, *floatT, *doubleT;

  private:
    std::deque<Type> types_;
    std::deque<Record> records_;
};

bool isInteger(const Type* t);
bool isArithmetic(const Type* t);
bool isScalar(const Type* t);
bool isPointer(const Type* t);
bool isAggregate(const Type* t);  // struct or union
bool isUnsigned(const Type* t);
bool isVoid(const Type* t);
bool isFunction(const Type* t);
bool isArray(const Type* t);
bool isCharType(const Type* t);
bool isLLong(const Type* t);     // long long or unsigned long long
bool isFloating(const Type* t);  // float or double
bool isDouble(const Type* t);
// An 8-byte scalar (long long or double): held in memory, its value is an address.
bool isWideScalar(const Type* t);
// Size in bytes; -1 for incomplete types and functions.
int64_t sizeOf(const Type* t);
// Bytes that a scalar of this type occupies in memory: 1, 2, 4 or 8.
int width(const Type* t);
// The bits of a value of type `t`: a bit-field's width, or the type's.
int valueBits(const Type* t);
// The smallest and largest values of an integer type (for a 64-bit type, the signed range).
void integerRange(const Type* t, int64_t& lo, int64_t& hi);
// The integer promotion of an arithmetic type.
Type* promote(Types& types, Type* t);
// The common type of the usual arithmetic conversions.
Type* commonType(Types& types, Type* a, Type* b);
bool compatible(const Type* a, const Type* b);
std::string typeText(const Type* t);

}  // namespace corvane::cc
