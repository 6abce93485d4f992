; clock.s: an analogue and digital clock. GetTime gives the date and time, Getms the fraction of
; the second, so the second hand sweeps smoothly. The face is drawn once into the LCD and kept
; with GetBlock; every tenth of a second the back buffer gets the face (WriteBlock), the hands
; and the text, and Refresh shows it. Esc leaves.

.ifndef SHOWCASE
.include "common.inc"
        SETSP FRAMES
        CALL clock_run
        EXIT
.endif

.include "polar.inc"

T_TIME  = DEMO_VARS + 0x00      ; time record: year (int), month, day, hour, minute, second, weekday
T_MS    = DEMO_VARS + 0x08      ; Getms: 256ths of the current second
T_I     = DEMO_VARS + 0x0C
T_KEY   = DEMO_VARS + 0x10
T_WEEK  = DEMO_VARS + 0x14      ; the weekday names, two bytes each
T_BUF   = DEMO_VARS + 0x40
T_FACE  = DEMO_VARS + 0x100     ; the face, 80 × 80 pixels (800 bytes)

CX = 39                         ; centre of the face
CY = 39

.proc clock_run
        INITDATA T_WEEK
        .byte "日一二三四五六"
        .enddata
        CALL clock_face
.tick:  CALL clock_draw
        delay 100
        let T_KEY
        Inkey
        set
        LDG_L T_KEY
        EQI KEY_ESC
        jfalse .tick
        flush_keys
        RET
.endproc

; Draws the face into the LCD and keeps a copy of it.
.proc clock_face
        clear_lcd
        PUSH_B CX
        PUSH_B CY
        PUSH_B 38
        PUSH_B 0
        PUSH_B M_SET
        Circle
        setl T_I, 0
.mark:  PUSH_B CX               ; a mark every hour, longer at 12, 3, 6 and 9
        PUSH_B CY
        PUSH_B 34
        LDG_L T_I
        PUSH_B 3
        MOD
        jtrue .short
        SUBI 4
.short: LDG_L T_I
        MULI 30
        CALL polar
        PUSH_B CX
        PUSH_B CY
        PUSH_B 37
        LDG_L T_I
        MULI 30
        CALL polar
        PUSH_B M_SET
        Line
        inc T_I
        LDG_L T_I
        LTI 12
        jtrue .mark
        PUSH_B CX
        PUSH_B CY
        PUSH_B 2
        PUSH_B 1
        PUSH_B M_SET
        Circle
        PUSH_B 0
        PUSH_B 0
        PUSH_B 80
        PUSH_B 80
        PUSH_B TO_LCD
        PUSH_W T_FACE
        GetBlock
        RET
.endproc

; A hand from the centre: pushes nothing, draws a line of length `r` at angle `a` (degrees).
.proc clock_hand r, a
        PUSH_B CX
        PUSH_B CY
        PUSH_B CX
        PUSH_B CY
        LDL_L r
        LDL_L a
        CALL polar
        PUSH_B PL_GBUF + M_SET
        Line
        RET
.endproc

.proc clock_draw
        PUSH_W T_TIME
        GetTime
        let T_MS
        Getms
        set
        ClearScreen
        PUSH_B 0
        PUSH_B 0
        PUSH_B 80
        PUSH_B 80
        PUSH_B R_COPY
        PUSH_W T_FACE
        WriteBlock

        PUSH_B 20               ; hour hand: 30 degrees an hour, half a degree a minute
        LDG_C T_TIME + 4
        PUSH_B 12
        MOD
        MULI 30
        LDG_C T_TIME + 5
        SHRI 1
        ADD
        CALL clock_hand
        PUSH_B 30               ; minute hand: 6 degrees a minute, one per 10 seconds
        LDG_C T_TIME + 5
        MULI 6
        LDG_C T_TIME + 6
        DIVI 10
        ADD
        CALL clock_hand
        PUSH_B 35               ; second hand: 6 degrees a second, swept by Getms
        LDG_C T_TIME + 6
        MULI 6
        LDG_L T_MS
        MULI 6
        SHRI 8
        ADD
        CALL clock_hand

        PUSH_W T_BUF            ; HH:MM:SS
        PUSH_STR "%d%d:%d%d:%d%d"
        LDG_C T_TIME + 4
        DIVI 10
        LDG_C T_TIME + 4
        MODI 10
        LDG_C T_TIME + 5
        DIVI 10
        LDG_C T_TIME + 5
        MODI 10
        LDG_C T_TIME + 6
        DIVI 10
        LDG_C T_TIME + 6
        MODI 10
        PUSH_B 8
        sprintf
        textat 88, 2, T_BUF, BIG + R_COPY
        PUSH_W T_BUF            ; YYYY-MM-DD
        PUSH_STR "%d-%d%d-%d%d"
        LDG_I T_TIME
        LDG_C T_TIME + 2
        DIVI 10
        LDG_C T_TIME + 2
        MODI 10
        LDG_C T_TIME + 3
        DIVI 10
        LDG_C T_TIME + 3
        MODI 10
        PUSH_B 7
        sprintf
        textat 90, 22, T_BUF, R_COPY
        PUSH_W T_BUF
        PUSH_STR "星期%c%c"
        LDG_C T_TIME + 7
        SHLI 1
        LDGX_C T_WEEK
        LDG_C T_TIME + 7
        SHLI 1
        LDGX_C T_WEEK + 1
        PUSH_B 4
        sprintf
        textat 102, 36, T_BUF, R_COPY
        PUSH_W T_BUF
        PUSH_STR "Getms %d"
        LDG_L T_MS
        PUSH_B 3
        sprintf
        textat 90, 52, T_BUF, R_COPY
        text 102, 66, "Esc退出", R_COPY
        Refresh
        RET
.endproc
