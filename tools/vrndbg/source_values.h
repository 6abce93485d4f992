#pragma once
// C values read out of a snapshot of the data area with the types of the debug information:
// the frames of a stop, walked through the saved frame bases, and `print`'s expressions over
// variables, members, elements and pointers, formatted as C shows them.

#include <cstdint>
#include <string>
#include <vector>

#include "shared/debuginfo/debug_info.h"
#include "shared/debuginfo/type_table.h"

namespace corvane {

// The snapshot of a stop: DataArea from kSnapshotBase, and what the stop's data word carries.
struct StopState {
    const std::vector<uint8_t>* snapshot = nullptr;
    uint16_t fp = 0;
    uint32_t functionId = 0;
    uint32_t line = 0;  // the stop's line value
    // `n` bytes little-endian at machine address `addr`; false when they leave the snapshot.
    bool read(uint32_t addr, int n, uint32_t& out) const;
};

struct Frame {
    uint16_t fp = 0;
    const DebugFunction* function = nullptr;  // null: code without debug information
    uint32_t line = 0;                        // line value of the statement running in it
};

// Frame 0 is the stopped function; each next one its caller, found through the return address
// and the saved frame base at the start of a frame. Ends at the start-up code.
std::vector<Frame> walkFrames(const DebugInfo& info, const StopState& stop);

class ValuePrinter {
  public:
    ValuePrinter(const DebugInfo& info, const StopState& stop, const Frame& frame);
    // "NAME = VALUE" lines for print; false with an error text in `out`.
    bool print(const std::string& expr, std::string& out);
    // The value of a variable of the frame, as print shows it.
    std::string variable(const DebugVar& v, bool global);
    // Variables in scope at the frame's line: parameters, then locals.
    std::vector<const DebugVar*> localsInScope() const;
    std::string typeName(int type) const;

  private:
    struct Val;
    struct Parser;
    std::string format(int type, uint32_t addr, int depth);
    std::string formatScalar(int type, uint32_t raw);
    int sizeOf(int type) const;
    int pointerTo(int type);
    int intType();

    const DebugInfo& info_;
    const StopState& stop_;
    Frame frame_;
    TypeTable types_;  // the program's, and pointer types that & made
};

}  // namespace corvane
