#!/usr/bin/env python3
"""Lists the longest functions and lambdas of the sources, as clang sees them.

usage: scripts/function-lengths.py [--build DIR] [--over N] [PATH ...]
PATH: folders or .cpp files (default: src tools). Needs clang-query and a build folder with
compile_commands.json. A line per function: its length in lines, where it starts, its name.
"""

import argparse
import json
import os
import re
import subprocess
import sys

RANGE = re.compile(r"^(FunctionDecl|CXXMethodDecl|CXXConstructorDecl|CXXDestructorDecl|LambdaExpr) 0x[0-9a-f]+ .*?"
                   r"<([^:>]+):(\d+):\d+, (?:line:(\d+):\d+|col:\d+)>(.*)$")


def sources(root, paths, commands):
    known = {os.path.realpath(c["file"]) for c in commands}
    wanted = []
    for path in paths:
        full = os.path.realpath(os.path.join(root, path))
        for f in sorted(known):
            if f == full or f.startswith(full + os.sep):
                wanted.append(f)
    return wanted


def lengths(build, files):
    out = subprocess.run(
        ["clang-query", "-p", build, *files, "-c", "set output dump",
         "-c", "match functionDecl(isDefinition(), isExpansionInMainFile(), unless(isImplicit()))",
         "-c", "match lambdaExpr(isExpansionInMainFile())"],
        capture_output=True, text=True).stdout
    seen = {}
    for line in out.splitlines():
        m = RANGE.match(line)
        if not m:
            continue
        kind, path, first, last, rest = m.groups()
        first = int(first)
        last = int(last) if last else first
        if kind == "LambdaExpr":
            name = "(lambda)"
        else:
            names = re.findall(r" (~?[A-Za-z_][A-Za-z_0-9]*|operator\(\)) '", rest)
            name = names[-1] if names else "?"
            if name == "operator()":
                continue  # a lambda's body: listed as the lambda
        seen[(path, first, name)] = last - first + 1
    return seen


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default="build")
    parser.add_argument("--over", type=int, default=0, help="only functions longer than this")
    parser.add_argument("paths", nargs="*", default=["src", "tools"])
    args = parser.parse_args()
    root = os.path.dirname(os.path.dirname(os.path.realpath(__file__)))
    build = os.path.join(root, args.build) if not os.path.isabs(args.build) else args.build
    with open(os.path.join(build, "compile_commands.json")) as f:
        commands = json.load(f)
    files = sources(root, args.paths, commands)
    if not files:
        sys.exit("no sources found in compile_commands.json under " + " ".join(args.paths))
    found = {}
    for i in range(0, len(files), 8):
        found.update(lengths(build, files[i:i + 8]))
    rows = sorted(((n, os.path.relpath(p, root), line, name) for (p, line, name), n in found.items()),
                  key=lambda r: (-r[0], r[1], r[2]))
    for n, path, line, name in rows:
        if n > args.over:
            print(f"{n:5d} {path}:{line} {name}")


if __name__ == "__main__":
    main()
