; showcase.s: the bundled demo program. A menu of the demos; the arrows choose, Enter starts the
; chosen one, Esc inside a demo comes back here, and Esc on the menu ends the program.

SHOWCASE = 1
.include "common.inc"
        SETSP FRAMES
        CALL showcase_run
        EXIT

MENU_SEL   = 0x2000             ; chosen item, 0-5
MENU_KEY   = 0x2004
MENU_I     = 0x2008
MENU_NAMES = 0x2010             ; item names, 10 bytes each
ITEMS = 6

; One item name padded to 10 bytes.
.macro menu_name name
mn\@:   .asciz name
mne\@:  .space 10 - (mne\@ - mn\@)
.endm

.proc showcase_run
        INITDATA MENU_NAMES
        menu_name "控制台"
        menu_name "绘图"
        menu_name "按键测试"
        menu_name "贪吃蛇"
        menu_name "文件"
        menu_name "时钟"
        .enddata
        setl MENU_SEL, 0
        flush_keys

.menu:  CALL showcase_draw
.ask:   let MENU_KEY
        getchar
        set
        LDG_L MENU_KEY
        EQI KEY_ESC
        jtrue .leave
        LDG_L MENU_KEY
        EQI KEY_ENTER
        jtrue .start
        LDG_L MENU_KEY          ; Up and Down walk the list, Left and Right change columns
        EQI KEY_UP
        jfalse .down
        setl MENU_I, ITEMS - 1
        JMP .move
.down:  LDG_L MENU_KEY
        EQI KEY_DOWN
        jfalse .left
        setl MENU_I, 1
        JMP .move
.left:  LDG_L MENU_KEY
        EQI KEY_LEFT
        LDG_L MENU_KEY
        EQI KEY_RIGHT
        LOR
        jfalse .ask
        setl MENU_I, ITEMS / 2
.move:  let MENU_SEL            ; MENU_I holds the step
        LDG_L MENU_SEL
        LDG_L MENU_I
        ADD
        PUSH_B ITEMS
        MOD
        set
        JMP .menu

.start: LDG_L MENU_SEL
        EQI 0
        jfalse .not0
        CALL console_run
        JMP .back
.not0:  LDG_L MENU_SEL
        EQI 1
        jfalse .not1
        CALL draw_run
        JMP .back
.not1:  LDG_L MENU_SEL
        EQI 2
        jfalse .not2
        CALL keys_run
        JMP .back
.not2:  LDG_L MENU_SEL
        EQI 3
        jfalse .not3
        CALL snake_run
        JMP .back
.not3:  LDG_L MENU_SEL
        EQI 4
        jfalse .not4
        CALL files_run
        JMP .back
.not4:  CALL clock_run
.back:  PUSH_B 0                ; the large console again, empty, for the next demo
        SetScreen
        flush_keys
        JMP .menu
.leave: RET
.endproc

.proc showcase_draw
        ClearScreen
        block 0, 0, 159, 12, M_SET
        text 2, 1, "演示精选", R_XOR
        text 76, 1, "↑↓←→ 回车", R_XOR
        setl MENU_I, 0
.item:  LDG_L MENU_I            ; two columns of three: x = 8 + 80 (i / 3), y = 16 + 21 (i % 3)
        PUSH_B 3
        DIV
        MULI 80
        ADDI 8
        LDG_L MENU_I
        PUSH_B 3
        MOD
        MULI 21
        ADDI 16
        LDG_L MENU_I
        MULI 10
        ADDI MENU_NAMES
        PUSH_B BIG + R_COPY
        TextOut
        inc MENU_I
        LDG_L MENU_I
        LTI ITEMS
        jtrue .item
        LDG_L MENU_SEL          ; the chosen item is shown inverted
        PUSH_B 3
        DIV
        MULI 80
        ADDI 2
        LDG_L MENU_SEL
        PUSH_B 3
        MOD
        MULI 21
        ADDI 14
        LDG_L MENU_SEL
        PUSH_B 3
        DIV
        MULI 80
        ADDI 77
        LDG_L MENU_SEL
        PUSH_B 3
        MOD
        MULI 21
        ADDI 33
        PUSH_B M_INVERT
        Block
        Refresh
        RET
.endproc

.include "console.s"
.include "draw.s"
.include "keys.s"
.include "snake.s"
.include "files.s"
.include "clock.s"
