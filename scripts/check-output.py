#!/usr/bin/env python3
"""check-output.py EXPECTED OUTPUT: passes when OUTPUT has exactly as many lines as EXPECTED and
each line matches the regular expression on the same line of EXPECTED as a whole (line ends of
either kind are ignored). On a mismatch, says where and shows both."""
import re
import sys

expected_path, output_path = sys.argv[1], sys.argv[2]
with open(expected_path, encoding="utf-8") as f:
    patterns = f.read().splitlines()
with open(output_path, encoding="utf-8", errors="replace") as f:
    lines = [line.rstrip("\r") for line in f.read().splitlines()]

for number, (pattern, line) in enumerate(zip(patterns, lines), 1):
    if not re.fullmatch(pattern, line):
        print(f"{output_path}:{number}: {line!r}\n  does not match {expected_path}:{number}: {pattern!r}")
        sys.exit(1)
if len(patterns) != len(lines):
    print(f"{output_path}: {len(lines)} lines, {expected_path} expects {len(patterns)}")
    sys.exit(1)
