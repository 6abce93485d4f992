#ifndef _SETJMP_H
#define _SETJMP_H
/* The machine cannot read its own program counter or operand-stack position, so a jump back
 * into a function that called setjmp cannot be made. */
#error "setjmp.h: setjmp and longjmp are not supported"
#endif
