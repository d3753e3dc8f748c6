#!/usr/bin/env python3
"""Words from other trainers and lessons on paper, through the real `kaz-trainer --convert`.

usage: foreign_files.py KAZ_TRAINER WORK_DIR
(a) Every KVTML file that Debian's kwordquiz and kdeedu-kvtml-data packages ship converts: the
    entries taken plus those refused are the entries in the file, counted here by Python's own
    XML parser; the lesson written holds as many entries as were taken, and each of its first
    terms is a text of the file.
(b) An Anki text export (headers, HTML, a sound reference), a packed Pauker lesson and a
    Quizlet export convert to the lessons they hold.
(c) A lesson of 2,000 entries becomes a PDF word list whose text (pdftotext) holds every term
    in the lists' order with its umlauts.
Exit status 77 (skipped) where the KVTML packages or poppler-utils are missing.
"""
import glob
import gzip
import os
import re
import shutil
import subprocess
import sys
import xml.etree.ElementTree as ET

KVTML_GLOBS = ["/usr/share/kwordquiz/examples/*.kvtml", "/usr/share/doc/kwordquiz/examples/*.kvtml",
               "/usr/share/apps/kvtml/*/*.kvtml"]
TAKEN = re.compile(r": (\d+) Eintr(?:ag|äge) übernommen\.$", re.M)
REFUSED = re.compile(r": (\d+) Eintr(?:ag|äge) nicht übernommen:$", re.M)


def convert(trainer, src, dst):
    env = dict(os.environ, LC_ALL="C.UTF-8")
    done = subprocess.run([trainer, "--convert", src, dst], capture_output=True, env=env,
                          timeout=120)
    return done.returncode, done.stderr.decode("utf-8")


def lesson_pairs(path):
    data = open(path, "rb").read()
    assert data.startswith(b"vtfile\0"), path
    fields = data[len(b"vtfile\0"):].split(b"\0")[:-1]
    assert len(fields) % 2 == 0, path
    return [(fields[i].decode("cp1252"), fields[i + 1].decode("cp1252"))
            for i in range(0, len(fields), 2)]


def file_entries(path):
    """The entries of a KVTML file and every text in it, by ElementTree (not expat's caller)."""
    data = open(path, "rb").read()
    try:
        data.decode("utf-8")
    except UnicodeDecodeError:  # a file that says UTF-8 and is Windows-1252
        data = re.sub(rb'encoding="[^"]*"', b'encoding="cp1252"', data, count=1)
    root = ET.fromstring(data)
    entries = root.findall("./entries/entry")
    if not entries:  # version 1
        entries = root.findall("./e")
    texts = {" ".join((t.text or "").split()) for t in root.iter() if t.tag in ("text", "o", "t")}
    return len(entries), texts


def check_debian_kvtml(trainer, work, failures):
    files = sorted({f for g in KVTML_GLOBS for f in glob.glob(g)})
    if not files:
        return 0
    for n, src in enumerate(files):
        dst = os.path.join(work, f"k{n}.lsn")
        status, err = convert(trainer, src, dst)
        count, texts = file_entries(src)
        taken = TAKEN.search(err)
        refused = REFUSED.search(err)
        if not taken:
            failures.append(f"{src}: no count of entries taken: {err!r}")
            continue
        t = int(taken.group(1))
        r = int(refused.group(1)) if refused else 0
        if t + r != count:
            failures.append(f"{src}: {t} taken + {r} refused != {count} entries")
        expected_status = 2 if t == 0 else (1 if r else 0)
        if status != expected_status:
            failures.append(f"{src}: status {status}, expected {expected_status}")
        if t > 0:
            pairs = lesson_pairs(dst)
            if len(pairs) != t:
                failures.append(f"{src}: lesson holds {len(pairs)}, {t} said taken")
            # Tidying adds or moves blanks around marks only: compare without blanks.
            bare = {x.replace(" ", "") for x in texts}
            for first, _ in pairs:
                if first.replace(" ", "") not in bare:
                    failures.append(f"{src}: {first!r} is no text of the file")
                    break
        elif os.path.exists(dst):
            failures.append(f"{src}: nothing taken, yet {dst} written")
    return len(files)


PAUKER = """<?xml version="1.0" encoding="UTF-8"?>
<!--This is a lesson file for Pauker (http://pauker.sourceforge.net)-->
<Lesson LessonFormat="1.7">
  <Description>Vokabeln</Description>
  <Batch>
    <Card>
      <FrontSide Orientation="LTR" RepeatByTyping="false"><Text>Käse</Text><Font Family="Dialog" Size="12" Style="-1" Background="-1" Foreground="-16777216"/></FrontSide>
      <ReverseSide Orientation="LTR" RepeatByTyping="false"><Text>cheese</Text></ReverseSide>
    </Card>
  </Batch>
  <Batch/>
  <Batch>
    <Card>
      <FrontSide LearnedTimestamp="1700000000000" Orientation="LTR" RepeatByTyping="false"><Text>Straße</Text></FrontSide>
      <ReverseSide Orientation="LTR" RepeatByTyping="false"><Text>street</Text></ReverseSide>
    </Card>
  </Batch>
</Lesson>
"""

