#!/usr/bin/env python3
"""Builds the sample lessons from their word lists.

Each word list (UTF-8, in this folder) holds one entry per line, "first term | second term";
lines starting with "#" and blank lines are skipped. The lesson file is the magic "vtfile" and
a zero byte, then per entry the first and the second term, each in Windows-1252 and ended by a
zero byte.

Every term is checked before anything is written: it must be encodable in Windows-1252, at
most 78 bytes long, not empty, and already tidy (the trainer tidies blanks and punctuation in
what the user types; a stored term that tidying would change could never be matched exactly).
No first term and no second term may occur twice in one lesson.

usage: make_lessons.py [OUTPUT_DIR]   (default: resources/lessons of the repository)
"""
import pathlib
import sys

HERE = pathlib.Path(__file__).resolve().parent
DEFAULT_OUT = HERE.parent.parent / "resources" / "lessons"

LESSONS = [
    ("englisch.txt", "ENGLISCH.LSN"),
    ("franzoes.txt", "FRANZOES.LSN"),
    ("latein.txt", "LATEIN.LSN"),
]

MAGIC = b"vtfile\0"
MAX_TERM_BYTES = 78
MIN_ENTRIES, MAX_ENTRIES = 60, 200
MARKS = ",.;?!:"


def tidy(term):
    """The trainer's tidying of a typed term: blanks collapsed, none before a mark, one after."""
    out = []
    for ch in term:
        if 1 <= ord(ch) <= 32:
            if out and out[-1] != " ":
                out.append(" ")
        else:
            out.append(ch)
    while out and out[-1] == " ":
        out.pop()
    i = 0
    while i < len(out):
        if out[i] in MARKS:
            if i > 0 and out[i - 1] == " ":
                del out[i - 1]
                i -= 1
                continue
            if i + 1 == len(out):
                break
            if out[i + 1] != " " and len(out) < MAX_TERM_BYTES:
                out.insert(i + 1, " ")
            i += 2
            continue
        i += 1
    return "".join(out)


def read_word_list(path):
    entries = []
    problems = []
    for number, raw in enumerate(path.read_text(encoding="utf-8").splitlines(), start=1):
        line = raw.strip()
        if not line or line.startswith("#"):
            continue
        parts = line.split("|")
        if len(parts) != 2:
            problems.append(f"{path.name}:{number}: expected 'first | second'")
            continue
        first, second = (p.strip() for p in parts)
        for term in (first, second):
            where = f"{path.name}:{number}: {term!r}"
            try:
                encoded = term.encode("cp1252")
            except UnicodeEncodeError:
                problems.append(f"{where}: not encodable in Windows-1252")
                continue
            if not encoded:
                problems.append(f"{where}: empty term")
            if len(encoded) > MAX_TERM_BYTES:
                problems.append(f"{where}: {len(encoded)} bytes, at most {MAX_TERM_BYTES}")
            if tidy(term) != term:
                problems.append(f"{where}: not tidy, would be {tidy(term)!r}")
        entries.append((first, second, number))
    for side, label in ((0, "first"), (1, "second")):
        seen = {}
        for entry in entries:
            term = entry[side]
            if term in seen:
                problems.append(f"{path.name}:{entry[2]}: {label} term {term!r} "
                                f"already in line {seen[term]}")
            seen.setdefault(term, entry[2])
    if not MIN_ENTRIES <= len(entries) <= MAX_ENTRIES:
        problems.append(f"{path.name}: {len(entries)} entries, want {MIN_ENTRIES} to {MAX_ENTRIES}")
    return [(first, second) for first, second, _ in entries], problems


def lesson_bytes(entries):
    data = bytearray(MAGIC)
    for first, second in entries:
        data += first.encode("cp1252") + b"\0" + second.encode("cp1252") + b"\0"
    return bytes(data)


def main():
    out_dir = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else DEFAULT_OUT
    built = []
    problems = []
    for source, target in LESSONS:
        entries, found = read_word_list(HERE / source)
        problems += found
        built.append((target, entries))
    if problems:
        print("\n".join(problems), file=sys.stderr)
        return 1
    out_dir.mkdir(parents=True, exist_ok=True)
    for target, entries in built:
        (out_dir / target).write_bytes(lesson_bytes(entries))
        print(f"{target}: {len(entries)} entries")
    return 0


if __name__ == "__main__":
    sys.exit(main())
