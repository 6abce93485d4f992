; Locals and immediates: sum of 3i over 30,000 steps, written by hand.
        SETSP 0x3000
        CALL main
        EXIT
main:   ENTER 13, 0             ; i at fp+5, sum at fp+9
        ADDRL 5
        PUSH_B 0
        ASSIGN
        ADDRL 9
        PUSH_B 0
        ASSIGN
        POP_COND
        POP_COND
loop:   ADDRL 9
        LDL_L 9
        LDL_L 5
        MULI 3
        ADD
        ASSIGN
        POP_COND
        ADDRL 5
        LDL_L 5
        ADDI 1
        ASSIGN
        LTI 30000
        POP_COND
        JNZ loop
        LDL_L 9
        MODI 251
        RET
