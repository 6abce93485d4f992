; A switch in a loop: eight kinds of step on a long, chosen by the low bits of a counter, over
; 1,000 steps, 20 times over, written by hand. The kind is found by halving: below 3 or not,
; then compared with each case of its half; 7 is the default.
INT_LOCAL = 0x820000            ; typed address: frame-relative, int
        SETSP 0x3000
        CALL main
        EXIT
main:   ENTER 15, 0             ; acc at fp+5, i at fp+9, r at fp+11, kind at fp+13
        ADDRL 5
        PUSH_B 0
        ASSIGN
        POP_COND
        PUSH_D INT_LOCAL + 11
        PUSH_B 0
        ASSIGN
        POP_COND
pass:   PUSH_D INT_LOCAL + 9
        PUSH_B 0
        ASSIGN
        POP_COND
step:   PUSH_D INT_LOCAL + 13
        LDL_I 9
        PUSH_B 7
        AND
        ASSIGN
        POP_COND
        LDL_I 13
        LTI 3
        POP_COND
        JNZ low
        LDL_I 13
        EQI 3
        POP_COND
        JNZ c3
        LDL_I 13
        EQI 4
        POP_COND
        JNZ c4
        LDL_I 13
        EQI 5
        POP_COND
        JNZ c5
        LDL_I 13
        EQI 6
        POP_COND
        JNZ c6
        JMP other
low:    LDL_I 13
        EQI 0
        POP_COND
        JNZ c0
        LDL_I 13
        EQI 1
        POP_COND
        JNZ c1
        LDL_I 13
        EQI 2
        POP_COND
        JNZ c2
        JMP other
c0:     ADDRL 5
        LDL_L 5
        LDL_I 9
        ADD
        ASSIGN
        POP_COND
        JMP next
c1:     ADDRL 5
        LDL_L 5
        SUBI 3
        ASSIGN
        POP_COND
        JMP next
c2:     ADDRL 5
        LDL_L 5
        LDL_I 9
        SHLI 1
        ADD
        ASSIGN
        POP_COND
        JMP next
c3:     ADDRL 5
        LDL_L 5
        PUSH_B 5
        XOR
        ASSIGN
        POP_COND
        JMP next
c4:     ADDRL 5
        LDL_L 5
        ADDI 7
        ASSIGN
        POP_COND
        JMP next
c5:     ADDRL 5
        LDL_L 5
        LDL_I 9
        SUB
        ASSIGN
        POP_COND
        JMP next
c6:     ADDRL 5
        PREINC
        POP_COND
        JMP next
other:  ADDRL 5
        LDL_L 5
        ADDI 1000
        ASSIGN
        POP_COND
next:   PUSH_D INT_LOCAL + 9
        PREINC
        LTI 1000
        POP_COND
        JNZ step
        PUSH_D INT_LOCAL + 11
        PREINC
        LTI 20
        POP_COND
        JNZ pass
        LDL_L 5
        MODI 251
        RET
