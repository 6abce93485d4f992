#!/usr/bin/env python3
"""Mutation trial: does the test suite notice small faults placed in the source?

Copies the working tree into a scratch folder, builds it once and checks that its suite passes,
then applies each mutation of a list in turn: one source edit, an incremental build, the suite
under a time limit, and the edit undone. A mutation the suite fails on is killed; one it passes
survived, and the behaviour it breaks is untested. The working tree itself is never touched.

List file: blocks separated by blank lines, '#' lines are comments.

    @ vm/ops_control.h  ENTER wraps the ring at 255
    < m.mem[kOperandRing + uint8_t(m.osp + i)]
    > m.mem[kOperandRing + (m.osp + i) % 255]

'@' names the file (relative to the tree) and, after it, a short description; '<' lines are the
original text and '>' lines its replacement (several lines of each join with newlines). The
original must occur exactly once in the file, so a list that no longer matches the code says so
instead of quietly testing nothing.

This is a developer tool, not part of the test suite.
"""

from __future__ import annotations

import argparse
import os
import shutil
import subprocess
import sys
import time
from dataclasses import dataclass
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent


@dataclass
class Mutation:
    file: str
    description: str
    original: str
    replacement: str
    line: int  # line of the '@' in the list, for messages


def parse_list(path: Path) -> list[Mutation]:
    mutations: list[Mutation] = []
    current: dict | None = None

    def finish() -> None:
        nonlocal current
        if current is None:
            return
        if not current["orig"]:
            sys.exit(f"{path}:{current['line']}: mutation without '<' lines")
        mutations.append(
            Mutation(
                current["file"],
                current["desc"],
                "\n".join(current["orig"]),
                "\n".join(current["repl"]),
                current["line"],
            )
        )
        current = None

    for number, raw in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        text = raw.rstrip("\n")
        tag, rest = text[:1], text[2:]
        if tag in "<>" and text:
            # A bare '<' or '>' is an empty line of text: '>' alone deletes the original.
            if current is None:
                sys.exit(f"{path}:{number}: '{tag}' before any '@'")
            current["orig" if tag == "<" else "repl"].append(rest)
            continue
        if not text.strip():
            finish()
            continue
        if text.lstrip().startswith("#"):
            continue
        if tag == "@":
            finish()
            parts = rest.strip().split(None, 1)
            if not parts:
                sys.exit(f"{path}:{number}: '@' needs a file name")
            current = {
                "file": parts[0],
                "desc": parts[1].strip() if len(parts) > 1 else "",
                "orig": [],
                "repl": [],
                "line": number,
            }
        else:
            sys.exit(f"{path}:{number}: expected '@', '<' or '>' (or a blank line): {text}")
    finish()
    return mutations


def tracked_files(tree: Path) -> list[str]:
    """Files of the working tree as git sees them, uncommitted edits and new files included."""
    out = subprocess.run(
        ["git", "ls-files", "-z", "--cached", "--others", "--exclude-standard"],
        cwd=tree,
        check=True,
        capture_output=True,
    ).stdout
    return [f for f in out.decode().split("\0") if f and (tree / f).is_file()]


def sync_scratch(tree: Path, src: Path) -> None:
    """Makes `src` hold exactly the tree's files, rewriting only those that differ, so the
    scratch build stays incremental from one trial to the next."""
    wanted = set(tracked_files(tree))
    src.mkdir(parents=True, exist_ok=True)
    for rel in wanted:
        a, b = tree / rel, src / rel
        data = a.read_bytes()
        if b.is_file() and b.read_bytes() == data:
            continue
        b.parent.mkdir(parents=True, exist_ok=True)
        b.write_bytes(data)
        shutil.copymode(a, b)
    for path in sorted(src.rglob("*"), reverse=True):
        rel = path.relative_to(src).as_posix()
        if rel == "build" or rel.startswith("build/"):
            continue
        if path.is_file() and rel not in wanted:
            path.unlink()
        elif path.is_dir() and not any(path.iterdir()):
            path.rmdir()


def run(cmd: list[str], cwd: Path, log: Path, timeout: float | None) -> tuple[str, float]:
    """Runs `cmd` with its output appended to `log`; 'ok', 'failed' or 'timeout'."""
    start = time.monotonic()
    with log.open("ab") as out:
        out.write(("\n$ " + " ".join(cmd) + "\n").encode())
        out.flush()
        proc = subprocess.Popen(
            cmd, cwd=cwd, stdout=out, stderr=subprocess.STDOUT, start_new_session=True
        )
        try:
            code = proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            # The whole process group: ctest's children (test programs, Xvfb) go with it.
            os.killpg(proc.pid, 9)
            proc.wait()
            return "timeout", time.monotonic() - start
    return ("ok" if code == 0 else "failed"), time.monotonic() - start


