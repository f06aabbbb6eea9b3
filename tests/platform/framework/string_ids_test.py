#!/usr/bin/env python3
"""The string-id generator names every id of the tables and refuses tables that disagree."""
import os
import subprocess
import sys
import tempfile

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "cmake", "string_ids.py")


def run(english, french):
    with tempfile.TemporaryDirectory() as folder:
        paths = [os.path.join(folder, name) for name in ("en.inc", "fr.inc", "StringIds.h")]
        for path, text in zip(paths, (english, french)):
            with open(path, "w", encoding="utf-8") as f:
                f.write(text)
        done = subprocess.run([sys.executable, SCRIPT, *paths], capture_output=True, text=True)
        header = open(paths[2], encoding="utf-8").read() if os.path.exists(paths[2]) else None
        return done.returncode, done.stderr, header


def check(condition, what):
    if not condition:
        print("FAILED: " + what, file=sys.stderr)
        sys.exit(1)


EN = '// table\n{10, "Open"},  // kOpenTitle\n{20, "A \\"quoted\\" text // not a name"},  // kQuoted\n'
FR = '// table\n{10, "Ouvrir"},\n{20, "Un texte"},\n'

status, errors, header = run(EN, FR)
check(status == 0, "matching tables are accepted: " + errors)
check("constexpr int kOpenTitle = 10;" in header and "constexpr int kQuoted = 20;" in header, "each id named")

status, errors, header = run(EN, FR.replace('{20, "Un texte"},\n', ""))
check(status == 1 and "id 20 is in the English table only" in errors and header is None, "an id missing in French fails")

status, errors, _ = run(EN, FR + '{30, "De trop"},\n')
check(status == 1 and "id 30 is in the French table only" in errors, "an id missing in English fails")

status, errors, _ = run(EN.replace("  // kQuoted", ""), FR)
check(status == 1 and "id 20 has no name" in errors, "an English line without a name fails")

status, errors, _ = run(EN.replace("kQuoted", "kOpenTitle"), FR)
check(status == 1 and "kOpenTitle names both 10 and 20" in errors, "a name given twice fails")

status, errors, _ = run(EN + '{10, "Again"},  // kAgain\n', FR)
check(status == 1 and "id 10 appears twice" in errors, "an id given twice fails")
print("string ids: every case passed")
