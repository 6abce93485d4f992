; The counting loop with an int product: sum += i * 3 over 30,000 steps, sum a long, written by
; hand. The product is an int: cut to 16 bits and sign-extended before it is added.
INT_LOCAL = 0x820000            ; typed address: frame-relative, int
        SETSP 0x3000
        CALL main
        EXIT
main:   ENTER 11, 0             ; sum at fp+5, i at fp+9
        ADDRL 5
        PUSH_B 0
        ASSIGN
        PUSH_D INT_LOCAL + 9
        PUSH_B 0
        ASSIGN
        POP_COND
        POP_COND
loop:   ADDRL 5
        LDL_L 5
        LDL_I 9
        MULI 3
        SHLI 16
        SHRI 16
        ADD
        ASSIGN
        POP_COND
        PUSH_D INT_LOCAL + 9
        PREINC
        LTI 30000
        POP_COND
        JNZ loop
        LDL_L 5
        MODI 251
        RET
