#!/usr/bin/env python3
"""Fails when a code folder's README.md names, in backticks, code that the tree does not hold.

A code folder is a top folder holding C++ sources; the packaging folder's README names lintian
tags, install paths and package fields, which are no code names.

What counts as a code name:
  - an identifier or qualified name (`preprocessKey`, `ExerciseRun::startPlanned`, `kaz-chart`),
    also written as a call (`startExercise(mode, now)` checks `startExercise`): found when every
    part stands as a whole word in one file of the tree other than a Markdown file;
  - a file or folder (`lesson/table_file.h`, `due_drill.*`, `platform/`, `lesson/lesson_document`),
    relative to the README's folder or to the top: found when it exists, or when its name stands
    in a file of the tree (a file the build or the install makes, such as `install_manifest.txt`);
  - `NAME=VALUE` checks `NAME`.
Not checked: spans with spaces left after dropping call arguments (commands, phrases), spans with
letters beyond ASCII (German texts), options (`--help`), extensions (`.lsn`), absolute or parent
paths, placeholders with `<...>`, numbers and punctuation.

usage: check_readme_names.py [ROOT]      check every */README.md under ROOT (default: this tree)
       check_readme_names.py --self-test check the classification above on a table of spans
"""
import glob
import os
import re
import sys

IDENT = r"[A-Za-z_][A-Za-z0-9_-]*"
QUALIFIED = re.compile(rf"^{IDENT}(?:::~?{IDENT})*$")
CALL = re.compile(rf"^({IDENT}(?:::~?{IDENT})*)\(.*\)$")
ASSIGNMENT = re.compile(r"^([A-Z_][A-Z0-9_]*)=\S*$")
PATHLIKE = re.compile(r"^[A-Za-z0-9_][A-Za-z0-9_.*/+-]*$")
SKIPPED_DIRS = {"node_modules", "__pycache__"}


def code_name(span):
    """('name', parts) or ('path', text) for a span that names code, None for any other."""
    if not span.isascii() or "<" in span or span[0] in "-.=/":
        return None
    call = CALL.match(span)
    if call:
        span = call.group(1)
    assignment = ASSIGNMENT.match(span)
    if assignment:
        span = assignment.group(1)
    if QUALIFIED.match(span):
        if not re.search(r"[A-Za-z]", span):
            return None
        return ("name", span.split("::"))
    if any(c.isspace() for c in span) or not PATHLIKE.match(span):
        return None
    if not re.search(r"[A-Za-z]", span):
        return None
    return ("path", span)


def is_build_dir(path):
    return os.path.exists(os.path.join(path, "CMakeCache.txt"))


def tree_texts(root):
    """Text of every file of the tree except Markdown, this script (which names missing names
    in its examples), hidden folders and build folders."""
    texts = []
    this_script = os.path.abspath(__file__)
    for folder, dirs, files in os.walk(root):
        dirs[:] = [d for d in dirs
                   if not d.startswith(".") and d not in SKIPPED_DIRS
                   and not is_build_dir(os.path.join(folder, d))]
        for name in files:
            if name.endswith(".md"):
                continue
            path = os.path.join(folder, name)
            if os.path.abspath(path) == this_script:
                continue
            try:
                with open(path, "rb") as f:
                    data = f.read()
            except OSError:
                continue
            if b"\0" in data[:4096]:
                continue
            texts.append(data.decode("latin-1"))
    return texts


def holds_cpp(folder):
    return any(name.endswith((".cpp", ".h")) for _, _, files in os.walk(folder) for name in files)


def word_in(word, text):
    return re.search(rf"(?<![A-Za-z0-9_]){re.escape(word)}(?![A-Za-z0-9_])", text) is not None


def name_found(parts, texts):
    return any(all(word_in(p.lstrip("~"), t) for p in parts) for t in texts)


def path_found(span, readme_dir, root, texts):
    bare = span.rstrip("/")
    for base in (readme_dir, root):
        candidate = os.path.join(base, bare)
        if glob.glob(candidate) or glob.glob(candidate + ".*"):
            return True
    return name_found([os.path.basename(bare)], texts) if "*" not in bare else False


def check(root):
    root = os.path.abspath(root)
    texts = tree_texts(root)
    faults = []
    readmes = sorted(r for r in glob.glob(os.path.join(root, "*", "README.md"))
                     if holds_cpp(os.path.dirname(r)))
    for readme in readmes:
        with open(readme, encoding="utf-8") as f:
            body = f.read()
        body = re.sub(r"```.*?```", "", body, flags=re.S)
        for lineno, line in enumerate(body.splitlines(), 1):
            for span in re.findall(r"`([^`]+)`", line):
                kind = code_name(span.strip())
                if kind is None:
                    continue
                if kind[0] == "name":
                    ok = name_found(kind[1], texts)
                else:
                    ok = path_found(kind[1], os.path.dirname(readme), root, texts)
                if not ok:
                    faults.append(f"{os.path.relpath(readme, root)}:{lineno}: `{span}` is not in the code")
    for fault in faults:
        print(fault)
    if not readmes:
        print("no README.md found under", root)
        return 1
    print(f"readme names: {'ok' if not faults else f'{len(faults)} not found'} ({len(readmes)} files)")
    return 1 if faults else 0


SELF_TEST = [
    # span, what it names
    ("preprocessKey", ("name", ["preprocessKey"])),
    ("ExerciseRun::startPlanned", ("name", ["ExerciseRun", "startPlanned"])),
    ("startExercise(mode, now)", ("name", ["startExercise"])),
    ("resultsLogView(ResultsLog::load(path), localTime)", ("name", ["resultsLogView"])),
    ("On()", ("name", ["On"])),
    ("kaz-chart", ("name", ["kaz-chart"])),
    ("KAZ_CLOCK_OFFSET_DAYS=N", ("name", ["KAZ_CLOCK_OFFSET_DAYS"])),
    ("lesson/table_file.h", ("path", "lesson/table_file.h")),
    ("due_drill.*", ("path", "due_drill.*")),
    ("platform/", ("path", "platform/")),
    ("man/*.1.in", ("path", "man/*.1.in")),
    ("--convert IN OUT", None),
    ("--help", None),
    (".lsn", None),
    ("= + - @", None),
    (", . ; ? ! :", None),
    ("PRAGMA user_version", None),
    ("kaz-help --context 259 DODADIZE.HLP", None),
    ("kaz-trainer_<version>_<arch>.deb", None),
    ("/usr", None),
    ("../share/kaz-trainer/", None),
    ("1.0", None),
    ("Übung beenden", None),
]


def self_test():
    failed = 0
    for span, expected in SELF_TEST:
        got = code_name(span)
        if got != expected:
            print(f"`{span}`: expected {expected}, got {got}")
            failed += 1
    word_rows = [("selectRow", "void selectRow(int)", True), ("Row", "selectRow()", False),
                 ("kaz_table", "kaz_table_logic", False), ("On", "x.On();", True)]
    for word, text, expected in word_rows:
        if word_in(word, text) != expected:
            print(f"word `{word}` in '{text}': expected {expected}")
            failed += 1
    print("self-test:", "ok" if not failed else f"{failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    if sys.argv[1:] == ["--self-test"]:
        sys.exit(self_test())
    default_root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    sys.exit(check(sys.argv[1] if len(sys.argv) > 1 else default_root))
