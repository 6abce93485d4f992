; keys.s: the key tester. Shows the device key code and name of every key that arrives, the keys
; held down as CheckKey sees them, and what ReleaseKey and PutKey do:
;   P  puts the key "z" with PutKey: it arrives next, marked as coming from PutKey;
;   R  calls ReleaseKey for all keys: a key still held is delivered again at the next scan, so
;      holding R repeats it;
;   Esc twice in a row leaves.

.ifndef SHOWCASE
.include "common.inc"
        SETSP FRAMES
        CALL keys_run
        EXIT
.endif

K_LAST    = DEMO_VARS + 0x00    ; last key code, -1 before the first
K_COUNT   = DEMO_VARS + 0x04    ; keys received
K_ESC     = DEMO_VARS + 0x08    ; 1 right after an Esc
K_PUT     = DEMO_VARS + 0x0C    ; 1 while the key put by PutKey is on its way
K_FROMPUT = DEMO_VARS + 0x10    ; 1 when the last key came from PutKey
K_REPEAT  = DEMO_VARS + 0x14    ; deliveries of R
K_KEY     = DEMO_VARS + 0x18
K_CODE    = DEMO_VARS + 0x1C    ; loop variable of the held-key scan
K_HEX     = DEMO_VARS + 0x20    ; two hexadecimal digits and a terminator
K_NAME    = DEMO_VARS + 0x24    ; a one-character key name
K_BUF     = DEMO_VARS + 0x40    ; a line of text
K_HELD    = DEMO_VARS + 0x80    ; the held-keys line
K_DIGITS  = DEMO_VARS + 0xE0    ; "0123456789ABCDEF"
K_TABLE   = DEMO_VARS + 0x100   ; key name records of 8 bytes: code, name, terminator, padding

; One name record: the code, then its name padded to 7 bytes.
.macro keyrec code, name
kr\@:   .byte code
        .asciz name
kre\@:  .space 8 - (kre\@ - kr\@)
.endm

.proc keys_run
        INITDATA K_DIGITS
        .asciz "0123456789ABCDEF"
        .enddata
        INITDATA K_TABLE
        keyrec KEY_ENTER, "回车"
        keyrec KEY_ESC, "Esc"
        keyrec KEY_SPACE, "空格"
        keyrec KEY_UP, "↑"
        keyrec KEY_DOWN, "↓"
        keyrec KEY_LEFT, "←"
        keyrec KEY_RIGHT, "→"
        keyrec KEY_PGUP, "上页"
        keyrec KEY_PGDN, "下页"
        keyrec KEY_SHIFT, "Shift"
        keyrec 0x1C, "F1"
        keyrec 0x1D, "F2"
        keyrec 0x1E, "F3"
        keyrec 0x1F, "F4"
        keyrec KEY_F5, "F5"
        keyrec KEY_F6, "F6"
        keyrec 0, "无"
        .enddata
        setl K_LAST, -1
        setl K_COUNT, 0
        setl K_ESC, 0
        setl K_PUT, 0
        setl K_FROMPUT, 0
        setl K_REPEAT, 0
        flush_keys

.loop:  let K_KEY
        Inkey
        set
        LDG_L K_KEY
        jfalse .show
        CALL keys_take
        jtrue .done             ; keys_take answers true for the second Esc
.show:  CALL keys_draw
        delay 50
        JMP .loop
.done:  flush_keys
        RET
.endproc

; Handles the key in K_KEY; leaves true on the operand stack when the tester should end.
.proc keys_take
        inc K_COUNT
        let K_FROMPUT
        LDG_L K_PUT
        set
        setl K_PUT, 0
        let K_LAST
        LDG_L K_KEY
        set

        LDG_L K_KEY
        EQI KEY_ESC
        jfalse .notesc
        LDG_L K_ESC
        jtrue .leave
        setl K_ESC, 1
        PUSH_B 0
        RET
.leave: PUSH_B 1
        RET

.notesc:
        setl K_ESC, 0
        LDG_L K_KEY
        EQI 'p'
        jfalse .notp
        PUSH_B 'z'              ; the next key is "z", as if it had been pressed
        PutKey
        setl K_PUT, 1
