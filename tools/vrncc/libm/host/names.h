/* Forced in front of every file of the math library when the build machine's compiler builds
 * it (the unit tests and the accuracy harness): its functions take vrnm_ names, so they never
 * meet the host's own libm in one program. The machine's build does not use this file. */
#ifndef VRNCC_LIBM_HOST_NAMES_H
#define VRNCC_LIBM_HOST_NAMES_H
#define sqrt vrnm_sqrt
#define fabs vrnm_fabs
#define copysign vrnm_copysign
#define floor vrnm_floor
#define ceil vrnm_ceil
#define trunc vrnm_trunc
#define fmod vrnm_fmod
#define frexp vrnm_frexp
#define ldexp vrnm_ldexp
#define modf vrnm_modf
#define sin vrnm_sin
#define cos vrnm_cos
#define tan vrnm_tan
#define asin vrnm_asin
#define acos vrnm_acos
#define atan vrnm_atan
#define atan2 vrnm_atan2
#define exp vrnm_exp
#define expm1 vrnm_expm1
#define log vrnm_log
#define log10 vrnm_log10
#define pow vrnm_pow
#define sinh vrnm_sinh
#define cosh vrnm_cosh
#define tanh vrnm_tanh
#define sqrtf vrnm_sqrtf
#define fabsf vrnm_fabsf
#define copysignf vrnm_copysignf
#define floorf vrnm_floorf
#define ceilf vrnm_ceilf
#define truncf vrnm_truncf
#define fmodf vrnm_fmodf
#define frexpf vrnm_frexpf
#define ldexpf vrnm_ldexpf
#define modff vrnm_modff
#define sinf vrnm_sinf
#define cosf vrnm_cosf
#define tanf vrnm_tanf
#define asinf vrnm_asinf
#define acosf vrnm_acosf
#define atanf vrnm_atanf
#define atan2f vrnm_atan2f
#define expf vrnm_expf
#define expm1f vrnm_expm1f
#define logf vrnm_logf
#define log10f vrnm_log10f
#define powf vrnm_powf
#define sinhf vrnm_sinhf
#define coshf vrnm_coshf
#define tanhf vrnm_tanhf
#define __fpclassify vrnm_fpclassify
#define __signbit vrnm_signbit
#define errno vrnm_errno
#endif
