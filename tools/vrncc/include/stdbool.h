#ifndef _STDBOOL_H
#define _STDBOOL_H
/* _Bool holds 0 or 1: any value converted to it becomes 1 when it is not 0. */
#define bool _Bool
#define true 1
#define false 0
#define __bool_true_false_are_defined 1
#endif
