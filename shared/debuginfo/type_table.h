#pragma once
// What both debuggers (vrndbg over the link's snapshot, the debug server over the whole machine)
// do alike with a program's debug information: the types looked up by number, with the pointer
// and scalar types an expression makes added after the program's own, their C names and sizes; a
// byte as C writes it between quotes; and the chain of a stop's frames through the return
// addresses and saved frame bases. Where the two differ (what an unknown type is called and how
// large it is, which bytes are escaped, how memory is read) the caller says.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "shared/debuginfo/debug_info.h"

namespace corvane {

class TypeTable {
  public:
    // What a type number the table does not have comes to.
    struct Unknown {
        int size = 0;
        const char* name = "?";
    };

    TypeTable() = default;
    TypeTable(std::vector<DebugType> types, Unknown unknown)
        : types_(std::move(types)), unknown_(unknown) {}

    // The type of number `type`; null for one the table does not have.
    const DebugType* at(int type) const {
        return type >= 0 && size_t(type) < types_.size() ? &types_[size_t(type)] : nullptr;
    }
    const DebugType& operator[](size_t index) const { return types_[index]; }
    size_t size() const { return types_.size(); }
    // Adds a type; its number.
    int add(DebugType type);
    // A pointer to `type`, or the scalar of that C name: the program's own, else one made now.
    int pointerTo(int type);
    int scalar(const std::string& name, int size, bool isSigned);
    // Bytes of a value of the type (an array: its elements').
    int sizeOf(int type) const;
    // The C name: "unsigned char *", "struct node", "int [3]", "int (*)()".
    std::string name(int type) const;

  private:
    std::vector<DebugType> types_;
    Unknown unknown_;
};

// A byte between C quotes: escapes for the line breaks, the tab, zero, the backslash and `quote`,
// octal for the other control bytes and 0x7F, and for the bytes above 0x7F when `escapeHigh`
// (else they pass as they are, GB2312 text).
std::string quotedByte(uint8_t c, char quote, bool escapeHigh);

// One frame of a caller: the function its return address lies in, its frame base and the
// return address.
struct CallerFrame {
    const DebugFunction* function = nullptr;
    uint16_t fp = 0;
    uint32_t returnAddress = 0;
};

// `size` bytes little-endian at `address`; false when they cannot be read.
using MemoryRead = std::function<bool(uint32_t address, int size, uint32_t& value)>;

// The callers of the frame whose base is `fp`, nearest first, at most `limit`: each through the
// return address (3 bytes at the frame base) and the saved frame base (2 bytes after it). The
// chain ends at the start-up code (a return address in no function) or at a saved base that
// does not lie below, which is no frame.
std::vector<CallerFrame> walkCallers(const DebugInfo& info, uint16_t fp, const MemoryRead& read,
                                     size_t limit);

}  // namespace corvane
