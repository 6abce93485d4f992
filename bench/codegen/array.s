; Indexed loads and stores: 20 passes over an int table at 0x4000, written by hand.
        SETSP 0x3000
        CALL main
        EXIT
main:   ENTER 17, 0             ; sum at fp+5, i at fp+9, r at fp+13
        ADDRL 5
        PUSH_B 0
        ASSIGN
        ADDRL 13
        PUSH_B 0
        ASSIGN
        POP_COND
        POP_COND
pass:   ADDRL 9
        PUSH_B 0
        ASSIGN
        POP_COND
cell:   LDL_L 9
        SHLI 1
        REFGX_I 0x4000
        LDL_L 9
        SHLI 1
        LDGX_I 0x4000
        LDL_L 9
        ADD
        ASSIGN
        ADDRL 5
        LDL_L 5
        LDL_L 9
        SHLI 1
        LDGX_I 0x4000
        ADD
        ASSIGN
        POP_COND
        POP_COND
        ADDRL 9
        LDL_L 9
        ADDI 1
        ASSIGN
        LTI 256
        POP_COND
        JNZ cell
        ADDRL 13
        LDL_L 13
        ADDI 1
        ASSIGN
        LTI 20
        POP_COND
        JNZ pass
        LDL_L 5
        MODI 251
        RET
