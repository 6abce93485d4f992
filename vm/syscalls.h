#pragma once
// Handlers of the system calls 0x80-0xD1, one per opcode. They live in display/ and library/;
// the dispatch table in vm/dispatch.cpp lists them in opcode order.

namespace corvane {

struct Machine;

void sys_putchar(Machine& m);      // 0x80
void sys_getchar(Machine& m);      // 0x81
void sys_printf(Machine& m);       // 0x82
void sys_strcpy(Machine& m);       // 0x83
void sys_strlen(Machine& m);       // 0x84
void sys_SetScreen(Machine& m);    // 0x85
void sys_UpdateLCD(Machine& m);    // 0x86
void sys_Delay(Machine& m);        // 0x87
void sys_WriteBlock(Machine& m);   // 0x88
void sys_Refresh(Machine& m);      // 0x89
void sys_TextOut(Machine& m);      // 0x8A
void sys_Block(Machine& m);        // 0x8B
void sys_Rectangle(Machine& m);    // 0x8C
void sys_exit(Machine& m);         // 0x8D
void sys_ClearScreen(Machine& m);  // 0x8E
void sys_abs(Machine& m);          // 0x8F
void sys_rand(Machine& m);         // 0x90
void sys_srand(Machine& m);        // 0x91
void sys_Locate(Machine& m);       // 0x92
void sys_Inkey(Machine& m);        // 0x93
void sys_Point(Machine& m);        // 0x94
void sys_GetPoint(Machine& m);     // 0x95
void sys_Line(Machine& m);         // 0x96
void sys_Box(Machine& m);          // 0x97
void sys_Circle(Machine& m);       // 0x98
void sys_Ellipse(Machine& m);      // 0x99
void sys_Beep(Machine& m);         // 0x9A
void sys_isalnum(Machine& m);      // 0x9B
void sys_isalpha(Machine& m);      // 0x9C
void sys_iscntrl(Machine& m);      // 0x9D
void sys_isdigit(Machine& m);      // 0x9E
void sys_isgraph(Machine& m);      // 0x9F
void sys_islower(Machine& m);      // 0xA0
void sys_isprint(Machine& m);      // 0xA1
void sys_ispunct(Machine& m);      // 0xA2
void sys_isspace(Machine& m);      // 0xA3
void sys_isupper(Machine& m);      // 0xA4
void sys_isxdigit(Machine& m);     // 0xA5
void sys_strcat(Machine& m);       // 0xA6
void sys_strchr(Machine& m);       // 0xA7
void sys_strcmp(Machine& m);       // 0xA8
void sys_strstr(Machine& m);       // 0xA9
void sys_tolower(Machine& m);      // 0xAA
void sys_toupper(Machine& m);      // 0xAB
void sys_memset(Machine& m);       // 0xAC
void sys_memcpy(Machine& m);       // 0xAD
void sys_fopen(Machine& m);        // 0xAE
void sys_fclose(Machine& m);       // 0xAF
void sys_fread(Machine& m);        // 0xB0
void sys_fwrite(Machine& m);       // 0xB1
void sys_fseek(Machine& m);        // 0xB2
void sys_ftell(Machine& m);        // 0xB3
void sys_feof(Machine& m);         // 0xB4
void sys_rewind(Machine& m);       // 0xB5
void sys_getc(Machine& m);         // 0xB6
void sys_putc(Machine& m);         // 0xB7
void sys_sprintf(Machine& m);      // 0xB8
void sys_MakeDir(Machine& m);      // 0xB9
void sys_DeleteFile(Machine& m);   // 0xBA
void sys_Getms(Machine& m);        // 0xBB
void sys_CheckKey(Machine& m);     // 0xBC
void sys_memmove(Machine& m);      // 0xBD
void sys_Crc16(Machine& m);        // 0xBE
void sys_Secret(Machine& m);       // 0xBF
void sys_ChDir(Machine& m);        // 0xC0
void sys_FileList(Machine& m);     // 0xC1
void sys_GetTime(Machine& m);      // 0xC2
void sys_SetTime(Machine& m);      // 0xC3
void sys_GetWord(Machine& m);      // 0xC4
void sys_XDraw(Machine& m);        // 0xC5
void sys_ReleaseKey(Machine& m);   // 0xC6
void sys_GetBlock(Machine& m);     // 0xC7
void sys_Sin(Machine& m);          // 0xC8
void sys_Cos(Machine& m);          // 0xC9
void sys_FillArea(Machine& m);     // 0xCA
void sys_PutKey(Machine& m);       // 0xCB
void sys_ReservedCC(Machine& m);   // 0xCC
void sys_ReservedCD(Machine& m);   // 0xCD
void sys_ReservedCE(Machine& m);   // 0xCE
void sys_ReservedCF(Machine& m);   // 0xCF
void sys_ReservedD0(Machine& m);   // 0xD0
void sys_ReservedD1(Machine& m);   // 0xD1

}  // namespace corvane
