; An index loop over an array: the largest of 1,000 ints at 0x4000 and where it first is, 20
; times over, written by hand. i * 7 stays below 7,000: no cut to 16 bits is needed.
INT_LOCAL = 0x820000            ; typed address: frame-relative, int
VALUES = 0x4000
        SETSP 0x3000
        CALL main
        EXIT
main:   ENTER 13, 0             ; i at fp+5, r at fp+7, best at fp+9, at at fp+11
        PUSH_D INT_LOCAL + 9
        PUSH_B 0
        ASSIGN
        POP_COND
        PUSH_D INT_LOCAL + 11
        PUSH_B 0
        ASSIGN
        POP_COND
        PUSH_D INT_LOCAL + 5
        PUSH_B 0
        ASSIGN
        POP_COND
fill:   LDL_I 5
        SHLI 1
        REFGX_I VALUES
        LDL_I 5
        MULI 7
        MODI 1000
        ASSIGN
        POP_COND
        PUSH_D INT_LOCAL + 5
        PREINC
        LTI 1000
        POP_COND
        JNZ fill
        PUSH_D INT_LOCAL + 7
        PUSH_B 0
        ASSIGN
        POP_COND
pass:   PUSH_D INT_LOCAL + 9
        PUSH_W -1
        ASSIGN
        POP_COND
        PUSH_D INT_LOCAL + 5
        PUSH_B 0
        ASSIGN
        POP_COND
cell:   LDL_I 5
        SHLI 1
        LDGX_I VALUES
        LDL_I 9
        GT
        POP_COND
        JZ next
        PUSH_D INT_LOCAL + 9
        LDL_I 5
        SHLI 1
        LDGX_I VALUES
        ASSIGN
        POP_COND
        PUSH_D INT_LOCAL + 11
        LDL_I 5
        ASSIGN
        POP_COND
next:   PUSH_D INT_LOCAL + 5
        PREINC
        LTI 1000
        POP_COND
        JNZ cell
        PUSH_D INT_LOCAL + 7
        PREINC
        LTI 20
        POP_COND
        JNZ pass
        LDL_I 9
        LDL_I 11
        ADD
        MODI 251
        RET
