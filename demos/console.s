; console.s: the console demo. Five pages, each shown until a key is pressed (Esc leaves):
;   1. the large console (20 × 5, 16-pixel glyphs) scrolling line by line (printf), then a line
;      typed out byte by byte (putchar);
;   2. the small console (26 × 6, 12-pixel glyphs) scrolling, long lines wrapping;
;   3. Locate placing text anywhere on the grid;
;   4. UpdateLCD with a row skip mask: a progress bar drawn into the LCD survives while the text
;      rows around it are redrawn;
;   5. TextOut in both fonts, mirrored and inverted.

.ifndef SHOWCASE
.include "common.inc"
        SETSP FRAMES
        CALL console_run
        EXIT
.endif

C_I = DEMO_VARS + 0x00
C_P = DEMO_VARS + 0x04
C_TYPED = DEMO_VARS + 0x10      ; a text typed out with putchar

; Waits for a key; Esc jumps to `leave`.
.macro console_wait leave
        getchar
        EQI KEY_ESC
        jtrue leave
.endm

.proc console_run
        .func 1
.page1: .line 1
        PUSH_B 0
        SetScreen
        print "大字体控制台 20×5\n"
        setl C_I, 1
.large: PUSH_STR "第%d行 Line %d\n"
        LDG_L C_I
        LDG_L C_I
        PUSH_B 3
        printf
        delay 250
        inc C_I
        LDG_L C_I
        LEI 8
        jtrue .large
        PUSH_W C_TYPED          ; the last line typed out with putchar, byte by byte
        PUSH_STR "putchar逐字"
        strcpy
        setl C_I, 0
.type:  LDG_L C_I
        LDGX_C C_TYPED
        jfalse .typed
        LDG_L C_I
        LDGX_C C_TYPED
        putchar
        delay 60
        inc C_I
        JMP .type
.typed: print "\n按键继续 Esc退出"
        console_wait .leave

.page2: .line 2
        PUSH_B 1
        SetScreen
        print "小字体控制台 26×6\n"
        print "Tab:\t一个空格\n"
        print "长行自动换行: ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789\n"
        setl C_I, 1
.small: PUSH_STR "第%d行 %s\n"
        LDG_L C_I
        PUSH_STR "小字体"
        PUSH_B 3
        printf
        delay 200
        inc C_I
        LDG_L C_I
        LEI 6
        jtrue .small
        print "按键继续 Esc退出"
        console_wait .leave

.page3: .line 3
        PUSH_B 0
        SetScreen
        setl C_I, 0
.stair: LDG_L C_I               ; row i, column 3i
        LDG_L C_I
        MULI 3
        Locate
        PUSH_STR "定位%d,%d"
        LDG_L C_I
        LDG_L C_I
        MULI 3
        PUSH_B 3
        printf
        delay 150
        inc C_I
        LDG_L C_I
        LTI 4
        jtrue .stair
        PUSH_B 4
        PUSH_B 2
        Locate
        print "Locate(行,列)"
        console_wait .leave

.page4: .line 4
        PUSH_B 0
        SetScreen
        print "UpdateLCD 跳过1行\n\n\n按位0x40=第1行\n按键继续 Esc退出"
        rect 2, 18, 157, 29, TO_LCD + M_SET
        setl C_P, 0
.bar:   PUSH_B 4                ; the bar, straight into the LCD
        PUSH_B 20
        LDG_L C_P
        MULI 149
        DIVI 100
        ADDI 4
        PUSH_B 27
        PUSH_B TO_LCD + M_SET
        Block
        PUSH_TEXTBUF            ; text row 2 of the large console
        ADDI 40
        PUSH_STR "进度 %d%%  "
        LDG_L C_P
        PUSH_B 3
        sprintf
        PUSH_B 0x40             ; redraw every text row but row 1, where the bar is
        UpdateLCD
        delay 80
        let C_P
        LDG_L C_P
        ADDI 5
        set
        LDG_L C_P
        LEI 100
        jtrue .bar
        console_wait .leave

.page5: .line 5
        clear_lcd
        text 0, 0, "小字 ABC abc 123 汉字", TO_LCD + R_COPY
        text 0, 13, "大字 ABC 汉字", TO_LCD + BIG + R_COPY
        text 0, 30, "镜像 Mirror", TO_LCD + BIG + MIRROR + R_COPY
        block 0, 47, 159, 63, TO_LCD + M_SET
        text 8, 47, "反色 XOR 文字", TO_LCD + BIG + R_XOR
        text 0, 67, "按键继续 Esc退出", TO_LCD + R_COPY
        text 0, 0, "", TO_LCD + R_COPY      ; clears the mirror flag the console would inherit
        console_wait .leave
        JMP .page1

.leave: flush_keys
        RET
.endproc