def failed_tests(log_dir: Path) -> list[str]:
    failed = log_dir / "Testing" / "Temporary" / "LastTestsFailed.log"
    if not failed.is_file():
        return []
    return [line.split(":", 1)[-1] for line in failed.read_text().splitlines() if line]


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("list", type=Path, help="mutation list file")
    parser.add_argument(
        "--scratch", type=Path, default=ROOT / "build" / "mutate", help="scratch folder (kept)"
    )
    parser.add_argument("--jobs", "-j", type=int, default=2)
    parser.add_argument(
        "--timeout", type=float, default=600, help="seconds the suite may take per mutation"
    )
    parser.add_argument(
        "--test-timeout", type=float, default=120, help="seconds a single test may take"
    )
    parser.add_argument(
        "--exclude",
        default="^Desktop",
        help="ctest -E regex of tests to leave out (default: the display-bound desktop tests)",
    )
    parser.add_argument("--tests", default="", help="ctest -R regex: run only these tests")
    parser.add_argument("--only", default="", help="comma-separated mutation numbers to try")
    args = parser.parse_args()

    mutations = parse_list(args.list)
    if args.only:
        keep = {int(n) for n in args.only.split(",")}
        chosen = [(i, m) for i, m in enumerate(mutations, 1) if i in keep]
    else:
        chosen = list(enumerate(mutations, 1))
    if not chosen:
        sys.exit("no mutations to try")

    src = args.scratch.resolve() / "src"
    # Laid out like the tree's own build folder, so ccache finds the same relative paths.
    build = src / "build" / "default"
    log = args.scratch.resolve() / "mutate.log"
    print(f"scratch copy: {src}\nlog: {log}", flush=True)
    sync_scratch(ROOT, src)
    log.write_text("")

    # Every mutation must apply before any time goes into building.
    for number, m in chosen:
        target = src / m.file
        if not target.is_file():
            sys.exit(f"{args.list}:{m.line}: no such file: {m.file}")
        found = target.read_text(encoding="utf-8").count(m.original)
        if found != 1:
            sys.exit(
                f"{args.list}:{m.line}: the original text occurs {found} times in {m.file}"
                " (it must occur once)"
            )

    env_launcher = [
        "-DCMAKE_CXX_COMPILER_LAUNCHER=ccache",
        "-DCMAKE_C_COMPILER_LAUNCHER=ccache",
    ]
    if not (build / "CMakeCache.txt").is_file():
        status, _ = run(
            ["cmake", "--preset", "default", *env_launcher],
            src, log, None,
        )
        if status != "ok":
            sys.exit(f"configuring the scratch copy failed; see {log}")

    build_cmd = ["cmake", "--build", str(build), "-j", str(args.jobs)]
    test_cmd = ["ctest", "--test-dir", str(build), "-j", str(args.jobs),
                "--timeout", str(int(args.test_timeout)), "--stop-on-failure"]
    if args.exclude:
        test_cmd += ["-E", args.exclude]
    if args.tests:
        test_cmd += ["-R", args.tests]

    print("baseline: building and running the unchanged suite...", flush=True)
    if run(build_cmd, src, log, None)[0] != "ok":
        sys.exit(f"the unchanged scratch copy does not build; see {log}")
    status, seconds = run(test_cmd, src, log, args.timeout)
    if status != "ok":
        sys.exit(f"the unchanged suite does not pass ({status}); see {log}")
    print(f"baseline passes in {seconds:.0f} s", flush=True)

    killed = survived = stillborn = 0
    survivors: list[str] = []
    for number, m in chosen:
        target = src / m.file
        original = target.read_text(encoding="utf-8")
        label = f"[{number:2}] {m.file}: {m.description or m.original.strip()[:60]}"
        try:
            target.write_text(original.replace(m.original, m.replacement, 1), encoding="utf-8")
            if run(build_cmd, src, log, None)[0] != "ok":
                stillborn += 1
                print(f"{label}\n     does not build (not counted)", flush=True)
                continue
            status, seconds = run(test_cmd, src, log, args.timeout)
        finally:
            target.write_text(original, encoding="utf-8")
        if status == "ok":
            survived += 1
            survivors.append(label)
            print(f"{label}\n     SURVIVED ({seconds:.0f} s)", flush=True)
        else:
            killed += 1
            why = "time limit" if status == "timeout" else ", ".join(failed_tests(build)[:3])
            print(f"{label}\n     killed ({seconds:.0f} s): {why}", flush=True)

    counted = killed + survived
    rate = 100.0 * killed / counted if counted else 0.0
    print(f"\n{killed} killed, {survived} survived, {stillborn} did not build;"
          f" kill rate {killed}/{counted} = {rate:.0f}%")
    for label in survivors:
        print(f"  survived: {label}")
    # Leave the scratch build matching the tree, ready for the next trial.
    run(build_cmd, src, log, None)
    return 0 if survived == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
