#ifndef _SETJMP_H
#define _SETJMP_H
/* What a longjmp needs to come back out of the setjmp that filled the buffer: where that setjmp
 * resumes and its frame, the two words of the frame a return reads, the operand stack's position
 * and its 64 slots. See runtime/setjmp.c. */
struct __jmp_state {
    unsigned long resume;  /* code address in setjmp, after its call that saved the state */
    unsigned frame;        /* setjmp's frame */
    unsigned char link[5]; /* its frame's return address and its caller's frame */
    unsigned char slot;    /* the operand stack's position there, a byte index in the ring */
    unsigned long ring[64];
};
typedef struct __jmp_state jmp_buf[1];

int setjmp(jmp_buf env);
void longjmp(jmp_buf env, int value);
#endif
