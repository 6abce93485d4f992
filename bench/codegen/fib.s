; Calls and frames: the doubly recursive Fibonacci number of 18, written by hand.
        SETSP 0x3000
        CALL main
        EXIT
main:   ENTER 5, 0
        PUSH_B 18
        CALL fib
        MODI 251
        RET
fib:    ENTER 9, 1              ; n at fp+5
        LDL_L 5
        LTI 2
        POP_COND
        JZ deeper
        LDL_L 5
        RET
deeper: LDL_L 5
        SUBI 1
        CALL fib
        LDL_L 5
        SUBI 2
        CALL fib
        ADD
        RET
