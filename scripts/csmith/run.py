#!/usr/bin/env python3
"""Random programs from Csmith, compiled by vrncc and run on the machine, and compiled by SDCC for
the z80 and run in its simulator: both have a 16-bit int, a 32-bit long and 16-bit pointers, so a
correct compiler prints the other's checksum. A program either compiler cannot build, or that
runs past its budget, is counted apart; a mismatch is kept, and with --reduce shrunk by cvise
into a regression test for the vrncc corpus.

    run.py --count N [--jobs J] [--seed S] [--reduce [--keep]] [--bin build/default/bin]
           [--vrncc path/to/another/vrncc]
    run.py --keep-program PROGRAM.c --expected OUTPUT [--programs DIR]
"""

import argparse
import collections
import concurrent.futures
import os
import re
import resource
import signal
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
ROOT = HERE.parent.parent

# The sizes Csmith assumes when it picks constants and checks its own arithmetic.
PLATFORM_INFO = "integer size = 2\npointer size = 2\n"

# Programs both compilers can build and both machines can hold: no floating point (SDCC's double
# is a float); no volatile or const pointers, packed structs, or structs and unions passed or
# returned by value (SDCC's z80 port refuses them, or fails inside); main without argc and argv;
# fewer, smaller functions and arrays than Csmith's defaults, so code and data fit in 32 KiB each.
CSMITH_OPTIONS = [
    "--no-float", "--no-volatile-pointers", "--no-const-pointers", "--no-packed-struct",
    "--no-return-structs", "--no-arg-structs", "--no-return-unions", "--no-arg-unions",
    "--no-argc", "--max-funcs", "3",
    "--max-block-depth", "3", "--max-array-dim", "2", "--max-array-len-per-dim", "6",
    "--max-expr-complexity", "6", "--max-struct-fields", "6",
]


def run(cmd, cpu_seconds, cwd=None, stdin=None):
    """(status, stdout, stderr), status None when the time ran out. The limit is processor time,
    not the clock's, so a busy machine does not turn slow runs into timeouts; the clock's limit
    is only a backstop."""

    def limit():
        resource.setrlimit(resource.RLIMIT_CPU, (cpu_seconds, cpu_seconds + 5))

    try:
        p = subprocess.run(cmd, cwd=cwd, input=stdin, capture_output=True,
                           timeout=cpu_seconds * 20 + 600, text=True, errors="replace",
                           preexec_fn=limit)
        if p.returncode in (-signal.SIGXCPU, -signal.SIGKILL):
            return None, "", "out of processor time"
        return p.returncode, p.stdout, p.stderr
    except subprocess.TimeoutExpired:
        return None, "", "timed out"


def vrncc_path(args):
    """The compiler under test: the build's own, or --vrncc (say a build with a change to try)."""
    return str(Path(args.vrncc or Path(args.bin) / "vrncc").resolve())


def first_errors(text):
    """The first few lines that say "error", for the results table."""
    return " | ".join([l for l in text.splitlines() if "error" in l.lower()][:3]) or text[-300:]


