; files.s: the file demo. Four pages on the small console, each until a key is pressed (Esc
; leaves):
;   1. counts its runs in "\runs.dat" (one byte appended per run, counted with fseek and ftell),
;      writes "note.txt", reads it back and compares the CRC-16 of both;
;   2. shows what was read back;
;   3. ChDir: the current folder ".", a folder that does not exist, out of the root (refused),
;      back to the root "\" (a program cannot make folders: MakeDir does nothing);
;   4. FileList: the chosen file's name, size and CRC-16, and its first bytes (cut whole
;      characters only).

.ifndef SHOWCASE
.include "common.inc"
        SETSP FRAMES
        CALL files_run
        EXIT
.endif

F_H      = DEMO_VARS + 0x00     ; an open file
F_N      = DEMO_VARS + 0x04     ; bytes written or read
F_LEN    = DEMO_VARS + 0x08
F_CRC1   = DEMO_VARS + 0x0C
F_CRC2   = DEMO_VARS + 0x10
F_SIZE   = DEMO_VARS + 0x14
F_RUNS   = DEMO_VARS + 0x18
F_CRCF   = DEMO_VARS + 0x1C     ; CRC-16 of the chosen file's first bytes
F_HEX    = DEMO_VARS + 0x20     ; four hexadecimal digits and a terminator
F_CUT    = DEMO_VARS + 0x28     ; bytes of the chosen file shown as text
F_SHOW   = 24
F_NAME   = DEMO_VARS + 0x40     ; the name FileList gives (up to 260 bytes)
F_DIGITS = DEMO_VARS + 0x180    ; "0123456789ABCDEF"
F_TEXT   = DEMO_VARS + 0x200    ; what is written
F_BACK   = DEMO_VARS + 0x280    ; what is read back
F_DATA   = DEMO_VARS + 0x400    ; the chosen file's first bytes
F_MAX    = 4096

.macro files_wait leave
        getchar
        EQI KEY_ESC
        jtrue leave
.endm

.proc files_run
        INITDATA F_DIGITS
        .asciz "0123456789ABCDEF"
        .enddata
.page1: CALL files_write_read
        files_wait .leave
.page2: PUSH_B 1
        SetScreen
        print "note.txt 的内容:\n"
        PUSH_STR "%s"
        PUSH_W F_BACK
        PUSH_B 2
        printf
        print "按键继续"
        files_wait .leave
.page3: CALL files_dirs
        files_wait .leave
.page4: CALL files_chosen
        files_wait .leave
        JMP .page1
.leave: PUSH_STR "\\"           ; the next program starts in the root again
        ChDir
        drop
        flush_keys
        RET
.endproc

; Writes the four hexadecimal digits of `value` (0-65535) to F_HEX.
.proc files_hex value
.var i
        letl i
        PUSH_B 0
        set
.digit: LDL_L i
        REFGX_C F_HEX
        LDL_L value
        PUSH_B 12
        LDL_L i
        SHLI 2
        SUB
        SHR
        PUSH_B 15
        AND
        LDGX_C F_DIGITS
        set
        PUSH_D LOCAL + LONG + i
        PREINC
        LTI 4
        jtrue .digit
        setc F_HEX + 4, 0
        RET
.endproc

; Page 1.
.proc files_write_read
        PUSH_B 1
        SetScreen
        print "文件演示\n"
        PUSH_STR "\\"
        ChDir
        drop

        let F_H                 ; one more byte in runs.dat for this run
        PUSH_STR "runs.dat"
        PUSH_STR "ab"
        fopen
        set
        LDG_L F_H
        jfalse .counted
        PUSH_B 'x'
        LDG_L F_H
        putc
        drop
        LDG_L F_H
        fclose
.counted:
        setl F_RUNS, 0
        let F_H
        PUSH_STR "runs.dat"
        PUSH_STR "rb"
        fopen
        set
        LDG_L F_H
        jfalse .text
        LDG_L F_H
        PUSH_B 0
        PUSH_B 2                ; from the end
        fseek
        drop
        let F_RUNS
        LDG_L F_H
        ftell
        set
        LDG_L F_H
        fclose

.text:  PUSH_W F_TEXT
        PUSH_STR "你好，文件！\r\n这是第%d次运行。\r\n"
        LDG_L F_RUNS
        PUSH_B 3
        sprintf
        let F_LEN
        PUSH_W F_TEXT
        strlen
        set

        setl F_N, 0
        let F_H
        PUSH_STR "note.txt"
        PUSH_STR "wb"
        fopen
        set
        LDG_L F_H
        jfalse .wrote
        let F_N
        PUSH_W F_TEXT
        PUSH_B 0
        LDG_L F_LEN
        LDG_L F_H
        fwrite
        set
        LDG_L F_H
        fclose
