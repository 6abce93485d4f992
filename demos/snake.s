; snake.s: the snake game. The arrows steer (a tapped key and a held one both count), Space held
; runs at double speed, Esc gives up. Each food is worth 10 points and makes the snake longer and
; a little faster. The best score is kept in the file "\snake.hi" (4 bytes, little-endian) in the
; root directory, so it survives from one run to the next.
;
; Frames are paced with Delay; every frame is drawn into the back buffer and shown with Refresh.
; Every function carries a function marker and the main loop two line markers, so a debugger can
; stop in it and tell the functions apart (a return pops the marker of the function it leaves).

.ifndef SHOWCASE
.include "common.inc"
        SETSP FRAMES
        CALL snake_run
        EXIT
.endif

COLS = 39                       ; playing field in cells of 4 × 4 pixels
ROWS = 16
MAX_LEN = 250                   ; the body is a ring of 256 cells
START_SPEED = 150               ; milliseconds a step
MIN_SPEED = 60

S_DIR    = DEMO_VARS + 0x00     ; 0 right, 1 down, 2 left, 3 up
S_NDIR   = DEMO_VARS + 0x04     ; the direction of the next step
S_HEAD   = DEMO_VARS + 0x08     ; ring index of the head
S_LEN    = DEMO_VARS + 0x0C
S_SCORE  = DEMO_VARS + 0x10
S_HI     = DEMO_VARS + 0x14     ; best score; read from and written to the file as is
S_FOODX  = DEMO_VARS + 0x18
S_FOODY  = DEMO_VARS + 0x1C
S_SPEED  = DEMO_VARS + 0x20
S_NX     = DEMO_VARS + 0x24     ; where the head goes next
S_NY     = DEMO_VARS + 0x28
S_EAT    = DEMO_VARS + 0x2C
S_I      = DEMO_VARS + 0x30
S_KEY    = DEMO_VARS + 0x34
S_TAIL   = DEMO_VARS + 0x38
S_FILE   = DEMO_VARS + 0x3C
S_NEWHI  = DEMO_VARS + 0x40
S_DX     = DEMO_VARS + 0x50     ; steps by direction: 4 longs
S_DY     = DEMO_VARS + 0x60
S_KDIR   = DEMO_VARS + 0x70     ; direction of the arrow keys Up, Down, Right, Left
S_BUF    = DEMO_VARS + 0x80     ; a line of text
S_RX     = DEMO_VARS + 0x100    ; ring of the body's columns
S_RY     = DEMO_VARS + 0x200    ; and rows
S_GRID   = DEMO_VARS + 0x300    ; one byte per cell, 40 a row: 1 where the body is

.proc snake_run
        .func 3
        INITDATA S_DX
        .long 1, 0, -1, 0
        .long 0, 1, 0, -1
        .byte 3, 1, 0, 2
        .enddata
        CALL snake_load

.title: CALL snake_title
.ask:   let S_KEY
        getchar
        set
        LDG_L S_KEY
        EQI KEY_ESC
        jtrue .leave
        LDG_L S_KEY
        EQI KEY_ENTER
        jfalse .ask

.play:  CALL snake_new
.step:  .line 10
        CALL snake_input
        jtrue .over
        CALL snake_move
        jtrue .over
        CALL snake_draw
        LDG_L S_SPEED           ; Space held: half the pause
        PUSH_B KEY_SPACE
        CheckKey
        jfalse .pause
        SHRI 1
.pause: Delay
        JMP .step

.over:  .line 11
        CALL snake_over
        jtrue .play
.leave: flush_keys
        RET
.endproc

; Reads the best score from "\snake.hi"; 0 when there is no such file or it is too short.
.proc snake_load
        .func 31
        setl S_HI, 0
        let S_FILE
        PUSH_STR "\\snake.hi"
        PUSH_STR "rb"
        fopen
        set
        LDG_L S_FILE
        jfalse .none
        PUSH_W S_HI
        PUSH_B 0
        PUSH_B 4
        LDG_L S_FILE
        fread
        EQI 4
        jtrue .read
        setl S_HI, 0
.read:  LDG_L S_FILE
        fclose
.none:  RET
.endproc

; Writes the best score to "\snake.hi".
.proc snake_save
        .func 32
        let S_FILE
        PUSH_STR "\\snake.hi"
        PUSH_STR "wb"
        fopen
        set
        LDG_L S_FILE
        jfalse .none
        PUSH_W S_HI
        PUSH_B 0
        PUSH_B 4
        LDG_L S_FILE
        fwrite
        drop
        LDG_L S_FILE
        fclose
.none:  RET
.endproc