class Tools:
    def __init__(self, args):
        self.vrncc = vrncc_path(args)
        self.corvane_run = str(Path(args.bin) / "corvane-run")
        self.budget = args.budget
        self.sim_seconds = args.sim_seconds
        self.compile_seconds = args.compile_seconds

    def vrncc_output(self, source, work, check=False):
        """('ok', output) or (reason, detail)."""
        image = work / ("checked.vrn" if check else "prog.vrn")
        flags = ["-fcheck"] if check else []
        st, _, err = run([self.vrncc, "-w", *flags, "-I", str(HERE), str(source), "-o", str(image)],
                         self.compile_seconds)
        if st is None:
            return "vrncc-build-timeout", ""
        if st != 0:
            return ("vrncc-crash" if st < 0 else "vrncc-refused"), first_errors(err)
        st, out, err = run([self.corvane_run, "--stdout", "--exit-status", "--max-instructions",
                            str(self.budget), str(image)], 600)
        if st is None or "instruction limit" in err:
            return "vrncc-over-budget", ""
        if st != 0 or "checksum = " not in out:
            return "vrncc-run-failed", out + err
        return "ok", out

    def sdcc_output(self, source, work):
        io_rel = work / "sdcc_z80_io.rel"
        st, _, err = run(["sdcc", "-mz80", "-c", str(HERE / "sdcc_z80_io.c"), "-o", str(io_rel)],
                         self.compile_seconds)
        if st != 0:
            return "sdcc-refused", err
        image = work / "prog.ihx"
        # A lighter register allocation search: SDCC's default effort takes minutes on some
        # of these programs.
        st, _, err = run(["sdcc", "-mz80", "--max-allocs-per-node", "1000", "-I", str(HERE),
                          str(source), str(io_rel), "-o", str(image)], self.compile_seconds,
                         cwd=work)
        if st is None:
            return "sdcc-build-timeout", ""
        if st != 0 or not image.exists():
            return "sdcc-refused", first_errors(err)
        out_file = work / "sdcc.out"
        out_file.unlink(missing_ok=True)
        # The simulator reads its commands from standard input: run to the halt, then quit.
        st, log, _ = run(["sz80", "-I", f"if=outputs[0xff],out={out_file}", str(image)],
                         self.sim_seconds, stdin="run\nquit\n")
        if st is None:
            return "sdcc-over-budget", ""
        out = out_file.read_text(errors="replace") if out_file.exists() else ""
        if "Halted" not in log or "checksum = " not in out:
            return "sdcc-run-failed", log[-400:]
        return "ok", out


    def avr_output(self, source, work):
        """The third opinion, asked only where the first two disagree: GCC for the AVR (also a
        16-bit int, 32-bit long and 16-bit pointers) run in simavr. SDCC 4.2 has faults of its
        own: it drops an assignment inside a comparison it folds because of the type's range,
        and it widens some 32-bit values to 64 bits wrongly."""
        image = work / "prog.elf"
        st, _, err = run(["avr-gcc", "-mmcu=atmega1284p", "-Os", "-w", "-I", str(HERE),
                          str(source), str(HERE / "avr_io.c"), "-o", str(image)],
                         self.compile_seconds)
        if st != 0:
            return "avr-refused", first_errors(err)
        st, out, err = run(["simavr", "-m", "atmega1284p", str(image)], self.sim_seconds)
        text = re.sub(r"\x1b\[[0-9;]*m", "", out + err)
        found = re.search(r"checksum = [0-9A-F]+", text)
        if st is None or not found:
            return "avr-failed", text[-300:]
        return "ok", found.group(0) + "\n"


def judge(vout, sout, tools, source, work):
    """A mismatch between vrncc and SDCC, settled by the third compiler where it can."""
    ar, aout = tools.avr_output(source, work)
    if ar != "ok":
        return "mismatch-unsettled", f"vrncc: {vout.strip()}  sdcc: {sout.strip()}  avr: {ar}"
    if aout.strip() == vout.strip():
        return "sdcc-wrong", f"vrncc and avr-gcc: {vout.strip()}  sdcc: {sout.strip()}"
    if aout.strip() == sout.strip():
        return "mismatch", f"vrncc: {vout.strip()}  sdcc and avr-gcc: {sout.strip()}"
    return "mismatch-unsettled", f"vrncc: {vout.strip()}  sdcc: {sout.strip()}  avr: {aout}"


def one_program(seed, tools, out_dir):
    """(seed, verdict, detail); a failure of this script's own (a compiler missing while it is
    being rebuilt) is the program's verdict, so the run goes on counting."""
    try:
        return compare(seed, tools, out_dir)
    except OSError as e:
        return seed, "harness-failed", str(e)


def compare(seed, tools, out_dir):
    work = out_dir / "work" / str(seed)
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    (work / "platform.info").write_text(PLATFORM_INFO)
    source = work / "prog.c"
    st, _, err = run(["csmith", "--seed", str(seed), *CSMITH_OPTIONS, "-o", str(source)], 120,
                     cwd=work)
    if st != 0:
        return seed, "csmith-failed", " | ".join(err.strip().splitlines())[-300:]
    started = time.monotonic()
    vr, vout = tools.vrncc_output(source, work)
    sr, sout = tools.sdcc_output(source, work)
    seconds = time.monotonic() - started
    if vr != "ok":
        # vrncc's failures come first: they are the ones to look at, above all where the second
        # compiler built and ran the same program.
        verdict = vr + (" (sdcc-ok)" if sr == "ok" else "")
        detail = vout
    elif sr != "ok":
        verdict, detail = sr, sout
    elif vout == sout:
        verdict, detail = "match", ""
    else:
        verdict, detail = judge(vout, sout, tools, source, work)
    if verdict == "match" or (verdict.startswith("sdcc-") and verdict != "sdcc-wrong"):
        shutil.rmtree(work)
    else:
        (work / "verdict.txt").write_text(f"{verdict}\n{detail}\n")
    detail = " | ".join(line.strip() for line in detail.splitlines() if line.strip())[:300]
    return seed, verdict, f"{detail} ({seconds:.1f} s)"


