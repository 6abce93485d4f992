// System calls of this folder that are not built yet: each ends the program with a clear
// reason. Remove an entry when its real handler lands.

#include "vm/interpreter.h"
#include "vm/machine.h"
#include "vm/syscalls.h"

namespace corvane {

void sys_getchar(Machine& m) { notAvailable(m, 0x81); }
void sys_printf(Machine& m) { notAvailable(m, 0x82); }
void sys_strcpy(Machine& m) { notAvailable(m, 0x83); }
void sys_strlen(Machine& m) { notAvailable(m, 0x84); }
void sys_Delay(Machine& m) { notAvailable(m, 0x87); }
void sys_abs(Machine& m) { notAvailable(m, 0x8F); }
void sys_rand(Machine& m) { notAvailable(m, 0x90); }
void sys_srand(Machine& m) { notAvailable(m, 0x91); }
void sys_Inkey(Machine& m) { notAvailable(m, 0x93); }
void sys_Beep(Machine& m) { notAvailable(m, 0x9A); }
void sys_isalnum(Machine& m) { notAvailable(m, 0x9B); }
void sys_isalpha(Machine& m) { notAvailable(m, 0x9C); }
void sys_iscntrl(Machine& m) { notAvailable(m, 0x9D); }
void sys_isdigit(Machine& m) { notAvailable(m, 0x9E); }
void sys_isgraph(Machine& m) { notAvailable(m, 0x9F); }
void sys_islower(Machine& m) { notAvailable(m, 0xA0); }
void sys_isprint(Machine& m) { notAvailable(m, 0xA1); }
void sys_ispunct(Machine& m) { notAvailable(m, 0xA2); }
void sys_isspace(Machine& m) { notAvailable(m, 0xA3); }
void sys_isupper(Machine& m) { notAvailable(m, 0xA4); }
void sys_isxdigit(Machine& m) { notAvailable(m, 0xA5); }
void sys_strcat(Machine& m) { notAvailable(m, 0xA6); }
void sys_strchr(Machine& m) { notAvailable(m, 0xA7); }
void sys_strcmp(Machine& m) { notAvailable(m, 0xA8); }
void sys_strstr(Machine& m) { notAvailable(m, 0xA9); }
void sys_tolower(Machine& m) { notAvailable(m, 0xAA); }
void sys_toupper(Machine& m) { notAvailable(m, 0xAB); }
void sys_memset(Machine& m) { notAvailable(m, 0xAC); }
void sys_memcpy(Machine& m) { notAvailable(m, 0xAD); }
void sys_sprintf(Machine& m) { notAvailable(m, 0xB8); }
void sys_MakeDir(Machine& m) { notAvailable(m, 0xB9); }
void sys_DeleteFile(Machine& m) { notAvailable(m, 0xBA); }
void sys_Getms(Machine& m) { notAvailable(m, 0xBB); }
void sys_CheckKey(Machine& m) { notAvailable(m, 0xBC); }
void sys_memmove(Machine& m) { notAvailable(m, 0xBD); }
void sys_Crc16(Machine& m) { notAvailable(m, 0xBE); }
void sys_Secret(Machine& m) { notAvailable(m, 0xBF); }
void sys_GetTime(Machine& m) { notAvailable(m, 0xC2); }
void sys_SetTime(Machine& m) { notAvailable(m, 0xC3); }
void sys_GetWord(Machine& m) { notAvailable(m, 0xC4); }
void sys_ReleaseKey(Machine& m) { notAvailable(m, 0xC6); }
void sys_Sin(Machine& m) { notAvailable(m, 0xC8); }
void sys_Cos(Machine& m) { notAvailable(m, 0xC9); }
void sys_PutKey(Machine& m) { notAvailable(m, 0xCB); }
void sys_ReservedCC(Machine& m) { notAvailable(m, 0xCC); }
void sys_ReservedCD(Machine& m) { notAvailable(m, 0xCD); }
void sys_ReservedCE(Machine& m) { notAvailable(m, 0xCE); }
void sys_ReservedCF(Machine& m) { notAvailable(m, 0xCF); }
void sys_ReservedD0(Machine& m) { notAvailable(m, 0xD0); }
void sys_ReservedD1(Machine& m) { notAvailable(m, 0xD1); }

}  // namespace corvane
