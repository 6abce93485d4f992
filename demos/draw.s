; draw.s: the drawing demo. Five pages; an animated page runs until a key is pressed, a still
; one waits for a key; Esc leaves:
;   1. every primitive in the modes set, clear and invert, straight into the LCD;
;   2. a radar drawn into the back buffer and shown with Refresh;
;   3. XDraw: a wave scrolling left and right, then a picture mirrored and flipped;
;   4. sprites: a fish drawn, taken with GetBlock and swimming with WriteBlock (mirrored when it
;      swims left), and a ship from data;
;   5. FillArea filling outlines.

.ifndef SHOWCASE
.include "common.inc"
        SETSP FRAMES
        CALL draw_run
        EXIT
.endif

D_T      = DEMO_VARS + 0x00     ; frame counter of an animation
D_I      = DEMO_VARS + 0x04
D_KEY    = DEMO_VARS + 0x08
D_A      = DEMO_VARS + 0x0C     ; an angle in degrees
D_X      = DEMO_VARS + 0x10
D_Y      = DEMO_VARS + 0x14
D_TYPE   = DEMO_VARS + 0x18
D_FX     = DEMO_VARS + 0x40     ; three fish: x, y, dx, dy as longs
D_FY     = DEMO_VARS + 0x50
D_FDX    = DEMO_VARS + 0x60
D_FDY    = DEMO_VARS + 0x70
D_FISH   = DEMO_VARS + 0x100    ; 16 × 16 block image taken with GetBlock
D_SHIP   = DEMO_VARS + 0x120    ; 16 × 16 block image from data

; Ends a frame of an animated page: a short pause, then the next frame unless a key came.
.macro draw_next again, leave
        delay 40
        let D_KEY
        Inkey
        set
        LDG_L D_KEY
        EQI KEY_ESC
        jtrue leave
        LDG_L D_KEY
        jfalse again
.endm

.macro draw_wait leave
        getchar
        EQI KEY_ESC
        jtrue leave
.endm

.macro circle x, y, r, fill, type
        PUSH_B x
        PUSH_B y
        PUSH_B r
        PUSH_B fill
        PUSH_B type
        Circle
.endm

.macro ellipse x, y, a, b, fill, type
        PUSH_B x
        PUSH_B y
        PUSH_B a
        PUSH_B b
        PUSH_B fill
        PUSH_B type
        Ellipse
.endm

.macro point x, y, type
        PUSH_B x
        PUSH_B y
        PUSH_B type
        Point
.endm

.include "polar.inc"

.proc draw_run
        INITDATA D_SHIP
        .byte 0b00000001, 0b10000000
        .byte 0b00000011, 0b11000000
        .byte 0b00000011, 0b11000000
        .byte 0b00000111, 0b11100000
        .byte 0b00000110, 0b01100000
        .byte 0b00001110, 0b01110000
        .byte 0b00011111, 0b11111000
        .byte 0b00111111, 0b11111100
        .byte 0b01111111, 0b11111110
        .byte 0b11111111, 0b11111111
        .byte 0b11110011, 0b11001111
        .byte 0b11100001, 0b10000111
        .byte 0b11000000, 0b00000011
        .byte 0, 0, 0, 0, 0, 0
        .enddata

.page1: CALL draw_shapes
        draw_wait .leave
.page2: setl D_A, 0
.radar: CALL draw_radar
        draw_next .radar, .leave
.page3: setl D_T, 0
        ClearScreen
.wave:  CALL draw_wave
        draw_next .wave, .leave
        CALL draw_flip_setup
.flip:  CALL draw_flip
        draw_next .flip, .leave
.page4: CALL draw_sprites_setup
.swim:  CALL draw_swim
        draw_next .swim, .leave
.page5: CALL draw_fill
        draw_wait .leave
        JMP .page1
.leave: flush_keys
        RET
.endproc