.notp:  LDG_L K_KEY
        EQI 'r'
        jfalse .notr
        inc K_REPEAT
        PUSH_B KEY_ANY          ; every held key counts as released: R, if held, comes again
        ReleaseKey
.notr:  PUSH_B 0
        RET
.endproc

; Pushes the address of the name of key `code`.
.proc keys_name code
.var i
        LDL_L code              ; letters, the digit 0 and the full stop name themselves
        GEI 'a'
        LDL_L code
        LEI 'z'
        LAND
        LDL_L code
        EQI '0'
        LOR
        LDL_L code
        EQI '.'
        LOR
        jfalse .table
        letc K_NAME
        LDL_L code
        set
        setc K_NAME + 1, 0
        PUSH_W K_NAME
        RET

.table: letl i
        PUSH_B 0
        set
.next:  LDL_L i
        SHLI 3
        LDGX_C K_TABLE          ; the record's code
        LDL_L code
        EQ
        jtrue .found
        LDL_L i
        SHLI 3
        LDGX_C K_TABLE
        jfalse .unknown         ; the table ends with code 0
        PUSH_D LOCAL + LONG + i
        PREINC
        drop
        JMP .next
.found: LDL_L i
        SHLI 3
        ADDI K_TABLE + 1
        RET
.unknown:
        PUSH_STR "?"
        RET
.endproc

; Writes the two hexadecimal digits of `value` (0-255) to K_HEX.
.proc keys_hex value
        letc K_HEX
        LDL_L value
        SHRI 4
        PUSH_B 15
        AND
        LDGX_C K_DIGITS
        set
        letc K_HEX + 1
        LDL_L value
        PUSH_B 15
        AND
        LDGX_C K_DIGITS
        set
        setc K_HEX + 2, 0
        RET
.endproc

; Redraws the whole screen in the back buffer and shows it.
.proc keys_draw
        ClearScreen
        text 0, 0, "按键测试", BIG + R_COPY
        PUSH_W K_BUF
        PUSH_STR "共%d键"
        LDG_L K_COUNT
        PUSH_B 3
        sprintf
        textat 112, 2, K_BUF, R_COPY
        line 0, 17, 159, 17, PL_GBUF + M_SET

        LDG_L K_LAST
        GEI 0
        jtrue .code
        text 0, 20, "请按任意键", R_COPY
        JMP .held
.code:  LDG_L K_LAST
        CALL keys_hex
        PUSH_W K_BUF
        PUSH_STR "键码 0x%s =%d %s"
        PUSH_W K_HEX
        LDG_L K_LAST
        LDG_L K_LAST
        CALL keys_name
        PUSH_B 5
        sprintf
        textat 0, 20, K_BUF, R_COPY
        LDG_L K_FROMPUT
        jfalse .held
        text 112, 20, "PutKey", R_COPY + R_INV

.held:  CALL keys_held
        textat 0, 33, K_HELD, R_COPY

        PUSH_B KEY_ANY          ; the first held key in the host's order
        CheckKey
        CALL keys_hex
        PUSH_W K_BUF
        PUSH_STR "CheckKey(0x80)=0x%s R:%d"
        PUSH_W K_HEX
        LDG_L K_REPEAT
        PUSH_B 4
        sprintf
        textat 0, 46, K_BUF, R_COPY

        line 0, 62, 159, 62, PL_GBUF + M_SET
        LDG_L K_ESC
        jtrue .again
        text 0, 66, "P:PutKey R:Release Esc×2", R_COPY
        JMP .shown
.again: text 0, 66, "再按Esc退出", R_COPY
.shown: Refresh
        RET
.endproc

; Fills K_HELD with "按住" and the names of the keys that CheckKey reports down.
.proc keys_held
        PUSH_W K_HELD
        PUSH_STR "按住"
        strcpy
        setl K_CODE, 1
.next:  LDG_L K_CODE
        CheckKey
        jfalse .up
        PUSH_W K_HELD
        PUSH_STR " "
        strcat
        PUSH_W K_HELD
        LDG_L K_CODE
        CALL keys_name
        strcat
.up:    inc K_CODE
        LDG_L K_CODE
        LTI 0x80
        jtrue .next
        RET
.endproc