def flatten(source, dest):
    """The program with csmith.h pasted in, so cvise can shrink both and the result stands alone."""
    header = (HERE / "csmith.h").read_text()
    text = source.read_text().replace('#include "csmith.h"', header)
    dest.write_text(text)


def reduce(seed, out_dir, args):
    work = out_dir / "work" / str(seed)
    reduced = out_dir / "reduced"
    reduced.mkdir(exist_ok=True)
    target = reduced / f"csmith_{seed}.c"
    flatten(work / "prog.c", target)
    env = dict(os.environ, CSMITH_BIN=str(Path(args.bin).resolve()), CSMITH_VRNCC=vrncc_path(args),
               CSMITH_DIR=str(HERE),
               CSMITH_BUDGET=str(args.budget), CSMITH_SIM_SECONDS=str(args.sim_seconds))
    test = HERE / "interesting.sh"
    if subprocess.run([str(test), str(target)], env=env, cwd=reduced).returncode != 0:
        print(f"seed {seed}: the mismatch does not survive flattening; not reduced")
        return None
    # cvise writes each smaller program it has proved into the file as it goes, so a reduction
    # cut short by --reduce-minutes leaves the smallest one found so far; it is tested again.
    # Its working folders go under the output folder: one it is stopped in stays there, not in /tmp.
    scratch = reduced / "tmp"
    scratch.mkdir(exist_ok=True)
    cvise = subprocess.Popen(["cvise", "--n", str(args.jobs), "--timeout", "1800", str(test),
                              target.name], env=dict(env, TMPDIR=str(scratch)), cwd=reduced,
                             stdout=subprocess.DEVNULL, start_new_session=True)
    try:
        cvise.wait(timeout=args.reduce_minutes * 60 if args.reduce_minutes else None)
    except subprocess.TimeoutExpired:
        os.killpg(cvise.pid, signal.SIGTERM)
        cvise.wait()
        print(f"seed {seed}: the reduction was stopped after {args.reduce_minutes} minutes")
        if subprocess.run([str(test), str(target)], env=env, cwd=reduced).returncode != 0:
            print(f"seed {seed}: the program cvise left does not show the mismatch; not kept")
            return None
    # The expected output is the second compiler's.
    tools = Tools(args)
    verdict, out = tools.sdcc_output(target, work)
    if verdict != "ok":
        print(f"seed {seed}: the reduced program does not run under SDCC ({verdict})")
        return None
    if args.keep:
        keep(target, out, Path(args.programs), tools, work)
    return target


def keep(program, expected, programs, tools, work):
    """Writes a reduced mismatch into the corpus as NAME.c and NAME.expected (the second
    compiler's output), where the corpus test runs it as it runs every program: with the warnings
    on by default, and quiet. A random program converts constants on purpose (an int16_t set from
    0xABCDL), which vrncc rightly warns about; such a program gets NAME.flags saying "-w", the
    one flag the corpus test takes. Before writing, the program is compiled and run once more the
    way the corpus test will, by the compiler under test, which must still print something else:
    a kept test that passes with the compiler it was found with would catch nothing."""
    name = program.stem
    image = work / "kept.vrn"
    st, _, err = run([tools.vrncc, str(program), "-o", str(image)], tools.compile_seconds)
    if st != 0:
        print(f"{name}: not kept: vrncc refuses the reduced program: {first_errors(err)}")
        return False
    flags = "-w\n" if err.strip() else ""
    st, out, _ = run([tools.corvane_run, "--stdout", "--exit-status", "--max-instructions",
                      str(tools.budget), str(image)], 600)
    if st is not None and out == expected:
        print(f"{name}: not kept: compiled as the corpus test does, it prints what it should")
        return False
    programs.mkdir(parents=True, exist_ok=True)
    if program.resolve() != (programs / f"{name}.c").resolve():
        shutil.copy(program, programs / f"{name}.c")
    (programs / f"{name}.expected").write_text(expected)
    if flags:
        (programs / f"{name}.flags").write_text(flags)
    else:
        (programs / f"{name}.flags").unlink(missing_ok=True)
    written = ", ".join(f"{name}{ext}" for ext in (".c", ".expected", ".flags")[:3 if flags else 2])
    print(f"{name}: kept in {programs}: {written}")
    return True