; Page 1: the same primitives in three columns, drawn with the modes set, clear and invert. The
; clear column stands on a dark background and the invert column on a half-dark one, so that
; each mode shows.
.proc draw_shapes
        clear_lcd
        text 14, 0, "置位", TO_LCD + R_COPY
        text 68, 0, "清除", TO_LCD + R_COPY
        text 122, 0, "反色", TO_LCD + R_COPY
        block 54, 13, 105, 79, TO_LCD + M_SET
        block 134, 13, 159, 79, TO_LCD + M_SET
        PUSH_B 0
        PUSH_B M_SET
        CALL draw_column
        PUSH_B 54
        PUSH_B M_CLEAR
        CALL draw_column
        PUSH_B 108
        PUSH_B M_INVERT
        CALL draw_column
        RET
.endproc

; Every primitive once, in the LCD, in a column 52 pixels wide at x, with the plot mode `mode`.
.proc draw_column x, mode
.var i
        letl i
        PUSH_B 0
        set
.dots:  LDL_L x                 ; Point: a row of dots
        ADDI 4
        LDL_L i
        MULI 5
        ADD
        PUSH_B 16
        LDL_L mode
        Point
        PUSH_D LOCAL + LONG + i
        PREINC
        LTI 9
        jtrue .dots
        LDL_L x                 ; Line
        ADDI 2
        PUSH_B 20
        LDL_L x
        ADDI 48
        PUSH_B 31
        LDL_L mode
        Line
        LDL_L x                 ; Box, outlined and filled
        ADDI 2
        PUSH_B 35
        LDL_L x
        ADDI 18
        PUSH_B 47
        PUSH_B 0
        LDL_L mode
        Box
        LDL_L x
        ADDI 22
        PUSH_B 35
        LDL_L x
        ADDI 48
        PUSH_B 47
        PUSH_B 1
        LDL_L mode
        Box
        LDL_L x                 ; Circle, outlined, with a filled one inside
        ADDI 10
        PUSH_B 62
        PUSH_B 8
        PUSH_B 0
        LDL_L mode
        Circle
        LDL_L x
        ADDI 10
        PUSH_B 62
        PUSH_B 4
        PUSH_B 1
        LDL_L mode
        Circle
        LDL_L x                 ; Ellipse, filled, with an outlined one around it
        ADDI 35
        PUSH_B 56
        PUSH_B 8
        PUSH_B 3
        PUSH_B 1
        LDL_L mode
        Ellipse
        LDL_L x
        ADDI 35
        PUSH_B 56
        PUSH_B 13
        PUSH_B 6
        PUSH_B 0
        LDL_L mode
        Ellipse
        LDL_L x                 ; Block and Rectangle
        ADDI 22
        PUSH_B 66
        LDL_L x
        ADDI 31
        PUSH_B 78
        LDL_L mode
        ADDI TO_LCD
        Block
        LDL_L x
        ADDI 35
        PUSH_B 66
        LDL_L x
        ADDI 48
        PUSH_B 78
        LDL_L mode
        ADDI TO_LCD
        Rectangle
        RET
.endproc

; Page 2: one frame of the radar, drawn in the back buffer and shown at once.
.proc draw_radar
        ClearScreen
        text 0, 0, "后台缓冲", R_COPY
        text 0, 68, "Refresh", R_COPY
        setl D_I, 0
.rim:   PUSH_B 100              ; the rim: 60 chords of 6 degrees, round at
        PUSH_B 42               ; this size (Circle draws only on the LCD)
        PUSH_B 36
        LDG_L D_I
        MULI 6
        CALL polar
        PUSH_B 100
        PUSH_B 42
        PUSH_B 36
        LDG_L D_I
        ADDI 1
        MULI 6
        CALL polar
        PUSH_B PL_GBUF + M_SET
        Line
        inc D_I
        LDG_L D_I
        LTI 60
        jtrue .rim
        line 66, 42, 134, 42, PL_GBUF + M_SET   ; the crosshair ends inside the rim
        line 100, 8, 100, 76, PL_GBUF + M_SET
        rect 0, 14, 50, 62, M_SET         ; a target blinks in a frame on the left
        LDG_L D_A
        PUSH_B 60
        MOD
        LTI 30
        jfalse .stars
        block 20, 33, 30, 43, M_SET
