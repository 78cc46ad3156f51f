#!/usr/bin/env python3
"""Mutation run: small faults in the product's core sources, one at a time,
each built and put to the Linux suite; a table says which tests killed it.

Slow (a build and a suite run per mutant), so not part of CI. A private copy
of the tracked files under build/mutate/ is mutated; the checkout is never
touched. Mutants are picked with a fixed seed, or replayed from an earlier
table (--replay), so a run before and after a change of the tests compares
the same faults.

    scripts/mutate.sh [--count N] [--seed S] [--files REGEX] [--tests REGEX] [--replay TABLE]
                      [--lines FILE]
"""
import argparse
import os
import random
import re
import resource
import shutil
import signal
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
WORK = os.path.join(ROOT, "build", "mutate")
TREE = os.path.join(WORK, "tree")
BUILD = os.path.join(WORK, "build")

# The product's core: what the Linux suite is meant to hold to its behaviour.
# The front ends and the Win32 layer are judged by other runs (GUI, Wine).
EXCLUDE = re.compile(r"(^|/)(fake|win32|qt|frontend)/|WinMain|/main\.cpp$")

# (name, pattern, replacement): a pattern is tried at every place it matches.
OPERATORS = [
    ("==->!=", r"(?<=[\s(])==(?=[\s(])", "!="),
    ("!=->==", r"(?<=[\s(])!=(?=[\s(])", "=="),
    ("<-><=", r"(?<=\s)<(?=\s)", "<="),
    ("<=-><", r"(?<=\s)<=(?=\s)", "<"),
    (">->=", r"(?<=\s)>(?=\s)", ">="),
    (">=->", r"(?<=\s)>=(?=\s)", ">"),
    ("&&->||", r"&&", "||"),
    ("||->&&", r"\|\|", "&&"),
    ("true->false", r"\btrue\b", "false"),
    ("false->true", r"\bfalse\b", "true"),
    ("+1->-1", r"\+ 1\b", "- 1"),
    ("-1->+1", r"(?<=\w) - 1\b", " + 1"),
    ("const+1", r"(?<![\w.\[])([2-9]|[1-9]\d+)(?![\w.\]'\"])", None),
    ("0->1", r"(?<![\w.])0(?![\w.x])", "1"),
    ("!x->x", r"(?<![\w)!])!(?=[\w(])", ""),
    ("drop-call", r"^(\s+)([A-Za-z_][\w.:>-]*\([^;]*\);)\s*$", None),
    ("drop-assign", r"^(\s+)([\w.\[\]>-]+ (?:\+|\||-)?= [^;]*;)\s*$", None),
]

SKIP_LINE = re.compile(r"^\s*(#|//|\*|/\*|\{K::)|static_assert|\bcase\b|constexpr char|\"")


def sources(only=""):
    files = subprocess.run(["git", "ls-files", "src"], cwd=ROOT, capture_output=True,
                           text=True, check=True).stdout.split()
    return [f for f in files
            if f.endswith(".cpp") and not EXCLUDE.search(f) and re.search(only, f)]


def candidates(path):
    """Every mutant of one file: (path, line number, op, column, old line, new line)."""
    out = []
    with open(os.path.join(ROOT, path), encoding="utf-8", errors="surrogateescape") as f:
        lines = f.read().split("\n")
    for n, line in enumerate(lines, 1):
        code = line.split("//")[0]
        if SKIP_LINE.search(code) or not code.strip():
            continue
        for name, pattern, repl in OPERATORS:
            for m in re.finditer(pattern, code):
                if name == "const+1":
                    new = code[:m.start()] + str(int(m.group(0)) + 1) + code[m.end():]
                elif name.startswith("drop-"):
                    if re.match(r"\s*(return|if|for|while|else|case|break)\b", code):
                        continue
                    new = m.group(1) + "/* mutant */"
                else:
                    new = code[:m.start()] + repl + code[m.end():]
                out.append((path, n, name, m.start(), line, new))
    return out


def read_table(path):
    rows = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            if not line.startswith("| m"):
                continue
            cells = re.split(r"(?<!\\)\|", line.strip().strip("|"))
            rows.append([c.strip().replace("\\|", "|") for c in cells])
    return rows


def limit_memory():
    # A mutant can turn a loop endless and let it grow without bound.
    resource.setrlimit(resource.RLIMIT_AS, (4 << 30, 4 << 30))


def run(cmd, cwd, timeout=None, log=None):
    """The command's status; None when it ran out of time (it and its children are killed)."""
    with open(log or os.devnull, "w") as out:
        p = subprocess.Popen(cmd, cwd=cwd, stdout=out, stderr=subprocess.STDOUT,
                             start_new_session=True, preexec_fn=limit_memory)
        try:
            return p.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            os.killpg(p.pid, signal.SIGKILL)
            p.wait()
            # ctest gives every test a process group of its own, so the tests
            # and the emulators they started outlive the kill above.
            subprocess.run(["pkill", "-KILL", "-f", BUILD + "/"])
            return None


