#!/usr/bin/env bash
# cvise's test for a mismatch: succeeds while the program (csmith_*.c in the current folder, or
# $1) is still valid C that both compilers build and run to the end, and their outputs differ.
# Validity matters most: a shrunk program that reads an uninitialised local, runs off the end of
# a function or modifies a variable twice between sequence points may differ between two correct
# compilers, so GCC's warnings for those refuse it, and so does vrncc's checked mode.
# The second compiler's output must be confirmed by a third.
# Set by run.py: CSMITH_BIN (corvane-run, and vrncc unless CSMITH_VRNCC names another),
# CSMITH_DIR (this folder), CSMITH_BUDGET, CSMITH_SIM_SECONDS.
set -u
src=${1:-$(ls csmith_*.c | head -1)}
bin=$CSMITH_BIN
vrncc=${CSMITH_VRNCC:-$bin/vrncc}
budget=${CSMITH_BUDGET:-200000000}
sim_seconds=${CSMITH_SIM_SECONDS:-60}

gcc -std=c99 -O1 -fsyntax-only -Wall -Wextra -Werror=uninitialized -Werror=maybe-uninitialized \
  -Werror=return-type -Werror=sequence-point -Werror=implicit-function-declaration \
  -Werror=implicit-int -Werror=int-conversion -Werror=incompatible-pointer-types \
  -Werror=array-bounds -Werror=div-by-zero -Werror=shift-count-overflow \
  "$src" >/dev/null 2>&1 || exit 1

"$vrncc" -w "$src" -o plain.vrn >/dev/null 2>&1 || exit 1
timeout 300 "$bin/corvane-run" --stdout --exit-status --max-instructions "$budget" plain.vrn \
  >vrncc.out 2>/dev/null || exit 1
mine=$(grep -o 'checksum = [0-9A-F]*' vrncc.out) || exit 1

# The quicker of the other two first (SDCC takes most of a test's time), so that most of the
# candidates cvise tries, where vrncc gives the right answer again, are turned down early.
# SDCC has faults of its own: the mismatch is vrncc's only while GCC for the AVR and SDCC agree.
avr-gcc -mmcu=atmega1284p -Os -w "$src" "$CSMITH_DIR/avr_io.c" -o prog.elf >/dev/null 2>&1 || exit 1
(ulimit -t "$sim_seconds"; simavr -m atmega1284p prog.elf) 2>&1 | sed 's/\x1b\[[0-9;]*m//g' |
  grep -o 'checksum = [0-9A-F]*' >avr.out
grep -q "checksum = " avr.out || exit 1
[ "$(cat avr.out)" != "$mine" ] || exit 1

sdcc -mz80 -c "$CSMITH_DIR/sdcc_z80_io.c" -o io.rel >/dev/null 2>&1 || exit 1
timeout 900 sdcc -mz80 --max-allocs-per-node 1000 "$src" io.rel -o prog.ihx >/dev/null 2>&1 ||
  exit 1
rm -f sdcc.out
printf 'run\nquit\n' | timeout "$sim_seconds" sz80 -I "if=outputs[0xff],out=$PWD/sdcc.out" \
  prog.ihx >sim.log 2>&1 || exit 1
grep -q Halted sim.log || exit 1
[ "$(grep -o 'checksum = [0-9A-F]*' sdcc.out)" = "$(cat avr.out)" ] || exit 1

# The checked mode stops a program that writes through a null pointer or overflows its stack;
# a correct program prints the same under it.
"$vrncc" -w -fcheck "$src" -o checked.vrn >/dev/null 2>&1 || exit 1
timeout 300 "$bin/corvane-run" --stdout --exit-status --max-instructions "$budget" checked.vrn \
  >checked.out 2>/dev/null || exit 1
cmp -s vrncc.out checked.out