.stars: point 8, 20, PL_GBUF + M_SET
        point 40, 24, PL_GBUF + M_SET
        point 14, 52, PL_GBUF + M_SET
        point 44, 56, PL_GBUF + M_SET
        setl D_I, 0
.beam:  PUSH_B 100              ; the beam and its trail
        PUSH_B 42
        PUSH_B 100
        PUSH_B 42
        PUSH_B 34
        LDG_L D_A
        LDG_L D_I
        MULI 4
        SUB
        ADDI 360
        CALL polar
        PUSH_B PL_GBUF + M_SET
        Line
        inc D_I
        LDG_L D_I
        LTI 4
        jtrue .beam
        Refresh
        let D_A
        LDG_L D_A
        ADDI 6
        PUSH_W 360
        MOD
        set
        RET
.endproc

; Page 3, first half: a wave enters at one edge while XDraw shifts the picture one pixel.
.proc draw_wave
        LDG_L D_T
        PUSH_W 320
        MOD
        LTI 160
        jfalse .right
        PUSH_B 0                ; shift left, new points at the right edge
        XDraw
        setl D_X, 159
        JMP .plot
.right: PUSH_B 1                ; shift right, new points at the left edge
        XDraw
        setl D_X, 0
.plot:  LDG_L D_X
        LDG_L D_T
        MULI 9
        PUSH_W 360
        MOD
        Sin
        MULI 24
        DIVI 1024
        ADDI 46
        PUSH_B PL_GBUF + M_SET
        Point
        LDG_L D_X
        LDG_L D_T
        MULI 4
        PUSH_W 360
        MOD
        Cos
        MULI 12
        DIVI 1024
        ADDI 46
        PUSH_B PL_GBUF + M_SET
        Point
        block 0, 0, 159, 12, M_CLEAR
        text 0, 0, "XDraw 0 左移 / 1 右移", R_COPY
        Refresh
        inc D_T
        RET
.endproc

; Page 3, second half: a picture that XDraw mirrors and flips in turn.
.proc draw_flip_setup
        ClearScreen
        text 0, 0, "XDraw 4 镜像 5 翻转", R_COPY
        text 8, 20, "左上", BIG + R_COPY
        line 8, 40, 60, 40, PL_GBUF + M_SET
        line 60, 40, 50, 34, PL_GBUF + M_SET
        line 60, 40, 50, 46, PL_GBUF + M_SET
        block 8, 52, 30, 74, M_SET
        rect 34, 52, 56, 74, M_SET
        Refresh
        setl D_T, 0
        RET
.endproc

.proc draw_flip
        inc D_T
        LDG_L D_T
        PUSH_B 25
        MOD
        jtrue .done
        LDG_L D_T               ; every 25 frames: mirror, flip, mirror, flip...
        PUSH_B 25
        DIV
        PUSH_B 1
        AND
        jfalse .flip
        PUSH_B 4
        XDraw
        JMP .show
.flip:  PUSH_B 5
        XDraw
.show:  Refresh
.done:  RET
.endproc

; Page 4, set-up: the fish is drawn into the LCD and taken from there with GetBlock.
.proc draw_sprites_setup
        clear_lcd
        ellipse 8, 7, 5, 4, 1, M_SET    ; body, facing right
        line 0, 3, 2, 7, M_SET          ; tail
        line 0, 11, 2, 7, M_SET
        line 0, 3, 0, 11, M_SET
        point 10, 6, M_CLEAR            ; eye
        PUSH_B 0
        PUSH_B 0
        PUSH_B 16
        PUSH_B 16
        PUSH_B TO_LCD
        PUSH_W D_FISH
        GetBlock
        INITDATA D_FX
        .long 10, 60, 110, 0
        .long 20, 44, 30, 0
        .long 2, -3, 1, 0
        .long 1, -1, 2, 0
        .enddata
        setl D_T, 0
        RET
