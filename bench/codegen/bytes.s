; Byte strings through a pointer: a hash of 2,000 bytes at 0x4000, 10 times over, written by
; hand. The hash is an unsigned 16-bit value: it is cut to 16 bits after each step.
        SETSP 0x3000
        CALL main
        EXIT
main:   ENTER 21, 0             ; p at fp+5, hash at fp+9, i at fp+13, r at fp+17
        ADDRL 13
        PUSH_B 0
        ASSIGN
        POP_COND
fill:   LDL_L 13
        REFGX_C 0x4000
        LDL_L 13
        MODI 91
        ADDI 32
        ASSIGN
        POP_COND
        ADDRL 13
        LDL_L 13
        ADDI 1
        ASSIGN
        LTI 2000
        POP_COND
        JNZ fill
        ADDRL 9
        PUSH_B 0
        ASSIGN
        ADDRL 17
        PUSH_B 0
        ASSIGN
        POP_COND
        POP_COND
pass:   ADDRL 5
        PUSH_W 0x4000
        ASSIGN
        POP_COND
next:   LDL_L 5
        LDGX_C 0
        POP_COND
        JZ done
        ADDRL 9
        LDL_L 9
        MULI 31
        LDL_L 5
        LDGX_C 0
        ADD
        PUSH_D 0xFFFF
        AND
        ASSIGN
        POP_COND
        ADDRL 5
        LDL_L 5
        ADDI 1
        ASSIGN
        POP_COND
        JMP next
done:   ADDRL 17
        LDL_L 17
        ADDI 1
        ASSIGN
        LTI 10
        POP_COND
        JNZ pass
        LDL_L 9
        MODI 251
        RET