def main():
    ap = argparse.ArgumentParser(description=__doc__,
                                 formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--count", type=int, default=100)
    ap.add_argument("--jobs", type=int, default=os.cpu_count() or 1)
    ap.add_argument("--seed", type=int, default=None, help="first seed (default: from the clock)")
    ap.add_argument("--bin", default=str(ROOT / "build" / "default" / "bin"))
    ap.add_argument("--vrncc", default=None,
                    help="the compiler to test (default: vrncc in --bin, as corvane-run)")
    ap.add_argument("--out", default=str(ROOT / "build" / "csmith"))
    ap.add_argument("--budget", type=int, default=200_000_000,
                    help="instructions a program may run on the machine")
    ap.add_argument("--sim-seconds", type=int, default=30,
                    help="processor seconds a program may run in SDCC's simulator")
    ap.add_argument("--compile-seconds", type=int, default=60,
                    help="processor seconds a compiler may take over one program")
    ap.add_argument("--reduce", action="store_true", help="shrink each mismatch with cvise")
    ap.add_argument("--reduce-minutes", type=float, default=None,
                    help="stop each reduction after this long and keep what it reached")
    ap.add_argument("--keep", action="store_true",
                    help="write each reduced mismatch into the corpus (--programs)")
    ap.add_argument("--programs", default=str(ROOT / "tests" / "vrncc" / "programs"),
                    help="the corpus folder --keep writes into")
    ap.add_argument("--keep-program", metavar="PROGRAM.c",
                    help="run no Csmith: keep this program (a mismatch reduced by hand) with the "
                         "output in --expected, as --keep keeps a reduced one")
    ap.add_argument("--expected", metavar="FILE", help="with --keep-program: what it must print")
    args = ap.parse_args()
    if args.keep_program:
        if not args.expected:
            sys.exit("csmith: --keep-program needs --expected")
        with tempfile.TemporaryDirectory(prefix="csmith-keep-") as work:
            kept = keep(Path(args.keep_program), Path(args.expected).read_text(),
                        Path(args.programs), Tools(args), Path(work))
        return 0 if kept else 1
    for tool in ("csmith", "sdcc", "sz80", "avr-gcc", "simavr") + (("cvise",) if args.reduce else ()):
        if not shutil.which(tool):
            sys.exit(f"csmith: {tool} is missing: run scripts/csmith/setup.sh")
    out_dir = Path(args.out).resolve()
    out_dir.mkdir(parents=True, exist_ok=True)
    first = args.seed if args.seed is not None else int(time.time()) % 1_000_000_000
    tools = Tools(args)
    counts = collections.Counter()
    mismatches = []
    log = (out_dir / "results.tsv").open("a")
    with concurrent.futures.ThreadPoolExecutor(args.jobs) as pool:
        futures = [pool.submit(one_program, first + i, tools, out_dir) for i in range(args.count)]
        for f in concurrent.futures.as_completed(futures):
            seed, verdict, detail = f.result()
            counts[verdict] += 1
            log.write(f"{seed}\t{verdict}\t{detail}\n")
            log.flush()
            print(f"seed {seed}: {verdict} {detail}", flush=True)
            if verdict.startswith("mismatch"):
                mismatches.append(seed)
    print(f"\n{args.count} programs from seed {first}:")
    for verdict, n in counts.most_common():
        print(f"  {verdict:22} {n}")
    print(f"kept in {out_dir}/work: each program that is not a match or the second compiler's refusal")
    if args.reduce:
        for seed in sorted(mismatches):
            reduce(seed, out_dir, args)
    return 1 if mismatches else 0


if __name__ == "__main__":
    sys.exit(main())
