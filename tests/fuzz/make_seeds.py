#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets into tests/fuzz/corpus: the demos' images and
sources from a build folder, and a few hand-made inputs for the readers of settings, command
lines and debugger records. The system-call seeds are a sample of a merged corpus of that
target, since its inputs are made for its own reader. Run it after changing the demos, then keep only what adds coverage:
    fuzz_<name> -merge=1 corpus/<name> <candidates>
usage: make_seeds.py BUILD_BIN_DIR"""

import pathlib
import shutil
import struct
import sys

here = pathlib.Path(__file__).resolve().parent
demos = here.parent.parent / "demos"
corpus = here / "corpus"


def put(target, name, data):
    folder = corpus / target
    folder.mkdir(parents=True, exist_ok=True)
    (folder / name).write_bytes(data)


def record(message, first=0, second=0, payload=b""):
    return struct.pack("<IIII", message, first, second, len(payload)) + payload


def main():
    bin_dir = pathlib.Path(sys.argv[1])
    for image in sorted(bin_dir.glob("*.vrn")):
        if image.stem == "showcase":
            continue  # the other demos together, at four times the size
        data = image.read_bytes()
        put("image", image.stem, data)
        put("dis", image.stem, data[4:])  # the target puts the magic in front itself
    for source in sorted(demos.glob("*.s")):
        # Within the assembler target's longest input (tests/fuzz/run.sh); longer ones would be cut.
        if source.stem != "showcase" and source.stat().st_size <= 8192:
            put("asm", source.stem, source.read_bytes())

    # vorn.ini: the value to set comes first, up to a backslash and one more byte; the last byte
    # chooses the key; what lies between is the file.
    put("ini", "plain", b"/home/user/rom\\x[ROM]\nDirectory=/tmp/rom\n[CPU]\nFrequency=1000\n\x00")
    put("ini", "crlf", b"1000\\x; settings\r\n[CPU]\r\nfrequency = \"1200\"\r\n\r\n[rom]\r\n\x01")
    put("ini", "missing", b"games\\x[Other]\nKey=1\n[CPU\nDirectory\n\x02")

    # Command lines: arguments separated by zero bytes; "@..." names an existing file.
    put("cmdline", "runner", b"--max-instructions=100\0--regs\0/S5\0/W4000\0@game.vrn")
    put("cmdline", "slash_r", b"/R\0my\0game.vrn\0--keys\00:enter")
    put("cmdline", "bare", b"@/Shared/x.vrn\0/Rother.vrn\0--trace\0--root\0dir")

    # Debugger records; the last byte says whether the simulator is sending a record of its own.
    put("debuglink", "resume", record(0xB001) + b"\x00")
    put("debuglink", "stop_payload", record(0xB003, 5, 0, b"abc") + record(0xB001) + b"\x00")
    put("debuglink", "ack_while_sending", record(0xFFFFFFFF, 0x4A) + record(0xB001) + b"\x01")


if __name__ == "__main__":
    main()
