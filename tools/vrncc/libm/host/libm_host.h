// The compiler's math library as the build machine's compiler builds it (vrncc_libm_host): the
// same C as the machine runs, its functions named vrnm_*. Used by the unit tests and the
// accuracy harness; EDOM and ERANGE are the machine's values, not the host's.
#pragma once

extern "C" {
extern int vrnm_errno;
int vrnm_fpclassify(double x);
int vrnm_signbit(double x);
double vrnm_sqrt(double x);
double vrnm_fabs(double x);
double vrnm_copysign(double x, double y);
double vrnm_floor(double x);
double vrnm_ceil(double x);
double vrnm_trunc(double x);
double vrnm_fmod(double x, double y);
double vrnm_frexp(double x, int* e);
double vrnm_ldexp(double x, int n);
double vrnm_modf(double x, double* ip);
double vrnm_sin(double x);
double vrnm_cos(double x);
double vrnm_tan(double x);
double vrnm_asin(double x);
double vrnm_acos(double x);
double vrnm_atan(double x);
double vrnm_atan2(double y, double x);
double vrnm_exp(double x);
double vrnm_expm1(double x);
double vrnm_log(double x);
double vrnm_log10(double x);
double vrnm_pow(double x, double y);
double vrnm_sinh(double x);
double vrnm_cosh(double x);
double vrnm_tanh(double x);
float vrnm_sqrtf(float x);
float vrnm_sinf(float x);
float vrnm_powf(float x, float y);
float vrnm_modff(float x, float* ip);
}

namespace corvane::vrnm {
// The machine's errno values (tools/vrncc/include/errno.h).
constexpr int kEdom = 33;
constexpr int kErange = 34;
}  // namespace corvane::vrnm
