#!/usr/bin/env python3
"""A sample of planted faults: how many does the x64 test suite catch?

scripts/mutants.py CHECKOUT [COUNT] [SEED]

Clones CHECKOUT (its committed state: commit first) into a work folder ($MUTANTS_WORK, default
/tmp/kelvo-mutants), builds the x64 tree once, then for COUNT mutants chosen with SEED (one operator or
constant changed on one line of Source/ or HostApi/Source), rebuilds and runs the x64 CTest suite without
the soak runs. A mutant is killed when a test fails, survives when all pass, and is skipped when it does
not compile. Prints one line per mutant and a closing 'N killed, M survived' line: each survivor is a
fault no test catches, or a change that alters nothing (an equivalent mutant).
"""
import os, random, re, shutil, signal, subprocess, sys, time

src = os.path.abspath(sys.argv[1])
count = int(sys.argv[2]) if len(sys.argv) > 2 else 25
seed = int(sys.argv[3]) if len(sys.argv) > 3 else 1
work = os.environ.get("MUTANTS_WORK", "/tmp/kelvo-mutants")

RULES = [
    (r"==", "!="), (r"!=", "=="), (r"<=", "<"), (r">=", ">"), (r"(?<![<>=!-])<(?![<=])", "<="),
    (r"(?<![<>=-])>(?![>=])", ">="), (r"&&", "||"), (r"\|\|", "&&"), (r"\btrue\b", "false"),
    (r"\bfalse\b", "true"), (r"\+ 1\b", "+ 0"), (r"- 1\b", "- 0"), (r"\b0x([0-9A-Fa-f]+)\b", None),
]
SKIP = re.compile(r"^\s*(#|//|\*|/\*)|template\s*<|static_cast<|std::|#include|\blog\b")


def sites(root):
    out = []
    for d in ("Source", "HostApi/Source"):
        for dirpath, _, files in os.walk(os.path.join(root, d)):
            for f in sorted(files):
                if not f.endswith(".cpp"):
                    continue
                p = os.path.join(dirpath, f)
                for n, line in enumerate(open(p, encoding="utf-8", errors="replace").read().split("\n")):
                    if SKIP.search(line) or "<" in line and ">" in line and "::" in line:
                        continue
                    # Angle brackets of template arguments (Step<G>, dynamic_cast<T*>) are no comparisons.
                    spans = [t.span() for t in re.finditer(r"\w\s*<[\w:\s*&,]+>", line)]
                    for i, (pat, rep) in enumerate(RULES):
                        for m in re.finditer(pat, line):
                            if i in (4, 5) and any(a <= m.start() < b for a, b in spans):
                                continue
                            # An operator's own name (operator==) and an rvalue reference (T&& x)
                            # are no expressions: changed, they only fail to compile.
                            if re.search(r"\boperator\s*$", line[:m.start()]):
                                continue
                            if i in (6, 7) and re.search(r"[\w>]$", line[:m.start()]):
                                continue
                            out.append((os.path.relpath(p, root), n, i, m.start(), m.end()))
    return out


def run(cmd, cwd, timeout):
    # A session of its own, so that a hung suite is stopped with every Wine process it started.
    proc = subprocess.Popen(cmd, cwd=cwd, shell=True, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, start_new_session=True)
    try:
        return proc.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        os.killpg(proc.pid, signal.SIGKILL)
        proc.wait()
        return 124


def main():
    if os.path.isdir(work):
        shutil.rmtree(work)
    subprocess.run(["git", "clone", "-q", src, work], check=True)
    # An && turned into || beside another || is a fault worth planting; GCC's advice to add
    # parentheses, an error under the project's -Werror, would only make it fail to compile.
    configure = "cmake --preset mingw-x64 -DCMAKE_CXX_FLAGS=-Wno-error=parentheses"
    if run(f"set -e; {configure} && cmake --build --preset mingw-x64", work, 3000):
        print("base build failed"); return 2
    if run("ctest --preset mingw-x64 -LE soak -E 'Pool$' >/dev/null", work, 1200):
        print("base suite fails: nothing to measure"); return 2
    rnd = random.Random(seed)
    all_sites = sites(work)
    chosen = rnd.sample(all_sites, min(count, len(all_sites)))
    killed = survived = skipped = 0
    for rel, n, rule, a, b in chosen:
        path = os.path.join(work, rel)
        text = open(path, encoding="utf-8").read()
        lines = text.split("\n")
        line = lines[n]
        pat, rep = RULES[rule]
        old = line[a:b]
        new = rep if rep is not None else hex(int(old, 16) ^ 1)
        lines[n] = line[:a] + new + line[b:]
        open(path, "w", encoding="utf-8").write("\n".join(lines))
        t = time.time()
        if run("cmake --build --preset mingw-x64 >/dev/null 2>&1", work, 900):
            verdict = "skipped (does not compile)"; skipped += 1
        else:
            # The first failing test decides: a killed mutant needs no more of the suite.
            # The whole suite passes in about two minutes: a mutant still running after five has
            # made something hang, which a test run would report as a failure too.
            rc = run("ctest --preset mingw-x64 -LE soak -E 'Pool$' --stop-on-failure >/dev/null 2>&1", work, 300)
            if rc == 0:
                verdict = "SURVIVED"; survived += 1
            else:
                verdict = "killed (hangs)" if rc == 124 else "killed"; killed += 1
        open(path, "w", encoding="utf-8").write(text)
        print(f"{verdict:28s} {rel}:{n + 1}: {old!r} -> {new!r}   {line.strip()[:90]}  ({time.time() - t:.0f}s)", flush=True)
    run("cmake --build --preset mingw-x64 >/dev/null 2>&1", work, 900)
    print(f"mutants: {killed} killed, {survived} survived, {skipped} skipped")
    return 0


if __name__ == "__main__":
    sys.exit(main())
