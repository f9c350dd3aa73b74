#!/usr/bin/env python3
"""One-constant mutation sweep over the sound code.

Changes one numeric constant at a time in the sources of osc/, dsp/ and fx/
(a coefficient, a gain, a key range, a multiple), rebuilds the test
executables of that folder, runs them, and reports which changes no test
noticed. A change is "caught" when a test fails, crashes or times out.

The sweep works on its own copy of the tree (git archive of HEAD, or of
--rev) in --work, so the checkout is never touched. A run of a few hundred
changes takes hours: it is a tool run by hand, not part of CI.

  tools/mutation-sweep.py [--count N] [--seed S] [--folders osc dsp fx]
                          [--files osc/Fatty.cpp ...] [--list]
                          [--work DIR] [--jobs J] [--timeout SECONDS]
                          [--report FILE] [--rerun REPORT]

--list prints the candidate changes and exits. --report writes one line per
change (caught or MISSED, file:line:column, old -> new, the source line).
--rerun REPORT tries again only the changes that REPORT marks MISSED (after
new tests are committed: the copy is taken from --rev).

Each change builds and runs the test executable of its own folder first
(osc -> test_osc, dsp -> test_dsp, fx -> test_fx) and the others only while
no test has failed, so a caught change costs one build and one run.
"""

import argparse
import os
import random
import re
import shutil
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# Numeric literals: floats (1.5, .5, 2e-3, 0.25f) and integers of two or
# more (0 and 1 are mostly indices, counts and booleans; changing them
# mostly tests the compiler).
NUMBER = re.compile(r"(?<![\w.])((?:\d+\.\d*|\.\d+|\d+)(?:[eE][-+]?\d+)?)([fF]?)(?![\w.])")

SKIP_LINE = re.compile(r"^\s*(#|static_assert|//|\*|/\*)|\[\s*\d+\s*\]\s*[;=]")


def strip_comment(line):
    """The code part of a line: before // and outside string literals."""
    out, in_string = [], False
    i = 0
    while i < len(line):
        c = line[i]
        if c == '"' and (i == 0 or line[i - 1] != "\\"):
            in_string = not in_string
        if not in_string and line.startswith("//", i):
            break
        out.append(" " if in_string and c != '"' else c)
        i += 1
    return "".join(out)


def mutate_value(text, suffix):
    """The changed literal for a literal's text, or None to skip it."""
    is_float = "." in text or "e" in text.lower() or suffix
    if is_float:
        v = float(text)
        if v == 0.0:
            return None
        new = v * 1.1 if abs(v) < 1e30 else None
        if new is None:
            return None
        s = repr(new)
        if "e" not in s and "." not in s:
            s += ".0"
        return s + suffix
    v = int(text, 10)
    if v < 2:
        return None
    return str(v + 1)


def candidates(files):
    found = []
    for path in files:
        with open(os.path.join(ROOT, path), encoding="utf-8", errors="replace") as f:
            lines = f.readlines()
        in_block_comment = False
        for n, line in enumerate(lines, 1):
            if in_block_comment:
                if "*/" in line:
                    in_block_comment = False
                continue
            if "/*" in line and "*/" not in line:
                in_block_comment = True
                continue
            if SKIP_LINE.search(line):
                continue
            code = strip_comment(line)
            for m in NUMBER.finditer(code):
                new = mutate_value(m.group(1), m.group(2))
                if new is None:
                    continue
                found.append((path, n, m.start(), m.group(0), new, line.rstrip("\n")))
    return found


