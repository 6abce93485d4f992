; Pointer walks: 1,000 ints copied from 0x4000 to 0x4800 through two pointers, then summed
; through a third, 20 times over, written by hand. A pointer is an unsigned 16-bit value: the
; walks test it for equality on its 16 bits as loaded, and step it through its typed address.
INT_LOCAL = 0x820000            ; typed address: frame-relative, int
FROM = 0x4000
TO = 0x4800
        SETSP 0x3000
        CALL main
        EXIT
main:   ENTER 21, 0             ; p at fp+5, q at fp+7, end at fp+9, sum at fp+11, i at fp+15,
                                ; r at fp+17
        PUSH_D INT_LOCAL + 9
        PUSH_W FROM + 2000
        ASSIGN
        POP_COND
        ADDRL 11
        PUSH_B 0
        ASSIGN
        POP_COND
        PUSH_D INT_LOCAL + 15
        PUSH_B 0
        ASSIGN
        POP_COND
fill:   LDL_I 15
        SHLI 1
        REFGX_I FROM
        LDL_I 15
        ASSIGN
        POP_COND
        PUSH_D INT_LOCAL + 15
        PREINC
        LTI 1000
        POP_COND
        JNZ fill
        PUSH_D INT_LOCAL + 17
        PUSH_B 0
        ASSIGN
        POP_COND
pass:   PUSH_D INT_LOCAL + 5
        PUSH_W FROM
        ASSIGN
        POP_COND
        PUSH_D INT_LOCAL + 7
        PUSH_W TO
        ASSIGN
        POP_COND
copy:   LDL_I 7
        REFGX_I 0
        LDL_I 5
        LDGX_I 0
        LDL_I 17
        ADD
        ASSIGN
        POP_COND
        PUSH_D INT_LOCAL + 7
        LDL_I 7
        ADDI 2
        ASSIGN
        POP_COND
        PUSH_D INT_LOCAL + 5
        LDL_I 5
        ADDI 2
        ASSIGN
        POP_COND
        LDL_I 5
        LDL_I 9
        NE
        POP_COND
        JNZ copy
        PUSH_D INT_LOCAL + 7
        PUSH_W TO
        ASSIGN
        POP_COND
add:    ADDRL 11
        LDL_L 11
        LDL_I 7
        LDGX_I 0
        ADD
        ASSIGN
        POP_COND
        PUSH_D INT_LOCAL + 7
        LDL_I 7
        ADDI 2
        ASSIGN
        POP_COND
        LDL_I 7
        NEI TO + 2000
        POP_COND
        JNZ add
        PUSH_D INT_LOCAL + 17
        PREINC
        LTI 20
        POP_COND
        JNZ pass
        LDL_L 11
        MODI 251
        RET
