#!/usr/bin/env python3
"""Writes the header of named string ids from the string tables, and checks the tables.

  string_ids.py EN_TABLE FR_TABLE OUTPUT_HEADER

Each English line is `{id, "text"},  // kName`: the name is the id's constant in the code.
The build fails (status 1, one message per problem) when the English and French tables do not
hold the same set of ids, when an id appears twice, or when an English line has no name or a
name is used twice. The header is rewritten only when its content changes.
"""
import re
import sys

ENTRY = re.compile(r'^\{(\d+),')
NAME = re.compile(r'//\s*(k[A-Z][A-Za-z0-9]*)\s*$')


def read_table(path, names_wanted):
    entries, problems = {}, []
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            m = ENTRY.match(line)
            if not m:
                continue
            ident = int(m.group(1))
            if ident in entries:
                problems.append(f"{path}:{number}: id {ident} appears twice")
            name = None
            if names_wanted:
                n = NAME.search(line)
                if not n:
                    problems.append(f"{path}:{number}: id {ident} has no name (end the line with // kName)")
                else:
                    name = n.group(1)
            entries[ident] = name
    return entries, problems


def main(argv):
    if len(argv) != 4:
        print(__doc__, file=sys.stderr)
        return 2
    english, problems = read_table(argv[1], True)
    french, french_problems = read_table(argv[2], False)
    problems += french_problems
    for ident in sorted(set(english) - set(french)):
        problems.append(f"{argv[2]}: id {ident} is in the English table only")
    for ident in sorted(set(french) - set(english)):
        problems.append(f"{argv[1]}: id {ident} is in the French table only")
    seen = {}
    for ident, name in sorted(english.items()):
        if name in seen:
            problems.append(f"{argv[1]}: {name} names both {seen[name]} and {ident}")
        elif name:
            seen[name] = ident
    if problems:
        for problem in problems:
            print(problem, file=sys.stderr)
        return 1

    lines = ["#pragma once",
             "// Generated from resources/strings/en.inc by cmake/string_ids.py: do not edit.",
             "// The id of every text of the string tables, by the name its English line gives it.",
             ""]
    lines += [f"constexpr int {name} = {ident};" for ident, name in sorted(english.items())]
    text = "\n".join(lines) + "\n"
    try:
        with open(argv[3], encoding="utf-8") as f:
            if f.read() == text:
                return 0
    except OSError:
        pass
    with open(argv[3], "w", encoding="utf-8") as f:
        f.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
