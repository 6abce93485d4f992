; The array loop: table[i & 255] := table[i & 255] + i over a long table at 0x4000, i a long
; local counted from 0 to 30,000 and again, for ever (21 instructions a pass). The same loop as
; vm_bench's indexed array, for runs end to end bounded by --max-instructions
; (bench/loop_rates.sh).
TABLE = 0x4000
        SETSP 0x3000
        CALL main
        EXIT
main:   ENTER 13, 0             ; i at fp+5
outer:  ADDRL 5
        PUSH_B 0
        ASSIGN
        POP_COND
loop:   LDL_L 5
        PUSH_W 255
        AND
        SHLI 2
        REFGX_L TABLE
        LDL_L 5
        PUSH_W 255
        AND
        SHLI 2
        LDGX_L TABLE
        LDL_L 5
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
        JMP outer
