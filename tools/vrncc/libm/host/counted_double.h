// A double that counts the operations done on it, for measuring what each math function costs
// in software floating-point operations (bench/libm_cost). The math library's C files are
// compiled as C++ with this header forced in front and `double` meaning CountedDouble; every
// operation rounds exactly as on a plain double, so the results are those of the real library.
#pragma once

#include <type_traits>

namespace corvane::vrnm {

struct OpCounts {
    long addSub = 0;
    long mul = 0;
    long div = 0;
    long compare = 0;
    long convert = 0;  // to and from integers and float
};
extern OpCounts ops;

class CountedDouble {
  public:
    CountedDouble() = default;
    CountedDouble(double v) : v_(v) {}
    CountedDouble(float v) : v_(v) { ++ops.convert; }
    template <class T, std::enable_if_t<std::is_integral_v<T>, int> = 0>
    CountedDouble(T v) : v_(double(v)) {
        ++ops.convert;
    }
    template <class T, std::enable_if_t<std::is_arithmetic_v<T>, int> = 0>
    explicit operator T() const {
        if (!std::is_same_v<T, double>) ++ops.convert;
        return T(v_);
    }
    double value() const { return v_; }

    friend CountedDouble operator+(CountedDouble a, CountedDouble b) {
        ++ops.addSub;
        return a.v_ + b.v_;
    }
    friend CountedDouble operator-(CountedDouble a, CountedDouble b) {
        ++ops.addSub;
        return a.v_ - b.v_;
    }
    friend CountedDouble operator*(CountedDouble a, CountedDouble b) {
        ++ops.mul;
        return a.v_ * b.v_;
    }
    friend CountedDouble operator/(CountedDouble a, CountedDouble b) {
        ++ops.div;
        return a.v_ / b.v_;
    }
    // Negation flips the sign bit: no arithmetic.
    CountedDouble operator-() const { return -v_; }
    CountedDouble& operator+=(CountedDouble b) { return *this = *this + b; }
    CountedDouble& operator-=(CountedDouble b) { return *this = *this - b; }
    CountedDouble& operator*=(CountedDouble b) { return *this = *this * b; }
    CountedDouble& operator/=(CountedDouble b) { return *this = *this / b; }
    friend bool operator==(CountedDouble a, CountedDouble b) { return ++ops.compare, a.v_ == b.v_; }
    friend bool operator!=(CountedDouble a, CountedDouble b) { return ++ops.compare, a.v_ != b.v_; }
    friend bool operator<(CountedDouble a, CountedDouble b) { return ++ops.compare, a.v_ < b.v_; }
    friend bool operator>(CountedDouble a, CountedDouble b) { return ++ops.compare, a.v_ > b.v_; }
    friend bool operator<=(CountedDouble a, CountedDouble b) { return ++ops.compare, a.v_ <= b.v_; }
    friend bool operator>=(CountedDouble a, CountedDouble b) { return ++ops.compare, a.v_ >= b.v_; }

  private:
    double v_;
};

}  // namespace corvane::vrnm

#ifdef VRNCC_LIBM_COUNTED
using corvane::vrnm::CountedDouble;
#define double CountedDouble
#endif
