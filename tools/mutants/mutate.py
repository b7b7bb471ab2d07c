#!/usr/bin/env python3
"""Reads the fault table and puts one fault into a copy of the tree.

    mutate.py TABLE ROOT          checks every fault against ROOT, prints their names
    mutate.py TABLE ROOT NAME     puts the fault NAME into ROOT, prints the file it changed
"""
import sys


def unescape(text):
    out, i = [], 0
    while i < len(text):
        if text[i] == "\\" and i + 1 < len(text):
            out.append({"n": "\n", "t": "\t", "\\": "\\"}.get(text[i + 1], "\\" + text[i + 1]))
            i += 2
        else:
            out.append(text[i])
            i += 1
    return "".join(out)


def read_table(path):
    faults = []
    with open(path, encoding="utf-8") as table:
        for number, line in enumerate(table, 1):
            line = line.rstrip("\n")
            if not line.strip() or line.startswith("#"):
                continue
            fields = line.split("\t")
            if len(fields) != 4:
                sys.exit(f"{path}:{number}: wants name, file, text and replacement")
            name, file, text, replacement = fields
            faults.append((name, file, unescape(text), unescape(replacement)))
    names = [fault[0] for fault in faults]
    if len(set(names)) != len(names):
        sys.exit(f"{path}: a name is used twice")
    return faults


def occurrences(root, file, text):
    try:
        with open(f"{root}/{file}", encoding="utf-8") as source:
            return source.read().count(text)
    except OSError:
        return 0


def main():
    table, root = sys.argv[1], sys.argv[2]
    faults = read_table(table)
    if len(sys.argv) == 3:
        stale = [f"{name}: found {n} times in {file}" for name, file, text, _ in faults
                 if (n := occurrences(root, file, text)) != 1]
        if stale:
            sys.exit("Faults that no longer apply exactly once:\n  " + "\n  ".join(stale))
        print("\n".join(name for name, *_ in faults))
        return
    wanted = [fault for fault in faults if fault[0] == sys.argv[3]]
    if not wanted:
        sys.exit(f"no fault named {sys.argv[3]}")
    _, file, text, replacement = wanted[0]
    path = f"{root}/{file}"
    with open(path, encoding="utf-8") as source:
        code = source.read()
    if code.count(text) != 1:
        sys.exit(f"{sys.argv[3]} does not apply exactly once to {file}")
    with open(path, "w", encoding="utf-8") as source:
        source.write(code.replace(text, replacement))
    print(file)


main()
