; The counting loop: a long local counted from 0 to 30,000 through its frame-relative typed
; address, compared with an immediate and branched on (9 instructions a pass), ROUNDS times over.
; bench/end_to_end.sh assembles it with ROUNDS defined ahead of this file.
LONG_LOCAL = 0x840000           ; typed address: frame-relative, long
        SETSP 0x3000
        CALL main
        EXIT
main:   ENTER 13, 0             ; i at fp+5, the round at fp+9
        PUSH_D LONG_LOCAL + 9
        PUSH_B 0
        ASSIGN
        POP_COND
outer:  PUSH_D LONG_LOCAL + 5
        PUSH_B 0
        ASSIGN
        POP_COND
loop:   PUSH_D LONG_LOCAL + 5
        LDL_L 5
        ADDI 1
        ASSIGN
        POP_COND
        LDL_L 5
        LTI 30000
        POP_COND
        JNZ loop
        PUSH_D LONG_LOCAL + 9
        LDL_L 9
        ADDI 1
        ASSIGN
        POP_COND
        LDL_L 9
        PUSH_D ROUNDS
        LT
        POP_COND
        JNZ outer
        LDL_L 5
        RET
