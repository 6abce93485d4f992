#pragma once
// The bits of a value as another type of the same size (std::bit_cast, which the WebAssembly
// build's C++ library does not have yet).

#include <cstring>
#include <type_traits>

namespace corvane {

template <class To, class From>
To bitCast(const From& from) {
    static_assert(sizeof(To) == sizeof(From), "bitCast between types of different sizes");
    static_assert(std::is_trivially_copyable_v<To> && std::is_trivially_copyable_v<From>);
    To to;
    std::memcpy(&to, &from, sizeof to);
    return to;
}

}  // namespace corvane