.wrote: PUSH_STR "写 note.txt %d字节\n"
        LDG_L F_N
        PUSH_B 2
        printf

        PUSH_W F_BACK
        PUSH_B 0
        PUSH_B 128
        memset
        setl F_N, 0
        let F_H
        PUSH_STR "note.txt"
        PUSH_STR "rb"
        fopen
        set
        LDG_L F_H
        jfalse .read
        let F_N
        PUSH_W F_BACK
        PUSH_B 0
        PUSH_B 127
        LDG_L F_H
        fread
        set
        LDG_L F_H
        fclose
.read:  PUSH_STR "读回 %d字节\n"
        LDG_L F_N
        PUSH_B 2
        printf

        let F_CRC1
        PUSH_W F_TEXT
        LDG_L F_LEN
        Crc16
        set
        let F_CRC2
        PUSH_W F_BACK
        LDG_L F_N
        Crc16
        set
        LDG_L F_CRC2
        CALL files_hex
        PUSH_STR "CRC16 0x%s %s\n"
        PUSH_W F_HEX
        LDG_L F_CRC1
        LDG_L F_CRC2
        EQ
        jfalse .differ
        PUSH_STR "一致"
        JMP .same
.differ:
        PUSH_STR "不同!"
.same:  PUSH_B 3
        printf
        PUSH_STR "runs.dat: %d次运行\n"
        LDG_L F_RUNS
        PUSH_B 2
        printf
        print "按键继续"
        RET
.endproc

; Prints the outcome of a ChDir: `ok` true or false.
.proc files_outcome ok
        LDL_L ok
        jfalse .no
        print "成功\n"
        RET
.no:    print "失败\n"
        RET
.endproc

; Page 3.
.proc files_dirs
        PUSH_B 1
        SetScreen
        print "ChDir 换目录\n"
        print "当前目录 .: "
        PUSH_STR "."
        ChDir
        CALL files_outcome
        print "不存在的目录 nosub: "
        PUSH_STR "nosub"
        ChDir
        CALL files_outcome
        print "根目录外 ..: "
        PUSH_STR ".."
        ChDir
        CALL files_outcome
        print "\\: "
        PUSH_STR "\\"
        ChDir
        CALL files_outcome
        print "按键继续"
        RET
.endproc

; Page 4.
.proc files_chosen
        PUSH_B 1
        SetScreen
        print "FileList 选择文件\n"
        PUSH_W F_NAME
        FileList
        jtrue .chosen
        print "没有选择文件\n按键继续"
        RET
.chosen:
        PUSH_STR "%s\n"
        PUSH_W F_NAME
        PUSH_B 2
        printf
        let F_H
        PUSH_W F_NAME
        PUSH_STR "rb"
        fopen
        set
        LDG_L F_H
        jtrue .open
        print "打不开\n按键继续"
        RET
.open:  LDG_L F_H
        PUSH_B 0
        PUSH_B 2
        fseek
        drop
        let F_SIZE
        LDG_L F_H
        ftell
        set
        LDG_L F_H
        rewind
        let F_N
        PUSH_W F_DATA
        PUSH_B 0
        PUSH_W F_MAX
        LDG_L F_H
        fread
        set
        LDG_L F_H
        fclose
        PUSH_STR "大小 %d字节\n"
        LDG_L F_SIZE
        PUSH_B 2
        printf
        let F_CRCF
        PUSH_W F_DATA
        LDG_L F_N
        Crc16
        set
        LDG_L F_CRCF
        CALL files_hex
        PUSH_STR "CRC16 0x%s"
        PUSH_W F_HEX
        PUSH_B 2
        printf
        LDG_L F_N
        LDG_L F_SIZE
        LT
        jfalse .whole
        print " (前4096字节)"
.whole: print "\n"
        setl F_CUT, 0           ; the first F_SHOW bytes as text, ending before a terminator
.cut:   LDG_L F_CUT             ; or a two-byte character that would not fit whole
        LDG_L F_N
        LT
        jfalse .cutdone
        LDG_L F_CUT
        LDGX_C F_DATA
        EQI 0
        jtrue .cutdone
        LDG_L F_CUT
        LDGX_C F_DATA
        GEI 0x80
        jfalse .single
        LDG_L F_CUT
        ADDI 2
        GTI F_SHOW
        jtrue .cutdone
        inc F_CUT
.single:
        LDG_L F_CUT
        ADDI 1
        GTI F_SHOW
        jtrue .cutdone
        inc F_CUT
        JMP .cut
.cutdone:
        PUSH_W F_TEXT
        PUSH_W F_DATA
        LDG_L F_CUT
        memcpy
        LDG_L F_CUT
        REFGX_C F_TEXT
        PUSH_B 0
        set
        PUSH_STR "%s\n按键继续"
        PUSH_W F_TEXT
        PUSH_B 2
        printf
        RET
.endproc
