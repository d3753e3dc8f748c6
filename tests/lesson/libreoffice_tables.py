#!/usr/bin/env python3
"""Tables between the trainer and LibreOffice Calc, both ways, with the real LibreOffice.

usage: libreoffice_tables.py KAZ_TRAINER WORK_DIR
(a) A sheet LibreOffice writes as CSV (UTF-8 with commas, Windows-1252 with semicolons, UTF-16
    with tabs) converts with `kaz-trainer --convert` to the lesson's exact bytes.
(b) The trainer's export, opened by LibreOffice with formulas evaluated (as opening a .csv file
    does), gives back every term as the text of its cell, formula-like terms included.
Exit status 77 (skipped) where soffice is not installed.
"""
import csv
import io
import os
import shutil
import subprocess
import sys
from xml.sax.saxutils import escape

# Terms as a lesson holds them (Windows-1252 text, tidied as typed terms are).
TERMS = [
    ("Haus", "house"),
    ("M\u00e4dchen, \u00d6l, \u00df", "girl, oil, sharp s"),
    ("5 \u20ac", "f\u00fcnf Euro"),
    ("sagte \"ja\"", "said; \"yes\""),
    ("=HYPERLINK(\"x\"; \"klick\")", "=1+1"),
    ("=-2+3", "=cmd|' /C calc'! A0"),
    ("-heit", "+49 30"),
    ("@SUMME(A1)", "'Apostroph"),
]

# LibreOffice's CSV filter: separator, quote, character set (76 UTF-8, 1 Windows-1252,
# 65535 UTF-16), first line; on import token 13 evaluates formulas.
EXPORTS = [("utf8_comma", "44,34,76,1"), ("cp1252_semicolon", "59,34,1,1"),
           ("utf16_tab", "9,34,65535,1")]


def lesson_bytes(pairs):
    out = b"vtfile\0"
    for first, second in pairs:
        out += first.encode("cp1252") + b"\0" + second.encode("cp1252") + b"\0"
    return out


def flat_sheet(pairs):
    """A one-sheet flat ODF spreadsheet whose cells are text, whatever they look like."""
    rows = "".join(
        "<table:table-row>" + "".join(
            f'<table:table-cell office:value-type="string"><text:p>{escape(t)}</text:p>'
            "</table:table-cell>" for t in pair) + "</table:table-row>" for pair in pairs)
    return ('<?xml version="1.0" encoding="UTF-8"?>'
            '<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
            'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
            'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" '
            'office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">'
            f'<office:body><office:spreadsheet><table:table table:name="Vokabeln">{rows}'
            '</table:table></office:spreadsheet></office:body></office:document>')


def soffice(work, out_dir, filter_spec, source, *infilter):
    done = subprocess.run(["soffice", f"-env:UserInstallation=file://{work}/profile", "--headless",
                           "--convert-to", filter_spec, "--outdir", out_dir, *infilter, source],
                          capture_output=True, text=True, timeout=120)
    produced = os.path.join(out_dir, os.path.splitext(os.path.basename(source))[0] + ".csv")
    if done.returncode != 0 or not os.path.exists(produced):
        sys.exit(f"FAIL: soffice made no {produced}: {done.stdout} {done.stderr}")
    return produced


def convert(trainer, source, target):
    done = subprocess.run([trainer, "--convert", source, target], capture_output=True,
                          timeout=60, env={**os.environ, "QT_QPA_PLATFORM": "offscreen"})
    if done.returncode != 0:
        sys.exit(f"FAIL: --convert {source} exited {done.returncode}: {done.stderr!r}")


def main():
    trainer, work = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    if shutil.which("soffice") is None:
        print("SKIP: soffice is not installed (scripts/deps.sh test installs it)")
        return 77
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    failures = []

    sheet = os.path.join(work, "Vokabeln.fods")
    with open(sheet, "w", encoding="utf-8") as f:
        f.write(flat_sheet(TERMS))
    for name, options in EXPORTS:
        out_dir = os.path.join(work, name)
        produced = soffice(work, out_dir, f"csv:Text - txt - csv (StarCalc):{options}", sheet)
        convert(trainer, produced, os.path.join(out_dir, "Vokabeln.lsn"))
        with open(os.path.join(out_dir, "Vokabeln.lsn"), "rb") as f:
            got = f.read()
        if got != lesson_bytes(TERMS):
            failures.append(f"(a) {name}: {got!r}")

    source = os.path.join(work, "lesson.lsn")
    with open(source, "wb") as f:
        f.write(lesson_bytes(TERMS))
    exported = os.path.join(work, "Export.csv")
    convert(trainer, source, exported)
    # Read as LibreOffice opens a .csv file (semicolons, UTF-8, formulas evaluated), then
    # written back with every cell's content as shown, quoted.
    out_dir = os.path.join(work, "shown")
    produced = soffice(work, out_dir, "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,true,true,true",
                       exported, "--infilter=CSV:59,34,76,1,,0,false,true,false,false,false,-1,true")
    with open(produced, encoding="utf-8", newline="") as f:
        shown = [tuple(row[:2]) for row in csv.reader(io.StringIO(f.read()))]
    if shown != TERMS:
        failures.append(f"(b) shown {shown!r}, terms {TERMS!r}")

    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
