/* The errno of the natively built math library (on the machine the runtime library holds it). */
#include <errno.h>

int errno;