.endproc

; Page 4: one frame of three fish and a ship over a grid.
.proc draw_swim
        ClearScreen
        setl D_I, 0
.grid:  LDG_L D_I               ; vertical lines every 20 pixels
        PUSH_B 13
        LDG_L D_I
        PUSH_B 79
        PUSH_B PL_GBUF + M_SET
        Line
        let D_I
        LDG_L D_I
        ADDI 20
        set
        LDG_L D_I
        LTI 160
        jtrue .grid
        text 0, 0, "GetBlock/WriteBlock", R_COPY
        line 0, 13, 159, 13, PL_GBUF + M_SET

        setl D_I, 0
.fish:  LDG_L D_I               ; x += dx, bouncing at the edges
        REFGX_L D_FX
        LDG_L D_I
        LDGX_L D_FX
        LDG_L D_I
        LDGX_L D_FDX
        ADD
        set
        LDG_L D_I
        LDGX_L D_FX
        LTI 1
        LDG_L D_I
        LDGX_L D_FX
        GTI 142
        LOR
        jfalse .xok
        LDG_L D_I
        REFGX_L D_FDX
        LDG_L D_I
        LDGX_L D_FDX
        NEG
        set
.xok:   LDG_L D_I               ; y += dy
        REFGX_L D_FY
        LDG_L D_I
        LDGX_L D_FY
        LDG_L D_I
        LDGX_L D_FDY
        ADD
        set
        LDG_L D_I
        LDGX_L D_FY
        LTI 16
        LDG_L D_I
        LDGX_L D_FY
        GTI 62
        LOR
        jfalse .yok
        LDG_L D_I
        REFGX_L D_FDY
        LDG_L D_I
        LDGX_L D_FDY
        NEG
        set
.yok:   let D_TYPE              ; xor over the grid; mirrored while swimming left
        PUSH_B R_XOR
        LDG_L D_I
        LDGX_L D_FDX
        LTI 0
        jfalse .right
        PUSH_B MIRROR
        OR
.right: set
        LDG_L D_I
        LDGX_L D_FX
        LDG_L D_I
        LDGX_L D_FY
        PUSH_B 16
        PUSH_B 16
        LDG_L D_TYPE
        PUSH_W D_FISH
        WriteBlock
        let D_I
        LDG_L D_I
        ADDI 4
        set
        LDG_L D_I
        LTI 12
        jtrue .fish

        let D_Y                 ; the ship rises and sinks on the right
        LDG_L D_T
        PUSH_B 64
        MOD
        SUBI 32
        abs
        ADDI 16
        set
        PUSH_B 144
        LDG_L D_Y
        PUSH_B 16
        PUSH_B 16
        PUSH_B R_OR
        PUSH_W D_SHIP
        WriteBlock
        Refresh
        inc D_T
        RET
.endproc

; Page 5: outlines in the LCD, then filled one after the other with FillArea.
.proc draw_fill
        clear_lcd
        text 0, 0, "FillArea 填充", TO_LCD + R_COPY
        rect 4, 16, 48, 76, TO_LCD + M_SET
        line 4, 16, 48, 76, M_SET
        circle 80, 46, 28, 0, M_SET
        line 112, 76, 135, 16, M_SET
        line 135, 16, 158, 76, M_SET
        line 112, 76, 158, 76, M_SET
        delay 400
        PUSH_B 40               ; the lower half of the split rectangle
        PUSH_B 70
        PUSH_B TO_LCD
        FillArea
        delay 400
        PUSH_B 80
        PUSH_B 46
        PUSH_B TO_LCD
        FillArea
        delay 400
        PUSH_B 135
        PUSH_B 60
        PUSH_B TO_LCD
        FillArea
        circle 80, 46, 15, 1, M_CLEAR   ; a hole wide enough for the label's two characters;
        text 68, 40, "填满", TO_LCD + R_OR ; or-mode glyphs leave the ring around them whole
        RET
.endproc
