#!/usr/bin/env python3
"""Copies a C++ header, writing each non-ASCII character of its string
literals as octal escapes of its code page 932 bytes.

Clang takes no execution character set but UTF-8, so a clang build compiles
this copy where GCC compiles the original with -fexec-charset=CP932. Octal
escapes, at most three digits each, cannot swallow the text that follows them.
Non-ASCII text outside string literals is only allowed in // comments.
"""
import sys


def escaped(line, where):
    out = []
    in_literal = False
    i = 0
    while i < len(line):
        c = line[i]
        if not in_literal and line.startswith("//", i):
            out.append(line[i:])
            break
        if c == '"':
            in_literal = not in_literal
        elif in_literal and c == "\\":
            out.append(line[i : i + 2])
            i += 2
            continue
        if ord(c) < 128:
            out.append(c)
        elif in_literal:
            out.append("".join("\\%03o" % b for b in c.encode("cp932")))
        else:
            sys.exit(f"{where}: non-ASCII text outside a string literal")
        i += 1
    return "".join(out)


def main():
    source, target = sys.argv[1], sys.argv[2]
    with open(source, encoding="utf-8") as f:
        lines = f.read().split("\n")
    text = "\n".join(escaped(line, f"{source}:{n + 1}") for n, line in enumerate(lines))
    with open(target, "w", encoding="utf-8") as f:
        f.write(text)


main()