ANKI = ("#separator:tab\n#html:true\n#notetype column:1\n#deck column:2\n#tags column:5\n"
        "Basic\tFranzösisch\t<div>la&nbsp;maison</div>\tdas <b>Haus</b> [sound:maison.mp3]\tnomen\n"
        "Basic\tFranzösisch\t\"l'arbre\tvert\"\t<img src=\"arbre.jpg\">der grüne Baum\t\n")

QUIZLET = "Haus\thouse\nBaum\ttree\nMädchen\tgirl\n"


def check_other_formats(trainer, work, failures):
    cases = [
        ("pauker.pau.gz", gzip.compress(PAUKER.encode()), [("Käse", "cheese"), ("Straße", "street")], 0),
        ("anki.txt", ANKI.encode(), [("la maison", "das Haus"), ("l'arbre vert", "der grüne Baum")], 0),
        ("quizlet.txt", QUIZLET.encode(), [("Haus", "house"), ("Baum", "tree"), ("Mädchen", "girl")], 0),
    ]
    for name, data, expected, status_expected in cases:
        src = os.path.join(work, name)
        open(src, "wb").write(data)
        dst = src + ".lsn"
        status, err = convert(trainer, src, dst)
        if status != status_expected or not os.path.exists(dst) or lesson_pairs(dst) != expected:
            failures.append(f"{name}: status {status}, {err!r}, "
                            f"{lesson_pairs(dst) if os.path.exists(dst) else 'no lesson'}")
    if "2 Ton- und Bildverweise ausgelassen." not in convert(trainer, os.path.join(work, "anki.txt"),
                                                            os.path.join(work, "a2.lsn"))[1]:
        failures.append("anki.txt: the sound and picture left out are not counted")


def check_pdf(trainer, work, failures):
    pairs = [(f"Übung{i:04d} Ärger", f"exercise{i:04d} ß€") for i in range(2000)]
    src = os.path.join(work, "zweitausend.lsn")
    with open(src, "wb") as f:
        f.write(b"vtfile\0")
        for first, second in reversed(pairs):  # the list sorts them
            f.write(first.encode("cp1252") + b"\0" + second.encode("cp1252") + b"\0")
    dst = os.path.join(work, "zweitausend.pdf")
    status, err = convert(trainer, src, dst)
    if status != 0:
        failures.append(f"pdf: status {status}, {err!r}")
        return
    text = subprocess.run(["pdftotext", "-layout", dst, "-"], capture_output=True,
                          check=True).stdout.decode("utf-8")
    rows = re.findall(r"^\s*(Übung\d{4} Ärger)\s{2,}(exercise\d{4} ß€)\s*$", text, re.M)
    if rows != pairs:
        failures.append(f"pdf: {len(rows)} rows read back, not the 2000 in order")
    pages = text.count("\f")
    info = subprocess.run(["pdfinfo", dst], capture_output=True, check=True).stdout.decode()
    if f"Pages:           {pages}" not in info or "A4" not in info:
        failures.append(f"pdf: {pages} pages of text, pdfinfo says {info!r}")
    if f"Seite {pages} von {pages}" not in text or "zweitausend" not in text.split("\n")[0]:
        failures.append("pdf: no page count or lesson name")
    # Any input --convert reads goes to paper; what cannot be read or written writes nothing.
    kvtml = os.path.join(work, "drei.kvtml")
    open(kvtml, "w").write('<?xml version="1.0"?><kvtml version="2.0"><entries>'
                           '<entry id="0"><translation id="0"><text>Tür</text></translation>'
                           '<translation id="1"><text>door</text></translation></entry>'
                           '</entries></kvtml>')
    status, err = convert(trainer, kvtml, os.path.join(work, "drei.pdf"))
    page = subprocess.run(["pdftotext", "-layout", os.path.join(work, "drei.pdf"), "-"],
                          capture_output=True).stdout.decode()
    if status != 0 or not re.search(r"^\s*Tür\s+door\s*$", page, re.M) or "drei" not in page:
        failures.append(f"kvtml to pdf: status {status}, {err!r}, {page!r}")
    for src, out, why in ((os.path.join(work, "fehlt.lsn"), os.path.join(work, "f.pdf"), "missing"),
                          (src, os.path.join(work, "kein", "f.pdf"), "unwritable")):
        status, err = convert(trainer, src, out)
        if status != 2 or os.path.exists(out) or not err:
            failures.append(f"pdf from {why}: status {status}, {err!r}")
    fonts = subprocess.run(["pdffonts", dst], capture_output=True, check=True).stdout.decode()
    if not all(line.split()[-5] == "yes" for line in fonts.splitlines()[2:]):
        failures.append(f"pdf: fonts not embedded: {fonts}")


def main():
    trainer, work = sys.argv[1], sys.argv[2]
    if shutil.which("pdftotext") is None or not glob.glob(KVTML_GLOBS[0]):
        print("skipped: poppler-utils or kwordquiz's examples missing")
        return 77
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    failures = []
    files = check_debian_kvtml(trainer, work, failures)
    check_other_formats(trainer, work, failures)
    check_pdf(trainer, work, failures)
    for f in failures:
        print("FAIL:", f)
    print(f"{files} KVTML files converted; {len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