.proc snake_title
        .func 33
        ClearScreen
        text 56, 0, "贪吃蛇", BIG + R_COPY
        rect 0, 17, 159, 17, M_SET
        PUSH_W S_BUF
        PUSH_STR "最高分 %d"
        LDG_L S_HI
        PUSH_B 3
        sprintf
        textat 52, 21, S_BUF, R_COPY
        text 14, 36, "方向键转向 空格加速", R_COPY
        rect 0, 52, 159, 68, M_SET
        text 26, 55, "回车开始 Esc退出", R_COPY
        Refresh
        flush_keys
        RET
.endproc

; A new game: a snake of three cells heading right, the first food straight ahead.
.proc snake_new
        .func 34
        PUSH_W S_GRID
        PUSH_B 0
        PUSH_W 40 * ROWS
        memset
        setl S_HEAD, 2
        setl S_LEN, 3
        setl S_I, 0
.body:  LDG_L S_I
        REFGX_C S_RX
        LDG_L S_I
        ADDI 8
        set
        LDG_L S_I
        REFGX_C S_RY
        PUSH_B 8
        set
        LDG_L S_I
        ADDI 8 * 40 + 8
        REFGX_C S_GRID
        PUSH_B 1
        set
        inc S_I
        LDG_L S_I
        LTI 3
        jtrue .body
        setl S_DIR, 0
        setl S_NDIR, 0
        setl S_SCORE, 0
        setl S_SPEED, START_SPEED
        setl S_FOODX, 20
        setl S_FOODY, 8
        Getms                   ; the moment of the start decides where later food appears
        srand
        flush_keys
        RET
.endproc

; Turns toward the arrow `key`, unless that is straight back.
.proc snake_steer key
.var d
        .func 35
        LDL_L key
        GEI KEY_UP
        LDL_L key
        LEI KEY_LEFT
        LAND
        jfalse .done
        letl d
        LDL_L key
        SUBI KEY_UP
        LDGX_C S_KDIR
        set
        LDL_L d
        LDG_L S_DIR
        ADDI 2
        PUSH_B 3
        AND
        NE
        jfalse .done
        let S_NDIR
        LDL_L d
        set
.done:  RET
.endproc

; Takes the key pressed since the last step, or an arrow that is held; true for Esc.
.proc snake_input
        .func 36
        let S_KEY
        Inkey
        set
        LDG_L S_KEY
        EQI KEY_ESC
        jtrue .esc
        LDG_L S_KEY
        jfalse .held
        LDG_L S_KEY
        CALL snake_steer
        PUSH_B 0
        RET
.held:  setl S_KEY, KEY_UP
.next:  LDG_L S_KEY
        CheckKey
        jfalse .up
        LDG_L S_KEY
        CALL snake_steer
.up:    inc S_KEY
        LDG_L S_KEY
        LEI KEY_LEFT
        jtrue .next
        PUSH_B 0
        RET
.esc:   PUSH_B 1
        RET
.endproc

; One step of the snake; true when it hits a wall or itself.
.proc snake_move
        .func 37
        let S_DIR
        LDG_L S_NDIR
        set
        let S_NX
        LDG_L S_HEAD
        LDGX_C S_RX
        LDG_L S_DIR
        SHLI 2
        LDGX_L S_DX
        ADD
        set
        let S_NY
        LDG_L S_HEAD
        LDGX_C S_RY
        LDG_L S_DIR
        SHLI 2
        LDGX_L S_DY
        ADD
        set
        LDG_L S_NX              ; the walls
        LTI 0
        LDG_L S_NX
        GTI COLS - 1
        LOR
        LDG_L S_NY
        LTI 0
        LOR
        LDG_L S_NY
        GTI ROWS - 1
        LOR
        jtrue .crash

        let S_EAT
        LDG_L S_NX
        LDG_L S_FOODX
        EQ
        LDG_L S_NY
        LDG_L S_FOODY
        EQ
        LAND
        set
        LDG_L S_EAT             ; a snake that grows keeps its tail; at full length it cannot
        LDG_L S_LEN
        LTI MAX_LEN
        LAND
        jtrue .grow
        let S_TAIL              ; the tail leaves its cell before the head moves in
        LDG_L S_HEAD
        LDG_L S_LEN
        SUB
        ADDI 1
        PUSH_W 255
        AND
        set
        LDG_L S_TAIL
        LDGX_C S_RY
        MULI 40
        LDG_L S_TAIL
        LDGX_C S_RX
        ADD
        REFGX_C S_GRID
        PUSH_B 0
        set
        dec S_LEN
