/* setjmp and longjmp. The machine has no instruction that reads or sets its frame registers,
 * its program counter or the operand stack's position, but each is in memory, or can be found
 * there:
 * - a function's frame begins 5 bytes below its first parameter; it holds the return address (3
 *   bytes) and the caller's frame (2 bytes), which RET loads into pc and fp, and RET sets sp to
 *   the frame it leaves. A function that rewrites those 5 bytes of its own frame returns where
 *   it wants, into the frame it wants.
 * - the operand stack is the 256-byte ring at 0x7600. Its position is nowhere to be read, but
 *   ENTER leaves a function's arguments in the ring above the position it lowers to, and only the
 *   first few of them are overwritten before the function reads the ring: a function called with
 *   a signature as its last arguments finds its own entry position by looking for it.
 * longjmp restores the ring as setjmp saw it, turned so that it lines up with the position where
 * longjmp finds itself (every access to the ring is relative to the position, so the machine
 * cannot tell the two apart), and returns into setjmp's frame, after setjmp's call that saved
 * the state, with the value setjmp is to return: setjmp returns it, with the frame registers as
 * they were when it was first called. */
#include <setjmp.h>

#define RING ((unsigned long *)0x7600)
#define MAGIC 0x5E7A3B1DUL
/* Arguments before the signature: more slots than a function uses before it looks. */
#define PADDING 12

static unsigned long __jmp_serial;

/* The ring's byte index just below the arguments of the call whose last two arguments were
 * `serial` and MAGIC: the position the callee's ENTER left. */
static unsigned char __jmp_entry_slot(unsigned long serial)
{
    int k;
    for (k = 0; k < 64; k++)
        if (RING[k] == serial && RING[(k + 1) & 63] == MAGIC) break;
    return (unsigned char)((k - PADDING) * 4);
}

static int __jmp_save(struct __jmp_state *s, int p1, int p2, int p3, int p4, int p5, int p6,
                      int p7, int p8, int p9, int p10, int p11, unsigned long serial,
                      unsigned long magic)
{
    unsigned char *me = (unsigned char *)&s - 5, *frame;
    int i;
    s->slot = __jmp_entry_slot(serial);
    s->resume = me[0] | (unsigned long)me[1] << 8 | (unsigned long)me[2] << 16;
    s->frame = me[3] | me[4] << 8;
    frame = (unsigned char *)s->frame;
    for (i = 0; i < 5; i++) s->link[i] = frame[i];
    for (i = 0; i < 64; i++) s->ring[i] = RING[i];
    return 0;
}

/* Makes the frame at `f` return to the code address `to`. */
static void __jmp_return_to(unsigned char *f, unsigned long to)
{
    f[0] = (unsigned char)to;
    f[1] = (unsigned char)(to >> 8);
    f[2] = (unsigned char)(to >> 16);
}

/* How many frames lie from `f` up to setjmp's frame `target` along the callers' links, or -1
 * when the links do not lead there (setjmp's function has returned): a caller's frame is always
 * below its callee's. */
static int __jmp_frames_between(unsigned f, unsigned target)
{
    int n = 0;
    unsigned caller;
    while (f != target) {
        caller = ((unsigned char *)f)[3] | ((unsigned char *)f)[4] << 8;
        if (caller >= f || ++n > 2000) return -1;
        f = caller;
    }
    return n;
}

static int __jmp_back(struct __jmp_state *s, int value, int p2, int p3, int p4, int p5, int p6,
                      int p7, int p8, int p9, int p10, int p11, unsigned long serial,
                      unsigned long magic)
{
    unsigned char *me = (unsigned char *)&s - 5, *frame = (unsigned char *)s->frame;
    unsigned char here = __jmp_entry_slot(serial);
    unsigned f = me[3] | me[4] << 8;
    int j;
    /* The slots below this position become those below setjmp's: this function's own work is
     * above it, where the ring is free. */
    for (j = 1; j < 64; j++) RING[((here >> 2) - j) & 63] = s->ring[((s->slot >> 2) - j) & 63];
    /* Each frame the jump drops returns in turn through setjmp's last instruction, a RET, down
     * to setjmp's own frame (the frame of the call below setjmp's caller lies where setjmp's
     * lay). So every frame is left by a RET, as if each had returned: a program built for the
     * debugger keeps one function marker a frame, and each RET takes one off, so the markers
     * of the dropped frames go with them. Without markers those RETs only cost a few
     * instructions. */
    if (__jmp_frames_between(f, s->frame) >= 0) {
        while (f != s->frame) {
            __jmp_return_to((unsigned char *)f, s->resume);
            f = ((unsigned char *)f)[3] | ((unsigned char *)f)[4] << 8;
        }
    } else {
        me[3] = (unsigned char)s->frame;
        me[4] = (unsigned char)(s->frame >> 8);
    }
    for (j = 0; j < 5; j++) frame[j] = s->link[j];
    __jmp_return_to(me, s->resume);
    return value;
}

int setjmp(jmp_buf env)
{
    /* Returns 0 here; longjmp makes this call return its value a second time. */
    return __jmp_save(env, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, ++__jmp_serial, MAGIC);
}

void longjmp(jmp_buf env, int value)
{
    __jmp_back(env, value ? value : 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, ++__jmp_serial, MAGIC);
}
