#pragma once
// A float or double variable's value as the debuggers show it: the shortest decimal text that
// reads back as the same value ("0.1", "-2.5e-07", "inf", "nan").

#include <cstdint>
#include <string>

namespace corvane {

// `bits`: a double's 64 bits, or a float's 32 in the low half.
std::string floatingText(uint64_t bits, bool isDouble);

// Whether a scalar type of the debug information is float or double, by its name.
inline bool isFloatingName(const std::string& name) {
    return name == "float" || name == "double";
}

}  // namespace corvane
