; The call loop: sum := next(sum), where next(x) returns x + 1 in a frame of its own, for ever
; (10 instructions a pass). The same loop as vm_bench's calls, for runs end to end bounded by
; --max-instructions (bench/loop_rates.sh).
        SETSP 0x3000
        CALL main
        EXIT
main:   ENTER 13, 0             ; sum at fp+9
        JMP loop
next:   ENTER 9, 1              ; x at fp+5
        LDL_L 5
        ADDI 1
        RET
loop:   ADDRL 9
        LDL_L 9
        CALL next
        ASSIGN
        POP_COND
        JMP loop
