#pragma once
// The computer's own local date and time, read through the POSIX C library (the front ends that
// keep a date of their own start it here; the Windows front end asks Windows itself).

#include "vm/host.h"

namespace corvane {

// The local date and time now, to the millisecond; a leap second reads as :59.
LocalTime systemLocalTime();

}  // namespace corvane