def run(cmd, cwd, timeout=None, log=None):
    try:
        p = subprocess.run(cmd, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=timeout)
        if log is not None:
            log.append(p.stdout.decode(errors="replace"))
        return p.returncode
    except subprocess.TimeoutExpired:
        return "timeout"


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--folders", nargs="*", default=["osc", "dsp", "fx"])
    ap.add_argument("--files", nargs="*", help="sources to mutate (default: every .cpp and .h of the folders)")
    ap.add_argument("--count", type=int, default=0, help="changes to try, drawn at random (0: all)")
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--rev", default="HEAD")
    ap.add_argument("--work", default=os.path.join(ROOT, "build-mutation"))
    ap.add_argument("--jobs", type=int, default=os.cpu_count() or 2)
    ap.add_argument("--timeout", type=int, default=180, help="seconds per test executable")
    ap.add_argument("--list", action="store_true")
    ap.add_argument("--report")
    ap.add_argument("--rerun", help="report of an earlier sweep: try only its MISSED changes")
    args = ap.parse_args()

    files = args.files or sorted(
        os.path.join(d, f) for d in args.folders for f in os.listdir(os.path.join(ROOT, d)) if f.endswith((".cpp", ".h")))
    found = candidates(files)
    if args.rerun:
        wanted = set()
        with open(args.rerun, encoding="utf-8") as f:
            for entry in f:
                m = re.match(r"MISSED\s+(\S+?):(\d+):(\d+):\s+(\S+) ->", entry)
                if m:
                    wanted.add((m.group(1), int(m.group(2)), int(m.group(3)) - 1, m.group(4)))
        found = [c for c in found if (c[0], c[1], c[2], c[3]) in wanted]
        if len(found) != len(wanted):
            print(f"{len(wanted) - len(found)} changes of {args.rerun} no longer match the sources", file=sys.stderr)
    elif args.count and args.count < len(found):
        random.Random(args.seed).shuffle(found)
        found = sorted(found[: args.count])
    if args.list:
        for path, n, col, old, new, line in found:
            print(f"{path}:{n}:{col + 1}: {old} -> {new}")
        print(f"{len(found)} changes", file=sys.stderr)
        return 0

    src = os.path.join(args.work, "src")
    build = os.path.join(args.work, "build")
    if os.path.isdir(src):
        shutil.rmtree(src)
    os.makedirs(src)
    archive = subprocess.run(["git", "archive", args.rev], cwd=ROOT, stdout=subprocess.PIPE, check=True).stdout
    subprocess.run(["tar", "-x"], cwd=src, input=archive, check=True)
    launcher = ["-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"] if shutil.which("ccache") else []
    if run(["cmake", "-S", src, "-B", build, "-DCMAKE_BUILD_TYPE=Release", "-DMORLAVINE_BENCH=OFF"] + launcher,
           src) != 0:
        print("configure failed", file=sys.stderr)
        return 2

    # Each folder's changes are judged by the test executables of the sound
    # code; the conformance suite renders everything through the host.
    targets = ["test_osc", "test_dsp", "test_fx", "test_engine"]
    log = []
    if run(["cmake", "--build", build, "-j", str(args.jobs), "--target"] + targets, src, log=log) != 0:
        print("the unchanged tree does not build:\n" + log[-1][-3000:], file=sys.stderr)
        return 2
    for t in targets:
        if run([os.path.join(build, "tests", t)], build, timeout=args.timeout) != 0:
            print(f"{t} fails on the unchanged tree", file=sys.stderr)
            return 2

    report = open(args.report, "w") if args.report else None
    caught = missed = skipped = 0
    start = time.time()
    for i, (path, n, col, old, new, line) in enumerate(found, 1):
        target = os.path.join(src, path)
        with open(target, encoding="utf-8", errors="replace") as f:
            text = f.readlines()
        original = text[n - 1]
        code = strip_comment(original)
        if code[col: col + len(old)] != old:
            skipped += 1
            continue
        text[n - 1] = original[:col] + new + original[col + len(old):]
        with open(target, "w", encoding="utf-8") as f:
            f.writelines(text)
        own = {"osc": "test_osc", "dsp": "test_dsp", "fx": "test_fx"}.get(path.split("/")[0])
        order = ([own] if own in targets else []) + [t for t in targets if t != own]
        try:
            verdict = "MISSED"
            for t in order:
                if run(["cmake", "--build", build, "-j", str(args.jobs), "--target", t], src) != 0:
                    verdict = "nobuild"
                    break
                if run([os.path.join(build, "tests", t)], build, timeout=args.timeout) != 0:
                    verdict = "caught"
                    break
            if verdict == "caught":
                caught += 1
            elif verdict == "MISSED":
                missed += 1
            else:
                skipped += 1
        finally:
            text[n - 1] = original
            with open(target, "w", encoding="utf-8") as f:
                f.writelines(text)
        entry = f"{verdict:8s} {path}:{n}:{col + 1}: {old} -> {new}   | {line.strip()}"
        print(f"[{i}/{len(found)} {time.time() - start:6.0f}s] {entry}", flush=True)
        if report:
            report.write(entry + "\n")
            report.flush()
    # Leave the copy built as the tree is.
    run(["cmake", "--build", build, "-j", str(args.jobs), "--target"] + targets, src)
    summary = f"{caught + missed} changes tried: {caught} caught, {missed} missed ({skipped} skipped)"
    print(summary)
    if report:
        report.write(summary + "\n")
        report.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