.grow:  inc S_LEN
        LDG_L S_NY              ; the body
        MULI 40
        LDG_L S_NX
        ADD
        LDGX_C S_GRID
        jtrue .crash

        let S_HEAD
        LDG_L S_HEAD
        ADDI 1
        PUSH_W 255
        AND
        set
        LDG_L S_HEAD
        REFGX_C S_RX
        LDG_L S_NX
        set
        LDG_L S_HEAD
        REFGX_C S_RY
        LDG_L S_NY
        set
        LDG_L S_NY
        MULI 40
        LDG_L S_NX
        ADD
        REFGX_C S_GRID
        PUSH_B 1
        set

        LDG_L S_EAT
        jfalse .moved
        let S_SCORE
        LDG_L S_SCORE
        ADDI 10
        set
        LDG_L S_SPEED
        GTI MIN_SPEED
        jfalse .fast
        let S_SPEED
        LDG_L S_SPEED
        SUBI 5
        set
.fast:  CALL snake_food
.moved: PUSH_B 0
        RET
.crash: PUSH_B 1
        RET
.endproc

; Puts the food on a random free cell.
.proc snake_food
        .func 38
.again: let S_FOODX
        rand
        PUSH_B COLS
        MOD
        set
        let S_FOODY
        rand
        PUSH_B ROWS
        MOD
        set
        LDG_L S_FOODY
        MULI 40
        LDG_L S_FOODX
        ADD
        LDGX_C S_GRID
        jtrue .again
        RET
.endproc

; Pushes the four corners of cell (column, row) for Block or Rectangle: x = 2 + 4c, y = 14 + 4r.
.macro cell_corners column, row
        column
        SHLI 2
        ADDI 2
        row
        SHLI 2
        ADDI 14
        column
        SHLI 2
        ADDI 4
        row
        SHLI 2
        ADDI 16
.endm

.proc snake_draw
        .func 39
        ClearScreen
        PUSH_W S_BUF
        PUSH_STR "分数 %d"
        LDG_L S_SCORE
        PUSH_B 3
        sprintf
        textat 0, 0, S_BUF, R_COPY
        PUSH_W S_BUF
        PUSH_STR "最高 %d"
        LDG_L S_HI
        PUSH_B 3
        sprintf
        textat 100, 0, S_BUF, R_COPY
        rect 0, 12, 159, 79, M_SET

        cell_corners LDG_L S_FOODX, LDG_L S_FOODY
        PUSH_B M_SET
        Rectangle

        setl S_I, 0
.body:  let S_TAIL              ; ring index of the i-th cell from the head
        LDG_L S_HEAD
        LDG_L S_I
        SUB
        PUSH_W 255
        AND
        set
        let S_NX
        LDG_L S_TAIL
        LDGX_C S_RX
        set
        let S_NY
        LDG_L S_TAIL
        LDGX_C S_RY
        set
        cell_corners LDG_L S_NX, LDG_L S_NY
        PUSH_B M_SET
        Block
        inc S_I
        LDG_L S_I
        LDG_L S_LEN
        LT
        jtrue .body
        Refresh
        RET
.endproc

; The end of a game: saves a new best score and asks for another game. True for another.
.proc snake_over
        .func 40
        setl S_NEWHI, 0
        LDG_L S_SCORE
        LDG_L S_HI
        GT
        jfalse .shown
        setl S_NEWHI, 1
        let S_HI
        LDG_L S_SCORE
        set
        CALL snake_save
.shown: block 100, 0, 159, 11, M_CLEAR ; the header shows the best score as it is now
        PUSH_W S_BUF
        PUSH_STR "最高 %d"
        LDG_L S_HI
        PUSH_B 3
        sprintf
        textat 100, 0, S_BUF, R_COPY
        block 1, 13, 158, 78, M_CLEAR   ; the field is emptied, so no snake shows around the box
        rect 8, 14, 151, 77, M_SET
        text 48, 16, "游戏结束", BIG + R_COPY
        PUSH_W S_BUF
        PUSH_STR "分数 %d  最高 %d"
        LDG_L S_SCORE
        LDG_L S_HI
        PUSH_B 4
        sprintf
        textat 22, 34, S_BUF, R_COPY
        LDG_L S_NEWHI
        jfalse .plain
        block 56, 47, 102, 60, M_SET    ; a dark band one pixel wider than the text
        text 59, 48, "新纪录!", R_COPY + R_INV
.plain: text 32, 63, "回车再玩 Esc退出", R_COPY
        Refresh
        delay 300               ; a key still held from the game is not an answer
        flush_keys
.ask:   let S_KEY
        getchar
        set
        LDG_L S_KEY
        EQI KEY_ESC
        jtrue .no
        LDG_L S_KEY
        EQI KEY_ENTER
        jfalse .ask
        PUSH_B 1
        RET
.no:    PUSH_B 0
        RET
.endproc
