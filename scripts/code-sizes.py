#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Sizes of the C++ files and functions below a folder, at a git revision or in the work tree.

    scripts/code-sizes.py [--rev REV] [--folder src/ui] [--files N] [--functions N]

Prints the files of more than --files lines (default 500), the functions of more than
--functions lines (default 60), and the totals. A function is a definition that starts at the
first column and ends at the next closing brace in the first column (the layout clang-format
gives this code)."""
import argparse
import re
import subprocess
import sys

DEFINITION = re.compile(r"^[A-Za-z_][\w:<>,*&~ ]*\b([\w:~]+)\(")


def files_at(rev, folder):
    if rev is None:
        out = subprocess.run(["git", "ls-files", folder], capture_output=True, text=True, check=True)
    else:
        out = subprocess.run(["git", "ls-tree", "-r", "--name-only", rev, folder],
                             capture_output=True, text=True, check=True)
    return [p for p in out.stdout.split() if p.endswith((".cpp", ".h"))]


def text_of(rev, path):
    if rev is None:
        with open(path, encoding="utf-8") as f:
            return f.read()
    return subprocess.run(["git", "show", f"{rev}:{path}"], capture_output=True, text=True,
                          check=True).stdout


def functions(lines):
    start = None
    name = None
    for number, line in enumerate(lines, 1):
        if start is None:
            match = DEFINITION.match(line)
            if match and not line.rstrip().endswith(";") and not line.startswith(
                    ("namespace", "class", "struct", "enum", "using", "template", "#")):
                start, name = number, match.group(1)
        elif line.startswith("}"):
            yield name, number - start + 1
            start = None
        elif DEFINITION.match(line) and line.rstrip().endswith(";"):
            start = None  # a declaration that ran over lines


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--rev")
    parser.add_argument("--folder", default="src/ui")
    parser.add_argument("--files", type=int, default=500)
    parser.add_argument("--functions", type=int, default=60)
    args = parser.parse_args()
    total_lines = 0
    long_files = []
    long_functions = []
    for path in files_at(args.rev, args.folder):
        lines = text_of(args.rev, path).splitlines()
        total_lines += len(lines)
        if len(lines) > args.files:
            long_files.append((len(lines), path))
        if path.endswith(".cpp"):
            for name, size in functions(lines):
                if size > args.functions:
                    long_functions.append((size, f"{path}: {name}"))
    print(f"{args.folder} at {args.rev or 'the work tree'}: {total_lines} lines")
    print(f"files above {args.files} lines: {len(long_files)}")
    for size, path in sorted(long_files, reverse=True):
        print(f"  {size:5d}  {path}")
    print(f"functions above {args.functions} lines: {len(long_functions)}")
    for size, where in sorted(long_functions, reverse=True):
        print(f"  {size:5d}  {where}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