def failed_tests(log):
    names = []
    with open(log, encoding="utf-8", errors="replace") as f:
        seen = False
        for line in f:
            if "The following tests FAILED" in line:
                seen = True
            elif seen:
                m = re.match(r"\s*\d+ - (\S+)", line)
                if m:
                    names.append(m.group(1))
    return names


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--count", type=int, default=60, help="mutants to pick (default 60)")
    ap.add_argument("--seed", type=int, default=20261207)
    ap.add_argument("--files", default="", help="regex: mutate only the sources it matches")
    ap.add_argument("--tests", default="",
                    help="ctest -R regex, POSIX extended (no \\w; default: the whole suite)")
    ap.add_argument("--exclude-tests", default="^Xvfb|^Wine", help="ctest -E regex")
    ap.add_argument("--replay", help="a table of an earlier run: the same mutants again")
    ap.add_argument("--lines", help="a file of path:line, one a line: pick mutants only there "
                    "(for example the lines a test reaches, from a coverage build)")
    ap.add_argument("--out", default=os.path.join(WORK, "mutants.md"))
    ap.add_argument("--timeout", type=int, default=180, help="seconds per suite run")
    args = ap.parse_args()

    everything = [c for f in sources(args.files) for c in candidates(f)]
    if args.lines:
        with open(args.lines, encoding="utf-8") as f:
            only = {line.strip() for line in f}
        everything = [c for c in everything if f"{c[0]}:{c[1]}" in only]
    if args.replay:
        # A mutant is found again by its file's name, operator, column and
        # exact line, so moved files and shifted lines do not lose it.
        wanted = {(os.path.basename(r[1].rsplit(":", 1)[0]), r[2], r[3])
                  for r in read_table(args.replay)}
        picked = [c for c in everything
                  if (os.path.basename(c[0]), f"{c[2]}@{c[3]}", "`" + c[4].strip() + "`")
                  in wanted]
    else:
        picked = random.Random(args.seed).sample(everything, min(args.count, len(everything)))
    picked.sort()
    print(f"{len(everything)} possible mutants in {len(sources(args.files))} files; running {len(picked)}",
          flush=True)

    # A private copy of the tracked files, built once in full.
    if os.path.isdir(TREE):
        shutil.rmtree(TREE)
    files = subprocess.run(["git", "ls-files"], cwd=ROOT, capture_output=True, text=True,
                           check=True).stdout.split("\n")
    for f in filter(None, files):
        dst = os.path.join(TREE, f)
        os.makedirs(os.path.dirname(dst), exist_ok=True)
        # Fresh times: an object built from a mutant in an earlier run must
        # look older than its source, or the build keeps the mutant.
        shutil.copy(os.path.join(ROOT, f), dst)
    os.makedirs(BUILD, exist_ok=True)
    jobs = str(os.cpu_count() or 2)
    if run(["cmake", "-S", TREE, "-B", BUILD, "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
            "-DNUBOTEST_TESTS=ON"], ROOT, log=os.path.join(WORK, "configure.log")) != 0:
        sys.exit("configure failed: " + os.path.join(WORK, "configure.log"))
    if run(["cmake", "--build", BUILD, "-j", jobs], ROOT,
           log=os.path.join(WORK, "build.log")) != 0:
        sys.exit("the unmutated tree does not build: " + os.path.join(WORK, "build.log"))
    # Tests that set their own time-out keep it, so a mutant that hangs one is
    # ended by --timeout on the whole run (the suite takes under a minute).
    ctest = ["ctest", "--test-dir", BUILD, "-j", jobs, "--timeout", "60"]
    if args.tests:
        ctest += ["-R", args.tests]
    if args.exclude_tests:
        ctest += ["-E", args.exclude_tests]
    base_log = os.path.join(WORK, "baseline.log")
    run(ctest, ROOT, args.timeout, base_log)
    flaky = set(failed_tests(base_log))
    if flaky:
        print("failing without a mutant (left out of the verdicts):", " ".join(sorted(flaky)))

    rows = []
    started = time.time()
    for i, (path, n, op, col, old, new) in enumerate(picked, 1):
        target = os.path.join(TREE, path)
        with open(target, encoding="utf-8", errors="surrogateescape") as f:
            text = f.read().split("\n")
        text[n - 1] = new
        with open(target, "w", encoding="utf-8", errors="surrogateescape") as f:
            f.write("\n".join(text))
        log = os.path.join(WORK, f"m{i}.log")
        if run(["cmake", "--build", BUILD, "-j", jobs], ROOT, log=log) != 0:
            verdict = "does not compile"
        else:
            rc = run(ctest, ROOT, args.timeout, log)
            killers = sorted(set(failed_tests(log)) - flaky)
            if rc is None:
                verdict = "killed (suite time-out)"
            elif killers:
                verdict = "killed by " + ", ".join(killers)
            else:
                verdict = "SURVIVED"
        text[n - 1] = old
        with open(target, "w", encoding="utf-8", errors="surrogateescape") as f:
            f.write("\n".join(text))
        rows.append((f"m{i}", f"{path}:{n}", f"{op}@{col}", "`" + old.strip() + "`", verdict))
        print(f"[{i}/{len(picked)} {time.time() - started:.0f}s] {path}:{n} {op}: {verdict}",
              flush=True)

    run(["cmake", "--build", BUILD, "-j", jobs], ROOT)  # leave the copy built unmutated
    with open(args.out, "w", encoding="utf-8") as f:
        f.write("| id | where | mutation | line | verdict |\n|---|---|---|---|---|\n")
        for r in rows:
            f.write("| " + " | ".join(c.replace("|", "\\|") for c in r) + " |\n")
        counts = {k: sum(1 for r in rows if r[4].startswith(k))
                  for k in ("killed", "SURVIVED", "does not compile")}
        f.write(f"\n{counts['killed']} killed, {counts['SURVIVED']} survived, "
                f"{counts['does not compile']} did not compile, of {len(rows)}.\n")
    print("table:", args.out)


if __name__ == "__main__":
    main()
