"""Scenarios of the real-input suite: each one does what the README promises a person can do,
with the mouse and the keyboard on the real window, and checks what the person then sees and
the files on disk.

usage: suite.py BUILD_DIR WORK_DIR [SCENARIO ...]   (run through scripts/e2e.sh)
"""

import contextlib
import os
import random
import re
import signal
import sqlite3
import struct
import subprocess
import sys
import time
import traceback
from collections import Counter

import driver as d
from driver import Failure, press, type_text, wait_until

TITLE = " KAZ-TRAINER 1.0   Lektion: "
DEFAULT_CFG = b"\0\0\0\x5a\0\0\0\x50\0\0\0\x42\0\0\0\x32\0\0\0\x14\0\0\0"
ABORT_CAPTION = "ÜBUNG"
NUMBERS = [("eins", "one"), ("zwei", "two"), ("drei", "three")]


def lesson_bytes(pairs):
    out = b"vtfile\0"
    for first, second in pairs:
        out += first.encode("cp1252") + b"\0" + second.encode("cp1252") + b"\0"
    return out


def results_log_bytes(records):
    """A results log "DODADIZE.KAZ" of (start time, lesson name, grade, entries, wrong) records,
    3 min 7 s each, default thresholds, options off; the start time as its 32 bits."""
    out = b""
    for start, name, grade, entries, wrong in records:
        out += struct.pack("<II25s3B5iIII", start & 0xFFFFFFFF, 187, name.encode("cp1252"),
                           0, 0, 0, 90, 80, 66, 50, 20, grade, entries, wrong)
    return out.ljust(1360, b"\0")


def expect(what, actual, expected):
    if actual != expected:
        raise Failure(f"{what}: expected {expected!r}, got {actual!r}")


class Context:
    """One scenario's working folder, program copy and the trainers it started."""

    def __init__(self, build, work, name):
        self.build = build
        self.root = os.path.join(work, name)
        self.folder = os.path.join(self.root, "folder")
        os.makedirs(self.folder)
        self.trainers = []
        self.with_help = False
        self.program = None
        self.orca = None
        self.wm = None

    def path(self, name):
        return os.path.join(self.folder, name)

    def write(self, name, data):
        with open(self.path(name), "wb") as f:
            f.write(data)
        return self.path(name)

    def read(self, name):
        with open(self.path(name), "rb") as f:
            return f.read()

    def start(self, *args, env=None):
        if self.program is None:  # one copy: a second start shares it with a running trainer
            self.program = d.copy_program(self.build, os.path.join(self.root, "bin"),
                                          self.with_help)
        program = self.program
        t = d.Trainer(program, self.folder, args, log=os.path.join(self.root, "trainer.log"),
                      env=env)
        self.trainers.append(t)
        return t

    def screen_reader(self):
        self.orca = d.Orca(self.root)
        return self.orca

    def window_manager(self):
        self.wm = d.WindowManager(self.root)
        return self.wm

    def stop_all(self):
        """Ends the trainers and every program they started from this scenario's folder (the
        help viewer outlives the trainer that called it), and the screen reader."""
        for t in self.trainers:
            t.kill()
        if self.orca is not None:
            self.orca.stop()
        d.stop_processes_under(self.root)
        if self.wm is not None:
            self.wm.stop()


def escape_closes(t):
    t.activate()
    press("Escape")
    t.close()


def discard_and_close(t):
    t.activate()
    press("Escape")
    t.answer_box("Aktuelle Lektion", "Nein")
    t.close()


def reports(t):
    return [w for w in t.windows() if d.name_of(w).startswith("Ergebnis: Note")]


def add_entry(t, first, second, entries):
    """Types a new entry into the fields (the new-entry row must be shown) and waits until the
    status line counts `entries` with unsaved changes."""
    t.click("1. Begriff", "text")
    type_text(first)
    press("Return")
    type_text(second)
    press("Return")
    wait_until(f"{entries} entries",
               lambda: t.status() == f"Lektion enthält {entries} Aufgaben (ungesichert)")


def type_answer(t, text, wait=True):
    """Types text into the answer field and presses Return; unless wait, returns at once with
    the key's xdotool process under way."""
    type_text(text)
    wait_until(f"the answer {text!r} typed", lambda: t.field("2. Begriff") == text)
    if wait:
        return press("Return")
    return subprocess.Popen(["xdotool", "key", "--delay", "0", "Return"])


def next_question(t, previous=None):
    """Waits for a question other than previous, the answer field empty; fails on a notice."""
    def look():
        question = t.field("1. Begriff")
        return ("notice" if t.find_window("Lernstand") else
                t.field("2. Begriff") == "" and question != previous and question)
    question = wait_until("the next question", look)
    if question == "notice":
        raise Failure("a notice: " + t.answer_box("Lernstand", "OK"))
    return question


def record_counts(c, path=None):
    """How often the learning record (or the file at path) holds each (term1, direction,
    right), read-only; a record not made yet, or an empty file, holds nothing."""
    counts = Counter()
    path = path or c.path("LERNSTAND.DB")
    if not os.path.exists(path):
        return counts
    with contextlib.closing(sqlite3.connect(f"file:{path}?mode=ro", uri=True)) as db:
        if not db.execute("SELECT count(*) FROM sqlite_master").fetchone()[0]:
            return counts  # left empty by a kill while the file was being made
        for first, direction, right, n in db.execute(
                "SELECT CAST(term1 AS TEXT), direction, right, count(*) FROM answer"
                " GROUP BY 1, 2, 3"):
            counts[(first, direction, bool(right))] = n
    return counts


def record_answers(c):
    """The answers in the learning record: (term1, direction, right, first asking), sorted."""
    with contextlib.closing(sqlite3.connect(f"file:{c.path('LERNSTAND.DB')}?mode=ro",
                                            uri=True)) as db:
        return sorted(db.execute("SELECT CAST(term1 AS TEXT), direction, right, first_asking"
                                 " FROM answer"))


def answer_all(t, answers, wrong_first=False):
    """Answers every question from answers (question -> answer) until a new report shows; the
    first answer is wrong when wrong_first, and Enter then ends the flashing correction.
    Returns the report window and the questions asked."""
    before = len(reports(t))
    asked = []

    def next_step():
        if len(reports(t)) > before:
            return "report"
        if t.find_window("GLÜCKWUNSCH!"):  # all right at the first asking: before the report
            t.answer_box("GLÜCKWUNSCH!", "OK")
            return None
        return t.field("2. Begriff") == "" and t.field("1. Begriff")

    question = wait_until("the first question", lambda: t.field("1. Begriff"))
    if wrong_first:
        asked.append(question)
        type_answer(t, "falsch")
        wait_until("the correction", lambda: t.field("2. Begriff") != "falsch")
        press("Return")
        question = wait_until("the next question", next_step)
    while question != "report":
        asked.append(question)
        if question not in answers:
            raise Failure(f"unexpected question {question!r}")
        type_answer(t, answers[question])
        question = wait_until("the next question or the report", next_step)
    return reports(t)[-1], asked


def report_text(window):
    return "\n".join(d.text_of(n) for n in d.walk(window) if n is not window and d.text_of(n))


# --- scenarios -------------------------------------------------------------------------------

def type_save_and_close(c):
    """Typing three entries, saving a new lesson through the save dialog, Escape."""
    t = c.start()
    expect("title", t.title(), TITLE + "NEU")
    t.click("1. Begriff", "text")
    for first in ("eins", "zwei", "drei"):
        type_text(first)
        press("Return")
        type_text("Zahl")
        press("Return")
    wait_until("three entries", lambda: t.status() == "Lektion enthält 3 Aufgaben (ungesichert)")
    t.click("Speichern")
    t.window("Speichern unter")
    type_text("Zahlen.lsn")
    press("Return")
    t.window_gone("Speichern unter")
    expected = lesson_bytes([("eins", "Zahl"), ("zwei", "Zahl"), ("drei", "Zahl")])
    wait_until("the lesson file", lambda: os.path.exists(c.path("Zahlen.lsn")) and
               c.read("Zahlen.lsn") == expected)
    wait_until("the title to name the file", lambda: t.title() == TITLE + c.path("Zahlen.lsn"))
    expect("status after saving", t.status(), "Lektion enthält 3 Aufgaben")
    escape_closes(t)
    expect("settings file", c.read("DODADIZE.CFG"), DEFAULT_CFG)
    if os.path.exists(c.path("DODADIZE.KAZ")):
        raise Failure("a results log was written without an exercise")


def load_and_normal_query(c):
    """Loading through the open dialog; a normal query with one wrong answer and the repeats;
    the report (owned by the main window) and the results log."""
    c.write("Zahlen.lsn", lesson_bytes(NUMBERS))
    t = c.start()
    x, y, w, h = d.extents(t.main)
    d.xdotool("mousemove", x + w // 2, y + 60)
    arrow = d.cursor_shape()
    t.click("Lektion laden")
    dialog = t.window("Öffnen")
    # Over the dialog's margin the cursor is the one the main window has, not the hourglass.
    x, y, w, h = d.extents(dialog)
    d.xdotool("mousemove", x + 2, y + h // 2)
    wait_until("the normal cursor over the open dialog", lambda: d.cursor_shape() == arrow,
               timeout=3)
    type_text("Zahlen.lsn")
    press("Return")
    t.window_gone("Öffnen")
    wait_until("the title", lambda: t.title() == TITLE + c.path("Zahlen.lsn").upper())
    started = int(time.time())
    t.click("Normale Abfrage")
    report, _ = answer_all(t, dict(NUMBERS), wrong_first=True)
    expect("report title", d.name_of(report), "Ergebnis: Note 3")
    text = report_text(report)
    if "3 Aufgaben mit 1 Fehlern" not in text or "Schwerpunkt: 1 Aufgaben mit 0 Fehlern" not in text:
        raise Failure(f"report text: {text!r}")
    expect("the report's owner", d.transient_for(t.xid_of("Ergebnis: Note 3")), int(t.xid))
    wait_until("the results log", lambda: os.path.exists(c.path("DODADIZE.KAZ")))
    log = c.read("DODADIZE.KAZ")
    expect("log size", len(log), 1360)
    start, duration = struct.unpack_from("<II", log, 0)
    if not started - 1 <= start <= time.time() + 1:
        raise Failure(f"start time {start}")
    expect("lesson name", log[8:33], b"ZAHLEN" + b"\0" * 19)
    expect("grade, entries, wrong", struct.unpack_from("<III", log, 56), (3, 3, 1))
    expect("status after the exercise", t.status(), "Lektion enthält 3 Aufgaben")
    escape_closes(t)


def drill_by_ear(c):
    """A normal exercise of three entries by keyboard alone, one answer wrong, as a blind
    learner does it: Orca says each question, the verdict, the correct term, the repetition
    pass and the report with the grade, while the keyboard stays in the answer field."""
    lesson = c.write("Z.lsn", lesson_bytes(NUMBERS))
    orca = c.screen_reader()
    t = c.start(lesson)
    expect("the window's role", d.role_of(t.main), "frame")
    heard = orca.mark()
    d.xdotool("windowfocus", "--sync", t.xid)
    orca.hears(TITLE, heard)
    focused = lambda name: d.has_state(t.control(name), d.Atspi.StateType.FOCUSED)

    def focus_now():
        return next((d.name_of(n) for n in d.walk(t.main) if d.role_of(n) != "list item" and
                     d.has_state(n, d.Atspi.StateType.FOCUSED)), None)
    wait_until("the focus in the first field", lambda: focused("1. Begriff"))
    heard = orca.mark()
    for _ in range(30):  # the tab order leads to the exercise buttons, by the lists
        if focused("Normale Abfrage"):
            break
        mark = orca.mark()
        before = focus_now()
        press("Tab")
        wait_until("the focus to move on", lambda: focus_now() not in (None, before))
        if focused("1. Begriffe"):  # the list's selected row is said with it
            orca.hears("< NEU >", mark)
        if focused("Note 1 ab Prozent"):  # a field says its whole text
            orca.hears("90 selected.", mark)
    orca.hears("Normale Abfrage", heard)
    expect("a field left said unselected",
           [s for s in orca.said()[heard:] if "unselected" in s], [])
    mark = orca.mark()
    press("space")
    answers = dict(NUMBERS)
    question = wait_until("the first question", lambda: t.field("1. Begriff"))
    mark = orca.hears(f"Frage: {question}", mark)
    expect("controls reporting the focus", [d.name_of(n) for n in d.walk(t.main)
                                            if d.has_state(n, d.Atspi.StateType.FOCUSED)],
           ["2. Begriff"])
    # Wrong: the verdict and the correct term; Enter leads on to the next question.
    type_text("falsch")
    wait_until("the answer typed", lambda: t.field("2. Begriff") == "falsch")
    press("Return")
    mark = orca.hears("1. Fehler!", mark)
    orca.hears(f"L\u00f6sung: {answers[question]}", mark)
    wanted = {q for q in answers if q != question}
    heard_repeat = False
    press("Return")
    while True:
        question = wait_until("the next question or the report", lambda: "report" if reports(t) else
                              t.field("2. Begriff") == "" and t.field("1. Begriff"))
        if question == "report":
            break
        mark = orca.hears(f"Frage: {question}", mark)
        if "(Schwerpunkte)" in orca.said()[mark]:
            heard_repeat = True
        wanted.discard(question)
        type_text(answers[question])
        wait_until("the answer typed", lambda: t.field("2. Begriff") == answers[question])
        press("Return")
        mark = orca.hears("Richtig.", mark)
    expect("questions heard in the first pass", wanted, set())
    expect("the repetition pass heard", heard_repeat, True)
    orca.hears("Ergebnis: Note 3", mark)
    orca.hears("3 Aufgaben mit 1 Fehlern", mark)
    if os.environ.get("E2E_SPEECH"):
        with open(os.environ["E2E_SPEECH"], "w") as f:
            f.write("\n".join(orca.said()) + "\n")
    escape_closes(t)


def by_ear(c, *args, env=None):
    """A window manager, Orca and the trainer started with args, as a blind learner's desktop
    has them; returns the trainer and Orca once the trainer's window is active and spoken."""
    c.window_manager()
    orca = c.screen_reader()
    t = c.start(*args, env=env)
    orca.hears(TITLE, key=0)
    wait_until("the trainer's window to have the focus", lambda: d.focused_window() == t.xid)
    return t, orca


def focused_control(t, window=None):
    """The name of the control in the window that reports the focused state (list rows left
    out), or None."""
    return next((d.name_of(n) for n in d.walk(window or t.main) if d.role_of(n) != "list item"
                 and d.has_state(n, d.Atspi.StateType.FOCUSED)), None)


def tab_to(t, orca, name, limit=30):
    """Tabs until the control name has the focus; returns the key number of the last Tab."""
    key = orca.key_count()
    for _ in range(limit):
        if focused_control(t) == name:
            return key
        before = focused_control(t)
        key = orca.press("Tab")
        wait_until("the focus to move on", lambda: focused_control(t) not in (None, before))
    raise Failure(f"Tab never reached {name!r}")


def open_by_typing_by_ear(c):
    """Lektion laden by keyboard, the name typed, Enter: the trainer's window is active again
    and Orca says so, the first field has the focus and Orca follows the keys there."""
    c.write("drei.lsn", lesson_bytes(NUMBERS))
    t, orca = by_ear(c)
    key = tab_to(t, orca, "Lektion laden")
    orca.hears("Lektion laden", key=key)
    key = orca.press("space")
    t.window("Öffnen")
    orca.hears("Öffnen", key=key)
    orca.hears("Dateien des Typs: Lektion (*.lsn)", key=key)  # the type, not the label alone
    orca.type("drei.lsn")
    key = orca.press("Return")
    t.window_gone("Öffnen")
    wait_until("the lesson loaded", lambda: t.title() == TITLE + c.path("drei.lsn").upper())
    # The window is reported active with its title, and the field that has the keys.
    orca.hears(TITLE + c.path("drei.lsn").upper(), key=key)
    orca.hears("1. Begriff", key=key)
    expect("the focused control", focused_control(t), "1. Begriff")
    expect("the window with the keyboard", d.focused_window(), t.xid)
    expect("windows left open", [d.name_of(w) for w in t.windows() if w != t.main], [])
    key = orca.press("Tab")
    orca.hears("2. Begriff", key=key)
    key = orca.type("x")
    wait_until("the letter typed", lambda: t.field("2. Begriff") == "x")
    orca.hears("x", key=key)
    escape_closes(t)


def report_and_table_by_ear(c):
    """A drill by keyboard under a window manager: the report takes the keyboard and is read,
    Escape closes it and the trainer's answer field has the keys again; the results table opens
    from its button, is read, and Escape closes it too."""
    lesson = c.write("Z.lsn", lesson_bytes([("eins", "one")]))
    t, orca = by_ear(c, lesson)
    key = tab_to(t, orca, "Normale Abfrage")
    key = orca.press("space")
    orca.hears("Frage: eins", key=key)
    for answer in ("x", "one", "one"):
        wait_until("the answer field to be empty", lambda: t.field("2. Begriff") == "")
        orca.type(answer)
        wait_until("the answer typed", lambda: t.field("2. Begriff") == answer)
        key = orca.press("Return")
        if answer == "x":
            orca.hears("Lösung: one", key=key)
            key = orca.press("Return")
    report = t.window("Ergebnis: Note 6")
    orca.hears("Ergebnis: Note 6", key=key)
    orca.hears("1 Aufgaben mit 1 Fehlern", key=key)
    wait_until("the report to have the keyboard",
               lambda: d.focused_window() == t.xid_of("Ergebnis: Note 6"))
    del report
    # Each said once: the last question's term is not read again from the first field as
    # the drill ends, nor the report's text twice.
    repeated = [s for s in orca.said_for(key) if s.strip(" .") in ("eins", "1. Begriff text")]
    expect("the last term at the end", repeated, [])
    expect("the report heard once",
           sum(s.count("Gesamtübung") for s in orca.said_for(key)), 1)
    key = orca.press("Escape")
    t.window_gone("Ergebnis: Note 6")
    orca.hears(TITLE, key=key)
    wait_until("the trainer's window to have the keyboard", lambda: d.focused_window() == t.xid)
    expect("the trainer", t.running(), True)
    # Tab into the second field, which selects its text: the field and its text heard once
    # ("2. Begriff text. one selected."), not the selection before it as well.
    wait_until("the focus in the first field", lambda: focused_control(t) == "1. Begriff")
    tab = orca.press("Tab")
    orca.hears("2. Begriff text.", key=tab)
    orca.press("Tab")
    orca.hears("Note 1 ab Prozent text.", key=tab)  # all of the first Tab is said by now
    expect("the second term heard on Tab", [s for s in orca.after(tab) if "one" in s],
           ["one selected."])
    key = tab_to(t, orca, "Prüfungsergebnisse")
    orca.hears("Prüfungsergebnisse", key=key)
    key = orca.press("space")
    t.window("Übungsprotokoll")
    wait_until("the table to have the keyboard",
               lambda: d.focused_window() == t.xid_of("Übungsprotokoll"))
    # Row by row, each cell with its column's name.
    key = orca.press("Down")
    orca.hears("table with 1 row 11 columns", key=key)
    orca.hears("90 80 66 50 20", key=key)
    key = orca.press("Right")
    orca.hears("Zeit", key=key)
    key = orca.press("Escape")
    t.window_gone("Übungsprotokoll")
    orca.hears(TITLE, key=key)
    expect("the trainer", t.running(), True)
    escape_closes(t)


def start_with_help_by_ear(c):
    """The help viewer opens beside the trainer at the start, and the trainer keeps the
    keyboard: the next key goes to its fields, and Orca follows it there, not to the help."""
    c.with_help = True
    lesson = c.write("Z.lsn", lesson_bytes(NUMBERS))
    t, orca = by_ear(c, lesson)
    wait_until("the help viewer's window", lambda: d.help_window_pid(c.root))
    key = orca.press("Tab")
    orca.hears("2. Begriff", key=key)
    expect("the window with the keyboard", d.focused_window(), t.xid)
    heard = [s for s in orca.said() if "Hilfe" in s]
    expect("what Orca said of the help viewer", heard, [])
    # In the help viewer, Escape closes it and the trainer has the keyboard again.
    viewer = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid",
                             str(d.help_window_pid(c.root)), "--name", "Hilfe"],
                            capture_output=True, text=True).stdout.split()[0]
    d.xdotool("windowactivate", viewer)
    wait_until("the help viewer to have the keyboard", lambda: d.focused_window() == viewer)
    press("Escape")
    wait_until("the help viewer to close", lambda: not d.help_window_pid(c.root))
    wait_until("the trainer to have the keyboard", lambda: d.focused_window() == t.xid)
    escape_closes(t)


def no_list_heard(orca, key, what):
    """Fails when Orca spoke of a term list for the key numbered key or later: the keys are in
    a field, so Orca must follow the field."""
    lists = [s for s in orca.after(key) if "Begriffe" in s]
    if lists:
        raise Failure(f"{what}: Orca followed a list: {orca.after(key)!r}")


def edit_by_ear(c):
    """Paging, changing and adding entries by keyboard alone: Orca follows the first field,
    says the term under the cursor and the caret keys, and tells the new entry and the status
    line; it never takes a term list for the focus."""
    lesson = c.write("Z.lsn", lesson_bytes(NUMBERS))
    t, orca = by_ear(c, lesson)
    wait_until("the focus in the first field", lambda: focused_control(t) == "1. Begriff")
    key = orca.press("Down")
    wait_until("the first entry", lambda: t.field("1. Begriff") == "eins")
    orca.hears("eins", key=key)
    no_list_heard(orca, key, "Down")
    orca.press("End")
    key = orca.press("Left")
    orca.hears("s", key=key)
    key = orca.press("Down")
    wait_until("the second entry", lambda: t.field("1. Begriff") == "zwei")
    orca.hears("zwei", key=key)
    key = orca.press("Up")
    wait_until("the first entry again", lambda: t.field("1. Begriff") == "eins")
    orca.hears("eins", key=key)
    no_list_heard(orca, 1, "paging")
    key = orca.press("Up")
    wait_until("the new entry", lambda: t.field("1. Begriff") == "")
    orca.type("vierx")
    key = orca.press("BackSpace")
    wait_until("a letter deleted", lambda: t.field("1. Begriff") == "vier")
    orca.hears("x", key=key)
    key = orca.press("Return")
    orca.hears("2. Begriff", key=key)
    orca.type("four")
    key = orca.press("Return")
    wait_until("four entries",
               lambda: t.status() == "Lektion enthält 4 Aufgaben (ungesichert)")
    orca.hears("Lektion enthält 4 Aufgaben (ungesichert)", key=key)
    orca.hears("1. Begriff", key=key)
    expect("the focused control", focused_control(t), "1. Begriff")
    no_list_heard(orca, 1, "building")
    discard_and_close(t)


def flashing_by_ear(c):
    """After a wrong answer Orca says the verdict and the solution once; the flashing of the
    solution and the typed answer in the field says nothing more, before or after Enter."""
    lesson = c.write("Z.lsn", lesson_bytes([("eins", "one")]))
    t, orca = by_ear(c, lesson)
    tab_to(t, orca, "Normale Abfrage")
    key = orca.press("space")
    orca.hears("Frage: eins", key=key)
    orca.type("falsch")
    wait_until("the answer typed", lambda: t.field("2. Begriff") == "falsch")
    wrong = orca.press("Return")
    orca.hears("Lösung: one", key=wrong)
    shown = []

    def flashed():  # the field's texts in turn: solution, answer, solution, answer, solution
        text = t.field("2. Begriff")
        if not shown or shown[-1] != text:
            shown.append(text)
        return len(shown) >= 5
    wait_until("the flashing to go through two rounds", flashed)
    field_texts = [s for s in orca.said_for(wrong) if s.strip() in ("one", "falsch")]
    expect("the flashing field heard", field_texts, [])
    on = orca.press("Return")
    wait_until("the repetition question", lambda: t.field("2. Begriff") == "")
    orca.hears("Frage: eins", key=on)
    orca.type("one")
    after = orca.press("Return")
    orca.hears("Richtig.", key=after)
    stale = [s for s in orca.after(on) if s.strip() in ("one", "falsch")]
    expect("the flashing heard after Enter", stale, [])
    escape_closes(t)


def reversed_and_empty_by_ear(c):
    """An empty lesson starts with the keyboard in the first field, where a new lesson is typed;
    a reversed drill says that the second term is shown."""
    t, orca = by_ear(c)
    wait_until("the focus in the first field", lambda: focused_control(t) == "1. Begriff")
    orca.hears("1. Begriff", key=0)
    t.kill()
    lesson = c.write("Z.lsn", lesson_bytes([("eins", "one")]))
    t = c.start(lesson)
    wait_until("the trainer's window to have the focus", lambda: d.focused_window() == t.xid)
    tab_to(t, orca, "Umgekehrte Abfrage")
    key = orca.press("space")
    orca.hears("Frage, 2. Begriff: one", key=key)
    # The answer field is named after the term wanted, the first one here.
    orca.hears("1. Begriff text.", key=key)
    expect("the answer field's name", focused_control(t), "1. Begriff")
    if any("2. Begriff text" in s for s in orca.after(key)):
        raise Failure(f"the answer field called the second term: {orca.after(key)!r}")
    # Orca's command for the status bar (Orca+Enter on the keypad, twice) reads the status line.
    before = orca.key_count()
    d.xdotool("key", "--delay", "40", "KP_Insert+KP_Enter", "KP_Insert+KP_Enter")
    wait_until("Orca to take up the command", lambda: orca.key_count() > before)
    orca.hears("ÜBUNG: 1. Aufgabe", key=before + 1)


def save_by_ear(c):
    """A new lesson typed and saved by keyboard alone: the status line is heard after the entry,
    the save dialog takes the typed name, and Orca is back in the trainer's window after it."""
    t, orca = by_ear(c)
    wait_until("the focus in the first field", lambda: focused_control(t) == "1. Begriff")
    orca.type("Haus")
    orca.press("Return")
    orca.type("house")
    key = orca.press("Return")
    orca.hears("Lektion enthält 1 Aufgaben (ungesichert)", key=key)
    key = tab_to(t, orca, "Speichern")
    orca.hears("Speichern", key=key)
    key = orca.press("space")
    t.window("Speichern unter")
    orca.hears("Speichern unter", key=key)
    orca.hears("Dateien des Typs: Lektion (*.lsn)", key=key)
    orca.type("haus.lsn")
    key = orca.press("Return")
    t.window_gone("Speichern unter")
    wait_until("the lesson file", lambda: os.path.exists(c.path("haus.lsn")) and
               c.read("haus.lsn") == lesson_bytes([("Haus", "house")]))
    orca.hears(TITLE, key=key)
    orca.hears("Lektion enthält 1 Aufgaben", key=key)
    wait_until("the trainer's window to have the keyboard", lambda: d.focused_window() == t.xid)
    expect("the trainer has a focused control", focused_control(t) is not None, True)
    # Paging back to the saved entry: its term is heard once, not also as the field's text.
    up = orca.press("Up")
    orca.hears("Haus", key=up)
    orca.press("End")
    key = orca.press("Left")
    orca.hears("s", key=key)  # Orca speaks in order: all it had to say for Up is said
    heard = [s for s in orca.after(up) if s.replace("notification", "").strip(" .") == "Haus"]
    expect("the term paged to, heard", len(heard), 1)
    escape_closes(t)


def reversed_and_mixed_queries(c):
    """Reversed and mixed exercises, each with a wrong answer; the results table lists both, and
    the "Lernstand-Grafik" button beside it shows where the lesson stands."""
    lesson = c.write("Z.lsn", lesson_bytes(NUMBERS))
    t = c.start(lesson)
    both_ways = dict(NUMBERS) | {b: a for a, b in NUMBERS}
    firsts, seconds = {a for a, _ in NUMBERS}, {b for _, b in NUMBERS}
    t.click("Umgekehrte Abfrage")
    _, asked = answer_all(t, both_ways, wrong_first=True)
    if not set(asked) <= seconds:
        raise Failure(f"reversed questions: {asked}")
    t.activate()
    t.click("Gemischte Abfrage")
    report, asked = answer_all(t, both_ways, wrong_first=True)
    if not (set(asked) & firsts and set(asked) & seconds):
        raise Failure(f"mixed questions all one way: {asked}")
    expect("report title", d.name_of(report), "Ergebnis: Note 3")
    wait_until("two results", lambda: os.path.exists(c.path("DODADIZE.KAZ")) and
               struct.unpack_from("<I", c.read("DODADIZE.KAZ"), 68 + 60)[0] == 3)
    t.click("Prüfungsergebnisse")
    table = t.window("Übungsprotokoll")
    text = report_text(table)
    if text.count("\n") < 3 or "Z" not in text or "Notenschlüssel" not in text:
        raise Failure(f"results table: {text!r}")
    expect("the table's owner", d.transient_for(t.xid_of("Übungsprotokoll")), int(t.xid))
    # The progress picture, from its own module: each entry counted once a direction, both
    # grades, as text a screen reader reads.
    t.click("Lernstand-Grafik", "push button")
    numbers = d.text_of(t.control("Zahlen des Lernstands", window=t.window("Lernstand")))
    boxes = re.findall(r"Begriff gezeigt: " + ", ".join([r"Fach \d: (\d+)"] * 5), numbers)
    expect("entries a direction", [sum(map(int, b)) for b in boxes], [3, 3])
    if numbers.count("3 (") != 2:
        raise Failure(f"grades: {numbers!r}")
    escape_closes(t)


def results_table_window(c):
    """The results table is a message window: no button, sized to its text, centred over the
    main window, as the X server places it; a result of 2040 shows its own date. The progress
    picture opens from the main window's "Lernstand-Grafik" button, by mouse and by keyboard."""
    later = 2218960800  # 2040-04-25 10:00 UTC, beyond 2^31
    c.write("DODADIZE.KAZ", results_log_bytes([(1765026300, "Obst", 2, 12, 3),
                                               (later, "Obst", 1, 12, 0)]))
    t = c.start(c.write("Obst.lsn", lesson_bytes(NUMBERS)))
    t.click("Prüfungsergebnisse")
    table = t.window("Übungsprotokoll")
    rows = report_text(table).split("\n")
    day = time.localtime(later)
    if not any(r.startswith(f"{day.tm_mday:2}.{day.tm_mon:2}. {day.tm_hour:2}:{day.tm_min:02}")
               for r in rows):
        raise Failure(f"the result of 2040 in the table: {rows!r}")
    if any(d.role_of(n) == "push button" for n in d.walk(table)):
        raise Failure("a button in the results table")
    mx, my, mw, mh = d.geometry(t.xid)
    tx, ty, tw, th = d.geometry(t.xid_of("Übungsprotokoll"))
    # 3 header lines, 2 rows, the closing rule and the blank line after its carriage return;
    # the widest line is the rule of 68 characters in a fixed-pitch font, and the window is an
    # eighth wider than its widest line.
    lines, widest = 3 + 2 + 1 + 1, 68
    text_width = [w for w in range(5 * widest, 12 * widest) if w + (w >> 3) == tw]
    if not text_width or (th - 10) % lines != 0:
        raise Failure(f"the table window is {tw} x {th}, not sized to {lines} lines of "
                      f"{widest} characters")
    caption = 19  # the classic title bar the centring counts in
    expect("the table window's top-left", (tx, ty),
           (mx + (mw >> 1) - (tw >> 1), my + (mh >> 1) - ((caption + th) >> 1)))
    d.close_window(t.xid_of("Übungsprotokoll"))
    t.window_gone("Übungsprotokoll")

    button = t.control("Lernstand-Grafik", "push button")
    expect("the picture button's description", button.get_description(),
           "Lernstand-Grafik: Fächer der Lektion und letzte Noten")
    bx, by, bw, bh = d.extents(button)
    rx, ry, rw, rh = d.extents(t.control("Prüfungsergebnisse", "push button"))
    expect("the picture button beside the results button", (by, bh, bx > rx + rw), (ry, rh, True))
    t.click("Lernstand-Grafik", "push button")
    t.control("Zahlen des Lernstands", window=t.window("Lernstand"))
    d.close_window(t.xid_of("Lernstand"))
    t.window_gone("Lernstand")
    # By keyboard: the results button, then Tab to the picture button, Space.
    t.activate()
    t.control("Prüfungsergebnisse", "push button").grab_focus()
    wait_until("the focus on the results button", lambda: d.has_state(
        t.control("Prüfungsergebnisse", "push button"), d.Atspi.StateType.FOCUSED))
    press("Tab")
    wait_until("the focus on the picture button", lambda: d.has_state(
        t.control("Lernstand-Grafik", "push button"), d.Atspi.StateType.FOCUSED))
    press("space")
    t.window("Lernstand")
    d.close_window(t.xid_of("Lernstand"))
    t.window_gone("Lernstand")
    escape_closes(t)


def chart_module_that_is_a_fifo(c):
    """The progress picture's module replaced by a FIFO: the button says the picture is not
    installed, and the trainer goes on answering."""
    t = c.start(c.write("Z.lsn", lesson_bytes(NUMBERS)))
    t.click("Lernstand-Grafik", "push button")  # the module as built shows the picture
    t.control("Zahlen des Lernstands", window=t.window("Lernstand"))
    t.kill()
    module = os.path.join(os.path.dirname(c.program), "libkaz-chart.so")
    os.remove(module)
    os.mkfifo(module)
    t = c.start(c.path("Z.lsn"))
    t.click("Lernstand-Grafik", "push button")
    text = t.answer_box("Lernstand", "OK")
    if "nicht installiert" not in text:
        raise Failure(f"message: {text!r}")
    t.click("Normale Abfrage")
    wait_until("the first question", lambda: t.field("1. Begriff") != "")
    t.click("Übung abbrechen")
    t.answer_box(ABORT_CAPTION, "Ja")
    escape_closes(t)


def qt_options_on_the_command_line(c):
    """Qt's own options before the lesson, with two dashes: Qt takes them, the trainer opens
    with the lesson loaded."""
    lesson = c.write("Z.lsn", lesson_bytes(NUMBERS))
    t = c.start("--style", "Fusion", "--widgetcount", lesson)
    wait_until("the lesson loaded", lambda: t.title() == TITLE + lesson.upper())
    expect("the lesson's rows", [r[0] for r in t.rows("1. Begriffe")],
           [" < NEU >", "drei", "eins", "zwei"])
    escape_closes(t)


def due_drill_days_later(c):
    """A normal drill with one wrong answer; a day later the due button counts the wrong entry
    and every entry never asked the other way, and the due drill asks exactly those; two days
    later the entries answered right come due."""
    pairs = [("Apfel", "apple"), ("Birne", "pear"), ("Kirsche", "cherry"), ("Pflaume", "plum")]
    lesson = c.write("Obst.lsn", lesson_bytes(pairs))
    both_ways = dict(pairs) | {b: a for a, b in pairs}

    def due_button(t, due):
        return t.control(f"Fällige Abfrage: {due} fällig")

    t = c.start(lesson)
    due_button(t, 8)  # never asked: every entry in both directions
    t.click("Normale Abfrage")
    _, asked = answer_all(t, both_ways, wrong_first=True)
    wrong = asked[0]
    due_button(t, 4)  # today only the other direction, never asked, is due
    escape_closes(t)

    # The program keeps no clock of its own for tests: a variable that once moved it a day on
    # moves nothing.
    t = c.start(lesson, env={"KAZ_CLOCK_OFFSET_DAYS": "1"})
    due_button(t, 4)
    escape_closes(t)

    t = c.start(lesson, env=d.days_later(1))
    due_button(t, 5)
    t.click("Fällige Abfrage: 5 fällig")
    _, asked = answer_all(t, both_ways)
    expect("the due questions", sorted(asked), sorted([wrong] + [b for _, b in pairs]))
    due_button(t, 0)
    t.click("Fällige Abfrage: 0 fällig")
    t.answer_box("Fällige Abfrage", "OK")
    escape_closes(t)

    t = c.start(lesson, env=d.days_later(2))
    due_button(t, 3)
    t.click("Fällige Abfrage: 3 fällig")
    _, asked = answer_all(t, both_ways)
    expect("the entries answered right two days ago", sorted(asked),
           sorted(a for a, _ in pairs if a != wrong))
    escape_closes(t)


def damaged_learning_record(c):
    """A learning record that is no database: one notice, the file kept aside, and the drill
    runs as ever, its answers going into the new record."""
    c.write("LERNSTAND.DB", b"kein Lernstand" * 300)
    t = c.start(c.write("Z.lsn", lesson_bytes(NUMBERS)))
    text = t.answer_box("Lernstand", "OK")
    if "beschädigt" not in text or "LERNSTAND.DB.beschaedigt-" not in text:
        raise Failure(f"notice: {text!r}")
    aside = [n for n in os.listdir(c.folder) if n.startswith("LERNSTAND.DB.beschaedigt-")]
    expect("the damaged file kept aside", [c.read(n) for n in aside], [b"kein Lernstand" * 300])
    t.click("Normale Abfrage")
    report, _ = answer_all(t, dict(NUMBERS), wrong_first=True)
    expect("report title", d.name_of(report), "Ergebnis: Note 3")
    t.control("Fällige Abfrage: 3 fällig")  # the other direction: the new record took the drill
    if t.find_window("Lernstand"):
        raise Failure("a second notice")
    escape_closes(t)


def locked_learning_record(c):
    """A learning record another program holds locked through a whole drill: one notice, the
    drill runs to its report, and the answers it could not write go in once the lock is gone."""
    t = c.start(c.write("Z.lsn", lesson_bytes(NUMBERS)))
    t.control("Fällige Abfrage: 6 fällig")  # the record is open
    holder = sqlite3.connect(c.path("LERNSTAND.DB"), isolation_level=None)
    holder.execute("BEGIN EXCLUSIVE")
    t.click("Normale Abfrage")
    question = wait_until("the first question", lambda: t.field("1. Begriff"))
    type_text(dict(NUMBERS)[question])
    press("Return")
    if "nicht geführt" not in t.answer_box("Lernstand", "OK"):
        raise Failure("no notice that the record is not kept")
    t.activate()
    report, _ = answer_all(t, dict(NUMBERS))
    expect("report title", d.name_of(report), "Ergebnis: Note 1")
    if t.find_window("Lernstand"):
        raise Failure("a second notice")
    holder.execute("ROLLBACK")
    holder.close()
    escape_closes(t)
    expect("the answers given while locked", record_answers(c),
           sorted((first, 0, 1, 1) for first, _ in NUMBERS))


def record_notice_when_it_matters(c):
    """The record cannot be made (a folder stands where its file would be): no notice at the
    start, one at the first answer it cannot keep, the drill runs to its report. Closing says
    how many answers are lost; where the fault has gone by then, every answer goes in."""
    os.mkdir(c.path("LERNSTAND.DB"))
    lesson = c.write("Z.lsn", lesson_bytes(NUMBERS))
    for fault_stays in (True, False):
        t = c.start(lesson)
        t.control("Fällige Abfrage: 6 fällig")  # the record was tried
        t.click("Normale Abfrage")
        question = wait_until("the first question", lambda: t.field("1. Begriff"))
        if t.find_window("Lernstand"):
            raise Failure("a notice before any answer: " + t.answer_box("Lernstand", "OK"))
        type_text(dict(NUMBERS)[question])
        press("Return")
        if "nicht geführt" not in t.answer_box("Lernstand", "OK"):
            raise Failure("no notice that the record is not kept")
        t.activate()
        report, _ = answer_all(t, dict(NUMBERS))
        expect("report title", d.name_of(report), "Ergebnis: Note 1")
        if t.find_window("Lernstand"):
            raise Failure("a second notice")
        t.activate()
        press("Escape")
        if fault_stays:
            text = t.answer_box("Lernstand", "OK")
            if not text.startswith("3 Antworten konnten nicht in den Lernstand geschrieben"):
                raise Failure(f"what closing says: {text!r}")
            t.close()
        else:
            os.rmdir(c.path("LERNSTAND.DB"))  # the fault is gone before the trainer closes
            t.close()
            expect("the answers kept at close", record_answers(c),
                   sorted((first, 0, 1, 1) for first, _ in NUMBERS))


def start_and_escape_leave_no_record(c):
    """A start that asks nothing leaves no learning record, not even an empty one."""
    t = c.start(c.write("Z.lsn", lesson_bytes(NUMBERS)))
    t.control("Fällige Abfrage: 6 fällig")  # the record was opened
    escape_closes(t)
    expect("files left", sorted(n for n in os.listdir(c.folder) if n.startswith("LERNSTAND")), [])


def killed_during_drills(c):
    """The trainer killed (SIGKILL) in mixed drills, each time 0 to 8 ms after Return on a
    random answer was sent off: every next start opens the record without a notice, moves
    nothing aside, and finds every answer the trainer had taken, only the one under way may
    be missing; a copy of the record's file alone (without its side files, as a sync tool may
    take it) made then, the trainer waiting for its first drill, holds them too. E2E_SEED repeats a run, E2E_KILLS (50) sets how many kills."""
    kills = int(os.environ.get("E2E_KILLS", 50))
    seed = int(os.environ.get("E2E_SEED", random.randrange(10**6)))
    print(f"  seed {seed}", flush=True)
    rng = random.Random(seed)
    pairs = [("Apfel", "apple"), ("Birne", "pear"), ("Kirsche", "cherry"), ("Pflaume", "plum")]
    lesson = c.write("Obst.lsn", lesson_bytes(pairs))
    answers = dict(pairs) | {b: a for a, b in pairs}
    card = {a: (a, 0) for a, _ in pairs} | {b: (a, 1) for a, b in pairs}
    taken, under_way, kept = Counter(), Counter(), 0
    copies = os.path.join(c.root, "copy")
    os.makedirs(copies)
    for start in range(kills + 1):
        t = c.start(lesson)
        wait_until("the record open", lambda: any(d.name_of(n).startswith("Fällige Abfrage: ")
                                                  for n in d.walk(t.main)))
        # What a sync tool or a backup takes now: the record's file alone. There is none yet
        # when every kill so far came before the first answer was written.
        if start > 0 and os.path.exists(c.path("LERNSTAND.DB")):
            alone = os.path.join(copies, f"LERNSTAND-{start}.DB")
            with open(c.path("LERNSTAND.DB"), "rb") as f, open(alone, "wb") as out:
                out.write(f.read())
            held = record_counts(c, alone)
            if held not in (taken, taken + under_way):
                raise Failure(f"start {start + 1}: the file alone holds {held}, the trainer "
                              f"took {taken}, then {under_way} was under way")
        held = record_counts(c)
        if held not in (taken, taken + under_way) or ".beschaedigt-" in str(os.listdir(c.folder)):
            raise Failure(f"start {start + 1}: the record holds {held}, the trainer took {taken}, "
                          f"then {under_way} was under way; files: {os.listdir(c.folder)}")
        kept, taken = kept + (held != taken), held
        t.click("Gemischte Abfrage")
        question = next_question(t)
        count = rng.randint(1, 3) if start < kills else 0  # fewer than the entries: no report
        for i in range(count):
            right = rng.random() < 0.7
            under_way = Counter([card[question] + (right,)])
            key = type_answer(t, answers[question] if right else "falsch", wait=i < count - 1)
            if i == count - 1:
                time.sleep(rng.uniform(0, 0.008))  # where the kill lands, not a wait
                t.kill()
                key.wait()
                break
            if not right:
                wait_until("the correction", lambda: t.field("2. Begriff") != "falsch")
                press("Return")
            question = next_question(t, question)
            taken += under_way
    print(f"  {kills} kills; the answer under way was kept {kept} times", flush=True)


def two_trainers_drill_together(c):
    """Two trainers in one folder drill the same lesson at once, answering in turn: the
    learning record holds every answer of both."""
    pairs = [(f"Wort{i}", f"word{i}") for i in range(5)]
    lesson = c.write("W.lsn", lesson_bytes(pairs))
    trainers, questions = [], []
    for _ in range(2):  # the second opens over the first; the keyboard goes where X puts it
        trainers.append(c.start(lesson))
        trainers[-1].click("Normale Abfrage")
        questions.append(next_question(trainers[-1]))
    for _ in pairs[1:]:
        for i, t in enumerate(trainers):
            d.xdotool("windowfocus", "--sync", t.xid)
            type_answer(t, dict(pairs)[questions[i]])
            questions[i] = next_question(t, questions[i])
    for t in trainers:
        d.xdotool("windowfocus", "--sync", t.xid)
        answer_all(t, dict(pairs))
        if t.find_window("Lernstand"):
            raise Failure("a notice")
    expect("the answers of both", record_counts(c), Counter({(a, 0, True): 2 for a, _ in pairs}))
    for t in trainers:
        d.close_window(t.xid)
        t.close()


class SyncthingPair:
    """Two Syncthing instances on this machine's loopback only, each sharing one folder with
    the other: no discovery, no relays, no NAT traversal, no usage reports, started and stopped
    by the scenario."""

    def __init__(self, root, folders):
        import socket
        import xml.etree.ElementTree as ET
        self.root, self.folders, self.processes = root, folders, [None, None]
        ports = []
        for _ in range(4):
            with socket.socket() as s:
                s.bind(("127.0.0.1", 0))
                ports.append(s.getsockname()[1])
        self.homes = [os.path.join(root, f"syncthing-{i}") for i in range(2)]
        ids = []
        for home in self.homes:
            subprocess.run(["syncthing", "generate", f"--home={home}", "--no-default-folder",
                            "--skip-port-probing"], check=True, capture_output=True)
            ids.append(ET.parse(os.path.join(home, "config.xml")).find("device").get("id"))
        for i, home in enumerate(self.homes):
            path = os.path.join(home, "config.xml")
            tree = ET.parse(path)
            conf = tree.getroot()
            for old in conf.findall("device") + conf.findall("folder"):
                conf.remove(old)
            folder = ET.SubElement(conf, "folder", id="kaz", label="kaz", path=folders[i],
                                   type="sendreceive", rescanIntervalS="3600",
                                   fsWatcherEnabled="true", fsWatcherDelayS="1")
            for d in ids:
                ET.SubElement(folder, "device", id=d)
            for j, d in enumerate(ids):
                device = ET.SubElement(conf, "device", id=d, name=f"computer-{j}",
                                       compression="metadata")
                ET.SubElement(device, "address").text = (
                    "dynamic" if j == i else f"tcp://127.0.0.1:{ports[j]}")
            gui = conf.find("gui")
            gui.set("tls", "false")
            gui.find("address").text = f"127.0.0.1:{ports[2 + i]}"
            options = conf.find("options")
            for name, value in (("listenAddress", f"tcp://127.0.0.1:{ports[i]}"),
                                ("globalAnnounceEnabled", "false"),
                                ("localAnnounceEnabled", "false"), ("relaysEnabled", "false"),
                                ("natEnabled", "false"), ("urAccepted", "-1"),
                                ("autoUpgradeIntervalH", "0"), ("startBrowser", "false"),
                                ("crashReportingEnabled", "false")):
                for old in options.findall(name):
                    options.remove(old)
                ET.SubElement(options, name).text = value
            tree.write(path)
            os.makedirs(os.path.join(folders[i], ".stfolder"), exist_ok=True)
        for i in range(2):
            self.start(i)

    def start(self, i):
        log = open(os.path.join(self.root, f"syncthing-{i}.log"), "a")
        self.processes[i] = subprocess.Popen(
            ["syncthing", "serve", f"--home={self.homes[i]}", "--no-browser", "--no-restart"],
            stdout=log, stderr=subprocess.STDOUT, env=os.environ | {"STNOUPGRADE": "1"})

    def stop(self, i):
        if self.processes[i] is not None and self.processes[i].poll() is None:
            self.processes[i].terminate()
            self.processes[i].wait(timeout=30)
        self.processes[i] = None

    def close(self):
        for i in range(2):
            self.stop(i)

    def wait_same(self, what, names, timeout=120):
        """Waits until both folders hold the same files `names` and no side files."""
        def look():
            held = []
            for folder in self.folders:
                files = os.listdir(folder)
                if any(n.endswith(("-wal", "-shm", "-journal")) or n.startswith(".syncthing.")
                       for n in files):
                    return False
                try:
                    held.append([open(os.path.join(folder, n), "rb").read() for n in names])
                except OSError:
                    return False
            return held[0] == held[1]
        wait_until(what, look, timeout=timeout)


def two_computers_by_syncthing(c):
    """A school and a home computer, each a trainer in its own working folder, the folders
    kept in step by Syncthing over loopback: drills on both, one after the other, leave both
    folders one record with every answer of both. Then both drill while the home computer's
    Syncthing is stopped, and the home record is made a conflict copy as Syncthing names one:
    once Syncthing has carried it to school, the next start there merges its answers, once,
    and moves it aside, so that both folders hold every answer of all four drills, none
    twice."""
    pairs = [("Haus", "house"), ("Baum", "tree"), ("Hund", "dog")]
    school, home = c.folder, os.path.join(c.root, "home")
    os.makedirs(home)
    c.write("Z.lsn", lesson_bytes(pairs))
    sync = SyncthingPair(c.root, [school, home])

    def drill(folder):
        if folder == school:
            t = c.start(c.path("Z.lsn"))  # the first start makes the program copy
        else:
            t = d.Trainer(c.program, home, [os.path.join(home, "Z.lsn")],
                          log=os.path.join(c.root, "trainer.log"))
            c.trainers.append(t)
        t.click("Normale Abfrage")
        answer_all(t, dict(pairs))
        if t.find_window("Lernstand"):
            raise Failure("a notice: " + t.answer_box("Lernstand", "OK"))
        escape_closes(t)

    def answers_in(folder):
        return record_counts(c, os.path.join(folder, "LERNSTAND.DB"))

    try:
        sync.wait_same("the lesson at home", ["Z.lsn"])
        drill(school)
        sync.wait_same("the record at home", ["LERNSTAND.DB"])
        drill(home)
        sync.wait_same("the record back at school", ["LERNSTAND.DB"])
        both = Counter({(a, 0, True): 2 for a, _ in pairs})
        expect("answers at school", answers_in(school), both)
        expect("answers at home", answers_in(home), both)

        sync.stop(1)  # the home computer offline: both drill
        drill(school)
        drill(home)
        # What Syncthing leaves when both changed the record: one of them as a conflict copy.
        # Made here on purpose at home, so that the copy and the record travel by Syncthing.
        copy = "LERNSTAND.sync-conflict-20261208-181500-HOMEPC1.DB"
        os.rename(os.path.join(home, "LERNSTAND.DB"), os.path.join(home, copy))
        sync.start(1)

        def conflict_copies(folder):
            return [n for n in os.listdir(folder)
                    if n.startswith("LERNSTAND.sync-conflict-") and n.endswith(".DB")]
        try:
            wait_until("the conflict copy at school and the record at home",
                       lambda: conflict_copies(school) and
                       os.path.exists(os.path.join(home, "LERNSTAND.DB")), timeout=120)
        except Failure as e:
            logs = "".join(open(os.path.join(c.root, f"syncthing-{i}.log")).read()[-1500:]
                           for i in range(2))
            raise Failure(f"{e}; school: {sorted(os.listdir(school))}, "
                          f"home: {sorted(os.listdir(home))}; {logs}")
        sync.wait_same("the record and its conflict copy in both folders",
                       ["LERNSTAND.DB", conflict_copies(school)[0]])
        t = c.start(c.path("Z.lsn"))
        text = t.answer_box("Lernstand", "OK")
        if "Konfliktkopie" not in text or "3 Antworten" not in text:
            raise Failure(f"the notice: {text!r}")
        escape_closes(t)
        wait_until("the conflict copy moved aside in both folders",
                   lambda: not conflict_copies(school) and not conflict_copies(home), timeout=120)
        sync.wait_same("the merged record in both folders", ["LERNSTAND.DB"])
        all_four = Counter({(a, 0, True): 4 for a, _ in pairs})
        expect("answers at school", answers_in(school), all_four)
        expect("answers at home", answers_in(home), all_four)
    finally:
        sync.close()


def results_notice_and_help(c):
    """The results button without results shows the notice; the help button the help viewer."""
    c.with_help = True
    t = c.start()
    t.click("Prüfungsergebnisse")
    notice = t.window("Übungsergebnis", prefix=True)
    if "Kein aktuelles Ergebnis verfügbar!" not in report_text(notice):
        raise Failure(f"notice: {report_text(notice)!r}")
    # The viewer started with the trainer; once it has gone, the help button brings it back.
    viewer = wait_until("the help viewer", lambda: d.help_window_pid(c.root))
    os.kill(viewer, 15)
    wait_until("the help viewer to end", lambda: d.help_window_pid(c.root) is None)
    t.click("Informationen + Hilfe")
    wait_until("the help viewer again", lambda: d.help_window_pid(c.root))
    escape_closes(t)


def row_clicks(c):
    """A click on a row of either list shows that entry and selects its partner row."""
    lesson = c.write("Z.lsn", lesson_bytes(NUMBERS))
    t = c.start(lesson)
    t.click_row("1. Begriffe", "zwei")
    wait_until("zwei shown", lambda: (t.field("1. Begriff"), t.field("2. Begriff")) ==
               ("zwei", "two"))
    expect("partner row", t.selected_row("2. Begriffe"), "two")
    t.click_row("2. Begriffe", "one")
    wait_until("eins shown", lambda: (t.field("1. Begriff"), t.field("2. Begriff")) ==
               ("eins", "one"))
    expect("partner row", t.selected_row("1. Begriffe"), "eins")
    t.click_row("1. Begriffe", " < NEU >")
    wait_until("the new entry", lambda: (t.field("1. Begriff"), t.field("2. Begriff")) == ("", ""))
    expect("partner row", t.selected_row("2. Begriffe"), " < NEU >")
    # Keys inside a list pick rows too (Up and Down page through the lesson instead). Showing
    # an entry puts the focus into the first field; Tab leads on to the list.
    press(*["Tab"] * 7)
    wait_until("the focus in the first list",
               lambda: d.has_state(t.control("1. Begriffe"), d.Atspi.StateType.FOCUSED))
    press("End")
    wait_until("the last row's entry", lambda: t.field("1. Begriff") == "zwei")
    expect("partner row", t.selected_row("2. Begriffe"), "two")
    escape_closes(t)


def rows_of_equal_entries(c):
    """Entries with the same first term, two of them the same pair: a click on a row of either
    list shows that row's own entry (Down then shows the entry after it in the lesson), and
    deleting one leaves the other two."""
    pairs = [("Bank", "bench"), ("Bank", "bank"), ("Bank", "bench")]
    lesson = c.write("B.lsn", lesson_bytes(pairs))
    t = c.start(lesson)

    def shown():
        return t.field("1. Begriff"), t.field("2. Begriff")

    def selected_index(list_name):
        picks = [selected for _, selected, _ in t.rows(list_name)]
        return picks.index(True) if True in picks else None

    for list_name, column in (("1. Begriffe", 0), ("2. Begriffe", 1)):
        for row, pair in enumerate(pairs, start=1):
            text = pair[column]
            t.click_row(list_name, text, nth=[p[column] for p in pairs[:row]].count(text) - 1)
            wait_until(f"row {row} of {list_name} picked",
                       lambda: shown() == pair and selected_index(list_name) == row)
            expect("partner row", selected_index("2. Begriffe" if column == 0 else "1. Begriffe"),
                   row)
            press("Down")
            following = pairs[row] if row < len(pairs) else ("", "")
            wait_until(f"the entry after row {row}", lambda: shown() == following)
    t.click_row("1. Begriffe", "Bank", nth=2)
    wait_until("the third row picked", lambda: selected_index("1. Begriffe") == 3)
    t.click("2. Begriff", "text")
    press("End", "shift+Home", "BackSpace")
    wait_until("the second term emptied", lambda: t.field("2. Begriff") == "")
    press("Return")
    expect("question text", t.answer_box("Löschen?", "Ja"), "Soll dieser Eintrag gelöscht werden?")
    wait_until("two entries left", lambda: t.status() == "Lektion enthält 2 Aufgaben (ungesichert)")
    expect("first terms", [r[0] for r in t.rows("1. Begriffe")], [" < NEU >", "Bank", "Bank"])
    expect("second terms", [r[0] for r in t.rows("2. Begriffe")], [" < NEU >", "bench", "bank"])
    # The entry before the deleted last one is shown, in its own row.
    wait_until("the entry before it", lambda: shown() == ("Bank", "bank"))
    expect("its row", (selected_index("1. Begriffe"), selected_index("2. Begriffe")), (2, 2))
    discard_and_close(t)


def keys(c):
    """Down and Up page in the order of entry; Enter moves from the first field to the second
    and applies from the second; Tab moves on; Escape with unsaved changes asks first."""
    lesson = c.write("Z.lsn", lesson_bytes(NUMBERS))
    t = c.start(lesson)
    t.click("1. Begriff", "text")
    press("Down")
    wait_until("first entry", lambda: t.field("1. Begriff") == "eins")
    press("Down", "Down")
    wait_until("third entry", lambda: t.field("1. Begriff") == "drei")
    expect("row", t.selected_row("1. Begriffe"), "drei")
    press("Up")
    wait_until("second entry", lambda: t.field("1. Begriff") == "zwei")
    press("End", "shift+Home")
    type_text("Zwei")
    press("Return")
    wait_until("focus in the second field",
               lambda: d.has_state(t.control("2. Begriff"), d.Atspi.StateType.FOCUSED))
    press("Return")
    expect("question text", t.answer_box("Ändern?", "Ja"),
           "Soll dieser Eintrag geändert werden?")
    wait_until("the changed row", lambda: "Zwei" in [r[0] for r in t.rows("1. Begriffe")])
    wait_until("focus back in the first field",
               lambda: d.has_state(t.control("1. Begriff"), d.Atspi.StateType.FOCUSED))
    press("Tab")
    wait_until("Tab to the second field",
               lambda: d.has_state(t.control("2. Begriff"), d.Atspi.StateType.FOCUSED))
    press("Tab")
    wait_until("Tab to the first threshold",
               lambda: d.has_state(t.control("Note 1 ab Prozent"), d.Atspi.StateType.FOCUSED))
    press("Escape")
    t.answer_box("Aktuelle Lektion", "Abbrechen")
    if not t.running():
        raise Failure("Cancel ended the trainer")
    t.activate()
    press("Escape")
    t.answer_box("Aktuelle Lektion", "Nein")
    t.close()
    expect("lesson file", c.read("Z.lsn"), lesson_bytes(NUMBERS))


def wheel_keeps_lists_in_line(c):
    """Scrolling the second list with the wheel: it follows the first list's top row again."""
    pairs = [(f"Wort{i:02}", f"word{i:02}") for i in range(30)]
    lesson = c.write("W.lsn", lesson_bytes(pairs))
    t = c.start(lesson)
    second = t.control("2. Begriffe", "list")
    x, y = d.centre(second)
    d.xdotool("mousemove", x, y)
    for _ in range(2):
        d.xdotool("click", "5")

    def in_line():
        first = t.rows("1. Begriffe")
        other = t.rows("2. Begriffe")
        return first and other and first[0][0].replace("Wort", "") == \
            other[0][0].replace("word", "") and first[0][0] != " < NEU >" or \
            (first and first[0][0] == " < NEU >" and other[0][0] == " < NEU >")
    wait_until("the second list back in line with the first", in_line, timeout=5)
    top1, top2 = t.rows("1. Begriffe")[0][0], t.rows("2. Begriffe")[0][0]
    expect("top rows", top2.replace("word", "Wort"), top1)
    # The first list's wheel carries the second one along.
    first = t.control("1. Begriffe", "list")
    d.xdotool("mousemove", *d.centre(first))
    for _ in range(3):
        d.xdotool("click", "5")
    wait_until("the first list scrolled", lambda: t.rows("1. Begriffe")[0][0] != " < NEU >")
    wait_until("both in line", lambda: t.rows("2. Begriffe")[0][0].replace("word", "Wort") ==
               t.rows("1. Begriffe")[0][0], timeout=5)
    escape_closes(t)


def options_after_dialogs(c):
    """An option button switches with the first click, also right after a message box and
    after the file dialog; the flags are stored as 0 or 1."""
    c.write("DODADIZE.CFG", b"\x05" + DEFAULT_CFG[1:])
    t = c.start()
    case = t.control("ab = AB")
    expect("ignore case from the settings", d.checked(case), True)
    t.click("1. Begriff", "text")
    type_text("allein")
    press("Return", "Return")
    t.answer_box("Begriff fehlt", "OK")
    t.click("ab = AB")
    wait_until("ignore case off after one click", lambda: not d.checked(t.control("ab = AB")))
    t.click("ab = AB")
    wait_until("ignore case on again", lambda: d.checked(t.control("ab = AB")))
    t.click("Lektion laden")
    t.window("Öffnen")
    press("Escape")
    t.window_gone("Öffnen")
    t.click("a, b = a b")
    wait_until("punctuation on after one click", lambda: d.checked(t.control("a, b = a b")))
    t.click("1. Begriff", "text")
    press("ctrl+a", "BackSpace")
    escape_closes(t)
    expect("settings file", c.read("DODADIZE.CFG")[:3], b"\x01\x01\x00")


def open_dialog_offers_the_lesson(c):
    """With a named but empty lesson, the open dialog offers its real path: Enter loads it."""
    lesson = c.write("magic.lsn", b"vtfile\0")
    t = c.start(lesson)
    expect("title", t.title(), TITLE + lesson.upper())
    t.click("Lektion laden")
    t.window("Öffnen")
    press("Return")
    t.window_gone("Öffnen")
    wait_until("the title", lambda: t.title() == TITLE + lesson.upper() and
               t.find_window("Dateifehler") is None, timeout=5)
    if t.find_window("Dateifehler") is not None:
        raise Failure("the offered name was not found")
    escape_closes(t)


def choose_file_type(t, dialog, wanted):
    """Opens the file-type box of a file dialog with a click and clicks the wanted type in
    the list that drops down."""
    def type_box():
        for n in d.walk(dialog):
            if d.role_of(n) == "combo box" and d.showing(n) and \
                    "(*." in d.name_of(n) + (d.text_of(n) or ""):
                return n
        return None
    box = wait_until("the file-type box", type_box, alive=t.running)
    d.click_at(*d.centre(box))

    def item():
        for w in d._children(t.app):
            for n in d.walk(w):
                if d.name_of(n) == wanted and d.role_of(n) != "combo box" and d.showing(n):
                    return n
        return None
    d.click_at(*d.centre(wait_until(f"the type \"{wanted}\" in the list", item,
                                    alive=t.running)))
    wait_until(f"the type \"{wanted}\" chosen",
               lambda: wanted in d.name_of(box) + (d.text_of(box) or ""), alive=t.running)
    # The type box keeps the keyboard; the name goes into the name field.
    name_field = t.click("Dateiname:", "text", window=dialog)
    wait_until("the focus in the name field",
               lambda: d.has_state(name_field, d.Atspi.StateType.FOCUSED), alive=t.running)


def import_and_export_table(c):
    """A list saved by a German spreadsheet program (Windows-1252, semicolons, "sep=;") read
    through the open dialog's table type: the lists, the message naming the refused row, a
    new unsaved lesson, a tidied cell named with what it was; then written through the save
    dialog's table type as CSV, byte for byte, a formula-like term as the formula of its text,
    and the lesson stays unsaved and without a name."""
    c.write("Liste.csv", b"sep=;\r\nHaus;house\r\nBaum;tree\r\n\xd6l;\r\n"
                         b"\"Apfel; Birne\";\"apple; pear\"\r\n3,5 kg;=1+1\r\n")
    t = c.start()
    t.click("Lektion laden")
    dialog = t.window("Öffnen")
    choose_file_type(t, dialog, "Tabelle (*.csv *.tsv *.txt)")
    type_text("Liste.csv")
    press("Return")
    t.window_gone("Öffnen")
    text = t.answer_box("Tabelle eingelesen", "OK")
    if ("4 Zeilen übernommen." not in text or "Zeile 3: zweiter Begriff fehlt" not in text or
            "Zeile 5: „3,5 kg“ → „3, 5 kg“" not in text):
        raise Failure(f"message: {text!r}")
    expect("title", t.title(), TITLE + "NEU")
    expect("status", t.status(), "Lektion enthält 4 Aufgaben (ungesichert)")
    expect("first list", [r[0] for r in t.rows("1. Begriffe")],
           [" < NEU >", "3, 5 kg", "Apfel; Birne", "Baum", "Haus"])
    expect("second list", [r[0] for r in t.rows("2. Begriffe")],
           [" < NEU >", "=1+1", "apple; pear", "tree", "house"])

    t.click("Speichern")
    dialog = t.window("Speichern unter")
    choose_file_type(t, dialog, "Tabelle (*.csv)")
    type_text("Export")
    press("Return")
    t.window_gone("Speichern unter")
    expected = (b"\xef\xbb\xbfHaus;house\r\nBaum;tree\r\n"
                b"\"Apfel; Birne\";\"apple; pear\"\r\n3, 5 kg;\"=\"\"=1+1\"\"\"\r\n")
    wait_until("the table file", lambda: os.path.exists(c.path("Export.csv")) and
               c.read("Export.csv") == expected)
    expect("title after exporting", t.title(), TITLE + "NEU")
    expect("status after exporting", t.status(), "Lektion enthält 4 Aufgaben (ungesichert)")
    t.activate()
    press("Escape")
    t.answer_box("Aktuelle Lektion", "Nein")
    t.close()
    expect("files in the folder", sorted(f for f in os.listdir(c.folder)
                                         if f not in ("DODADIZE.CFG", "LERNSTAND.DB")),
           ["Export.csv", "Liste.csv"])


def other_trainers_file_and_lesson_on_paper(c):
    """A KDE trainer's KVTML file read through the open dialog's type "Andere
    Vokabelprogramme": the message with the entry it could not take, the lists in the file's
    lesson order, a new unsaved lesson; then printed through the save dialog's types as a PDF
    word list and a PDF test, read back with pdftotext, the lesson still unsaved and nameless."""
    c.write("Wörter.kvtml", (
        '<?xml version="1.0" encoding="UTF-8"?>\n<!DOCTYPE kvtml PUBLIC "kvtml2.dtd" '
        '"http://edu.kde.org/kvtml/kvtml2.dtd">\n<kvtml version="2.0"><identifiers>'
        '<identifier id="0"><locale>de</locale></identifier><identifier id="1"><locale>en'
        '</locale></identifier></identifiers><entries>'
        '<entry id="0"><translation id="0"><text>Mädchen</text></translation>'
        '<translation id="1"><text>girl</text></translation></entry>'
        '<entry id="1"><translation id="0"><text>Öl</text></translation></entry>'
        '<entry id="2"><translation id="0"><text>Straße</text></translation>'
        '<translation id="1"><text>street</text></translation></entry></entries>'
        '<lessons><container><name>L1</name><entry id="2"/><entry id="0"/></container>'
        '</lessons></kvtml>\n').encode())
    t = c.start()
    t.click("Lektion laden")
    dialog = t.window("Öffnen")
    choose_file_type(t, dialog, "Andere Vokabelprogramme (*.kvtml *.pau.gz *.pau *.txt)")
    type_text("Wörter.kvtml")
    press("Return")
    t.window_gone("Öffnen")
    expect("message", t.answer_box("Vokabeln eingelesen", "OK"),
           "2 Einträge übernommen.\n1 Eintrag nicht übernommen:\nEintrag 2: zweiter Begriff fehlt")
    expect("title", t.title(), TITLE + "NEU")
    expect("status", t.status(), "Lektion enthält 2 Aufgaben (ungesichert)")
    expect("first list", [r[0] for r in t.rows("1. Begriffe")], [" < NEU >", "Mädchen", "Straße"])

    for file_type, name in (("Wortliste (*.pdf)", "Liste"), ("Test (*.pdf)", "Probe")):
        t.click("Speichern")
        dialog = t.window("Speichern unter")
        choose_file_type(t, dialog, file_type)
        type_text(name)
        press("Return")
        t.window_gone("Speichern unter")
        wait_until(f"{name}.pdf", lambda: os.path.exists(c.path(f"{name}.pdf")) and
                   os.path.getsize(c.path(f"{name}.pdf")) > 0)
        expect("title after printing", t.title(), TITLE + "NEU")
        expect("status after printing", t.status(), "Lektion enthält 2 Aufgaben (ungesichert)")
    text = subprocess.run(["pdftotext", "-layout", c.path("Liste.pdf"), "-"], capture_output=True,
                          check=True).stdout.decode()
    rows = [line.split() for line in text.splitlines() if "girl" in line or "street" in line]
    expect("word list rows", rows, [["Mädchen", "girl"], ["Straße", "street"]])
    test = subprocess.run(["pdftotext", "-layout", c.path("Probe.pdf"), "-"], capture_output=True,
                          check=True).stdout.decode()
    pages = test.split("\f")
    if not ("Mädchen" in pages[0] and "Straße" in pages[0] and "girl" not in pages[0] and
            "Lösungen" in pages[1] and "girl" in pages[1] and "street" in pages[1]):
        raise Failure(f"test sheet: {test!r}")
    discard_and_close(t)


def table_typed_with_the_lesson_type(c):
    """A word list's name typed into the open dialog while its type is still the lesson's: the
    file holds no lesson, so it is read as the table its name says, as on the command line."""
    c.write("liste.csv", b"Haus;house\r\nBaum;tree\r\n")
    t = c.start()
    t.click("Lektion laden")
    t.window("Öffnen")
    type_text("liste.csv")
    press("Return")
    t.window_gone("Öffnen")
    expect("message", t.answer_box("Tabelle eingelesen", "OK"), "2 Zeilen übernommen.")
    expect("title", t.title(), TITLE + "NEU")
    expect("status", t.status(), "Lektion enthält 2 Aufgaben (ungesichert)")
    discard_and_close(t)


def cancelled_save_dialog_changes_nothing(c):
    """Escape in the save dialog of a new lesson: the list stays where the wheel scrolled it and
    the focus on the button that opened the dialog."""
    table = c.write("Liste.csv", b"".join(b"Wort%02d;word%02d\r\n" % (i, i) for i in range(30)))
    t = c.start(table)
    t.answer_box("Tabelle eingelesen", "OK")
    d.xdotool("mousemove", *d.centre(t.control("1. Begriffe", "list")))
    for _ in range(3):
        d.xdotool("click", "5")
    top = wait_until("the list scrolled", lambda: next(
        (r[0] for r in t.rows("1. Begriffe")[:1] if r[0] != " < NEU >"), None))
    save = t.click("Speichern")
    t.window("Speichern unter")
    press("Escape")
    t.window_gone("Speichern unter")
    wait_until("the focus back on the save button, not in a term field",
               lambda: d.has_state(save, d.Atspi.StateType.FOCUSED))
    expect("top row of the list", t.rows("1. Begriffe")[0][0], top)
    expect("status", t.status(), "Lektion enthält 30 Aufgaben (ungesichert)")
    discard_and_close(t)


def table_that_never_ends(c):
    """A FIFO named as a table on the command line is refused at once, and the window then
    answers; so is a table linked to /dev/zero, through the open dialog's table type."""
    os.mkfifo(c.path("x.csv"))
    os.symlink("/dev/zero", c.path("null.csv"))
    t = c.start("x.csv")
    expect("message", t.answer_box("Dateifehler", "OK"), "Datei X.CSV nicht gefunden")
    t.click("Lektion laden")
    dialog = t.window("Öffnen")
    choose_file_type(t, dialog, "Tabelle (*.csv *.tsv *.txt)")
    type_text("null.csv")
    press("Return")
    t.window_gone("Öffnen")
    expect("message", t.answer_box("Dateifehler", "OK"),
           "Datei " + c.path("null.csv").upper() + " ist zu groß für den Arbeitsspeicher!\n"
           "Eine Tabelle wird mit höchstens 2.000.000 Zeilen eingelesen.")
    escape_closes(t)


def buttons(c):
    """Paging buttons, the new-lesson button with its question, and aborting an exercise."""
    lesson = c.write("Z.lsn", lesson_bytes(NUMBERS))
    t = c.start(lesson)
    t.click("Vorwärtsblättern")
    wait_until("first entry", lambda: t.field("1. Begriff") == "eins")
    t.click("Zurückblättern")
    wait_until("the new entry", lambda: t.field("1. Begriff") == "")
    t.click("Zurückblättern")
    wait_until("the last entry", lambda: t.field("1. Begriff") == "drei")
    t.click("Normale Abfrage")
    t.control("Übung abbrechen")
    if not t.absent("Lektion laden") or not t.absent("Normale Abfrage"):
        raise Failure("editing buttons shown during the exercise")
    t.click("Übung abbrechen")
    t.answer_box(ABORT_CAPTION, "Ja")
    wait_until("editing again", lambda: d.find_in(t.main, "Normale Abfrage"))
    t.click("Neue Lektion")
    wait_until("the empty lesson", lambda: t.title() == TITLE + "NEU" and
               t.status() == "Lektion enthält keine Aufgaben")
    t.control("Lektion laden")
    d.close_window(t.xid)
    t.close()


def close_box(c):
    """The window's close request (the close box) with unsaved changes asks; Cancel keeps the
    trainer, No ends it without writing the lesson."""
    lesson = c.write("Z.lsn", lesson_bytes(NUMBERS))
    t = c.start(lesson)
    add_entry(t, "vier", "four", 4)
    d.close_window(t.xid)
    t.answer_box("Aktuelle Lektion", "Abbrechen")
    d.close_window(t.xid)
    t.answer_box("Aktuelle Lektion", "Ja")
    t.close()
    expect("lesson file", c.read("Z.lsn"), lesson_bytes(NUMBERS + [("vier", "four")]))


def two_trainers_one_lesson(c):
    """Two trainers load one lesson; the first saves an added entry. The second, about to
    overwrite that, asks; No leads to the save dialog, and its entry goes to another file."""
    lesson = c.write("Z.lsn", lesson_bytes(NUMBERS))
    a = c.start(lesson)
    b = c.start(lesson)
    # Side by side: without a window manager both would open in the same place.
    d.xdotool("windowmove", a.xid, "0", "0")
    d.xdotool("windowmove", b.xid, "0", "480")
    wait_until("the windows apart", lambda: d.extents(b.main)[1] - d.extents(a.main)[1] >= 400)
    for t, pair in ((a, ("vier", "four")), (b, ("fuenf", "five"))):
        t.activate()
        add_entry(t, pair[0], pair[1], 4)
        t.click("Speichern")
        if t is a:
            wait_until("the first trainer's save", lambda: c.read("Z.lsn") ==
                       lesson_bytes(NUMBERS + [("vier", "four")]))
    text = b.answer_box("Datei verändert", "Nein")
    expect("question", text, "Die Datei " + lesson.upper() +
           " wurde inzwischen verändert. Trotzdem überschreiben?")
    b.window("Speichern unter")
    type_text("Z2.lsn")
    press("Return")
    b.window_gone("Speichern unter")
    wait_until("the second trainer's file", lambda: os.path.exists(c.path("Z2.lsn")) and
               c.read("Z2.lsn") == lesson_bytes(NUMBERS + [("fuenf", "five")]))
    expect("the first trainer's file", c.read("Z.lsn"), lesson_bytes(NUMBERS + [("vier", "four")]))
    wait_until("saved", lambda: b.status() == "Lektion enthält 4 Aufgaben")
    for t in (a, b):
        escape_closes(t)


def session_end_keeps_work(c):
    """The desktop ends the session (SIGTERM, then a lost display): no question blocks it, the
    options reach the settings file, the unsaved lesson a recovery file, offered at the next
    start."""
    t = c.start()
    t.click("ab = AB")
    wait_until("ignore case on", lambda: d.checked(t.control("ab = AB")))
    add_entry(t, "Haus", "house", 1)
    t.process.terminate()
    t.close()
    expect("settings file", c.read("DODADIZE.CFG"), b"\1" + DEFAULT_CFG[1:])
    expect("recovery file", c.read("DODADIZE.RCV"), lesson_bytes([("Haus", "house")]))
    if d.help_window_pid(c.root):
        raise Failure("the farewell help was started for a desktop going away")

    t = c.start()
    text = t.answer_box("Wiederherstellen", "Ja")
    if not re.fullmatch(r"Ungesicherte Lektion vom \d\d\.\d\d\.\d{4} \d\d:\d\d "
                        r"wiederherstellen\?", text):
        raise Failure(f"recovery question: {text!r}")
    wait_until("the lesson back", lambda: t.status() == "Lektion enthält 1 Aufgaben (ungesichert)")
    expect("title", t.title(), TITLE + "NEU")
    if os.path.exists(c.path("DODADIZE.RCV")):
        raise Failure("the recovery file is offered once only")
    # The display goes away while a question is open.
    add_entry(t, "Baum", "tree", 2)
    d.xdotool("key", "Escape")
    t.window("Aktuelle Lektion")
    subprocess.run(["xkill", "-id", t.xid], check=True, capture_output=True)
    wait_until("the trainer to end", lambda: not t.running())
    t.process.wait()
    expect("recovery file after a lost display", c.read("DODADIZE.RCV"),
           lesson_bytes([("Haus", "house"), ("Baum", "tree")]))


def session_end_during_recovery_question(c):
    """The session ends (SIGTERM, then SIGHUP) while the recovery question is open: the
    unanswered question leaves the kept lesson for the next start, which asks again."""
    kept = lesson_bytes([("Haus", "house")])
    c.write("DODADIZE.RCV", kept)
    for signal_number in (signal.SIGTERM, signal.SIGHUP):
        t = c.start()
        t.window("Wiederherstellen")
        t.process.send_signal(signal_number)
        t.close()
        expect(f"recovery file after {signal_number.name}", c.read("DODADIZE.RCV"), kept)


def two_trainers_ended_by_the_session(c):
    """Two trainers in one folder hold unsaved lessons; the session ends the first, then the
    second. Each lesson is kept, and the next starts offer them in turn, DODADIZE.RCV first."""
    pairs = [("Haus", "house"), ("Baum", "tree")]
    trainers = []
    for pair in pairs:
        t = c.start()  # opens over the one before, where the clicks then land
        t.activate()
        add_entry(t, *pair, 1)
        trainers.append(t)
    for t in trainers:
        t.process.terminate()
        t.close()
    names = ("DODADIZE.RCV", "DODADIZE.RC2")
    kept = [c.read(n) if os.path.exists(c.path(n)) else b"" for n in names]
    expect("kept lessons", sorted(kept), sorted(lesson_bytes([p]) for p in pairs))
    for name, lesson in zip(names, kept):
        t = c.start()
        t.answer_box("Wiederherstellen", "Ja")
        first = next(p[0] for p in pairs if lesson_bytes([p]) == lesson)
        wait_until(f"the lesson with {first} back", lambda: [r[0] for r in t.rows(
            "1. Begriffe")] == [" < NEU >", first])
        expect("status", t.status(), "Lektion enthält 1 Aufgaben (ungesichert)")
        if os.path.exists(c.path(name)):
            raise Failure(f"{name} is still there after it was restored")
        discard_and_close(t)


def thresholds_and_tooltips(c):
    """A threshold typed into its field is kept for the next start; resting the mouse on a
    button shows its tooltip."""
    t = c.start()
    t.click("Note 1 ab Prozent", "text")
    press("End", "BackSpace", "BackSpace", "BackSpace")
    type_text("95")
    press("Tab")
    wait_until("the field", lambda: t.field("Note 1 ab Prozent") == "95")
    x, y = d.centre(t.control("Prüfungsergebnisse"))
    d.xdotool("mousemove", x, y)
    d.xdotool("mousemove", x + 1, y + 1)
    wait_until("the tooltip", lambda: d.find_in(
        d.Atspi.get_desktop(0), "Anzeige der letzten 20 Prüfungsergebnisse", "tool tip"))
    escape_closes(t)
    expect("settings file", c.read("DODADIZE.CFG"), DEFAULT_CFG[:3] + struct.pack("<I", 95) +
           DEFAULT_CFG[7:])
    t = c.start()
    expect("threshold after a new start", t.field("Note 1 ab Prozent"), "95")
    escape_closes(t)


def accessibility_tree(c):
    """What a screen reader finds: one item per list row, option buttons with an on/off state,
    the displays as text, the report and the results table with their text. With E2E_DUMP set,
    the trees are written to that file."""
    c.write("DODADIZE.CFG", b"\x01" + DEFAULT_CFG[1:])
    lesson = c.write("Z.lsn", lesson_bytes(NUMBERS))
    t = c.start(lesson)
    expect("rows of the first list", [d.name_of(n) for n in d._children(t.control("1. Begriffe"))],
           [" < NEU >", "drei", "eins", "zwei"])
    for name, on in (("ab = AB", True), ("a, b = a b", False)):
        option = t.control(name)
        expect(f"{name} role", d.role_of(option) in ("check box", "toggle button"), True)
        expect(f"{name} on", d.checked(option), on)
    clock = t.control_by_description("Uhr")
    if not re.fullmatch(r"\d\d:\d\d:\d\d", d.name_of(clock)):
        raise Failure(f"clock text {d.name_of(clock)!r}")
    expect("entry line", d.name_of(t.control_by_description("Aufgaben")), "3 Aufgaben")
    main_tree = d.dump(t.main)
    t.click("Normale Abfrage")
    wait_until("the grade digit", lambda: d.name_of(t.control_by_description("Note")) == "Note 1")
    exercise_tree = d.dump(t.main)
    report, _ = answer_all(t, dict(NUMBERS), wrong_first=True)
    report_tree = d.dump(report)
    t.activate()
    t.click("Prüfungsergebnisse")
    table_tree = d.dump(t.window("Übungsprotokoll"))
    escape_closes(t)
    if os.environ.get("E2E_DUMP"):
        with open(os.environ["E2E_DUMP"], "w") as f:
            for title, tree in (("Main window, editing", main_tree),
                                ("Main window, during an exercise", exercise_tree),
                                ("Report window", report_tree), ("Results table", table_tree)):
                f.write(f"## {title}\n\n```\n" + "\n".join(tree) + "\n```\n\n")


# --- reading aloud through a real speech service -----------------------------------------------

SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def copy_with_speech(c):
    """The scenario's trainer copied with its speech module beside it."""
    c.program = d.copy_program(c.build, os.path.join(c.root, "bin"))
    subprocess.run(["cp", os.path.join(c.build, "app", "libkaz-speech.so"),
                    os.path.dirname(c.program)], check=True)


class SpeechRecorder:
    """A private speech-dispatcher whose only output module (sd_generic) writes each text it is
    asked to speak, with its language, as one line into a file: "<language> <text>"."""

    VOICES = ("de", "en", "fr", "la")

    def __init__(self, root, seconds=0):
        """seconds: how long the module takes to speak each text."""
        conf = os.path.join(root, "speechd")
        os.makedirs(os.path.join(conf, "modules"), exist_ok=True)
        self.out = os.path.join(root, "spoken.txt")
        self.socket = os.path.join(root, "speechd.sock")
        with open(os.path.join(conf, "speechd.conf"), "w") as f:
            f.write(f'CommunicationMethod "unix_socket"\nSocketPath "{self.socket}"\n'
                    f'Timeout 0\nLogDir "{root}"\nLogLevel 5\nAudioOutputMethod "alsa"\n'
                    'AudioALSADevice "null"\nAddModule "record" "sd_generic" "record.conf"\n'
                    'DefaultModule record\nDefaultLanguage "de"\n')
        with open(os.path.join(conf, "modules", "record.conf"), "w") as f:
            # The pitch tells the clients apart: Orca sets its own, the trainer leaves it at 0.
            f.write(f'GenericExecuteSynth "echo \\\'$PITCH\\\' \\\'$LANGUAGE\\\' \\\'$DATA\\\' '
                    f'>> {self.out}; sleep {seconds}"\n')
            for v in self.VOICES:
                f.write(f'AddVoice "{v}" "male1" "{v}"\nGenericLanguage "{v}" "{v}" "utf-8"\n')
        self.process = subprocess.Popen(
            ["speech-dispatcher", "-s", "-C", conf, "-m", "/usr/lib/speech-dispatcher-modules",
             "-t", "0", "-S", self.socket, "-P", os.path.join(root, "speechd.pid")],
            stdout=subprocess.DEVNULL, stderr=open(os.path.join(root, "speechd.log"), "w"))
        wait_until("the speech service", lambda: os.path.exists(self.socket),
                   alive=lambda: self.process.poll() is None)
        self.env = {"SPEECHD_ADDRESS": f"unix_socket:{self.socket}"}

    def lines(self):
        """(language, text) of each line, in the order the service spoke them."""
        return [(lang, text) for _, lang, text in self.lines_with_pitch()]

    def lines_with_pitch(self):
        try:
            with open(self.out, encoding="utf-8") as f:
                # sd_generic speaks each sentence on its own, the space after its full stop
                # leading the next one
                return [(p, lang, text.strip()) for p, lang, text in
                        (line.rstrip("\n").split(" ", 2) for line in f if line.count(" ") >= 2)]
        except FileNotFoundError:
            return []

    def hears(self, language, text, since):
        """Waits for the line (language, text) after the first since lines; returns the count."""
        def look():
            got = self.lines()
            return len(got) if (language, text) in got[since:] else None
        try:
            return wait_until(f"the speech service to get {language} {text!r}", look)
        except Failure as e:
            raise Failure(f"{e}; it got {self.lines()[since:]!r}") from None

    def stop(self):
        self.process.kill()
        self.process.wait()


def read_aloud_through_speech_dispatcher(c):
    """ENGLISCH.LSN with a real speech service: "Vorlesen" after the cursor was in each field
    speaks the first term in German and the second in English; a drill with "Fragen vorlesen"
    on gives every question in German and the correct term after a wrong answer in English; a
    reversed drill the questions in English. Prints the time from the key to the service."""
    speech = SpeechRecorder(c.root)
    try:
        with open(os.path.join(SOURCE, "resources", "lessons", "ENGLISCH.LSN"), "rb") as f:
            lesson = c.write("ENGLISCH.LSN", f.read())
        copy_with_speech(c)
        t = c.start(lesson, env=speech.env)
        t.click("Vorwärtsblättern")
        first = wait_until("the first entry", lambda: t.field("1. Begriff"))
        second = t.field("2. Begriff")
        t.click("1. Begriff")
        began = time.monotonic()
        press("ctrl+l")
        heard = speech.hears("de", first, 0)
        print(f"  first word: {1000 * (time.monotonic() - began):.0f} ms from the key to the "
              "speech service (the module connecting included)", flush=True)
        t.click("2. Begriff")
        began = time.monotonic()
        t.click("Vorlesen")
        heard = speech.hears("en", second, heard)
        print(f"  next word: {1000 * (time.monotonic() - began):.0f} ms from the click",
              flush=True)

        # A normal drill read aloud: the questions in German, the correct term in English.
        t.click("Fragen vorlesen")
        wait_until("the option on", lambda: d.has_state(t.control("Fragen vorlesen"),
                                                       d.Atspi.StateType.CHECKED))
        drill_began = len(speech.lines())  # "Vorlesen" above may have spoken a question's term
        t.click("Normale Abfrage")
        question = next_question(t)
        heard = speech.hears("de", question, heard)
        entry = {fromp: to for fromp, to in lesson_pairs(c.read("ENGLISCH.LSN"))}
        type_answer(t, "falsch")
        heard = speech.hears("en", entry[question], heard)
        press("Return")
        for _ in range(3):
            question = next_question(t, question)
            began = time.monotonic()
            heard = speech.hears("de", question, heard)
            type_answer(t, entry[question])
        spoken = speech.lines()[drill_began:]
        expect("each question heard once", Counter(spoken)[("de", question)], 1)
        t.click("Übung abbrechen")
        t.answer_box(ABORT_CAPTION, "Ja")
        wait_until("editing again", lambda: d.find_in(t.main, "Umgekehrte Abfrage"))

        # A reversed drill: the questions in English.
        reverse = {to: fromp for fromp, to in entry.items()}
        t.click("Umgekehrte Abfrage")
        question = None
        for _ in range(2):
            question = next_question(t, question)
            heard = speech.hears("en", question, heard)
            type_answer(t, reverse[question])
        t.click("Übung abbrechen")
        t.answer_box(ABORT_CAPTION, "Ja")
        if t.find_window("Vorlesen"):
            raise Failure("a notice: " + t.answer_box("Vorlesen", "OK"))
        with open(os.path.join(c.folder, "SPRACHEN.TXT"), encoding="utf-8") as f:
            expect("the option kept", "vorlesen\t1" in f.read(), True)
    finally:
        speech.stop()


def slow_speech_is_waited_for(c):
    """A voice that takes 3 s for each word: "Vorlesen" pressed again and again while the first
    term is spoken, then once in the second field: the first term is not cut off, the presses
    between are dropped, the second term follows when the first has ended, and that wait is no
    fault of the service."""
    speech = SpeechRecorder(c.root, seconds=3)
    try:
        c.write("ENGLISCH.LSN", lesson_bytes(NUMBERS))
        copy_with_speech(c)
        t = c.start(c.path("ENGLISCH.LSN"), env=speech.env)
        t.click("Vorwärtsblättern")
        first = wait_until("the first entry", lambda: t.field("1. Begriff"))
        second = t.field("2. Begriff")
        t.click("1. Begriff")
        press("ctrl+l")
        speech.hears("de", first, 0)
        press("ctrl+l")
        press("ctrl+l")
        t.click("2. Begriff")
        press("ctrl+l")
        speech.hears("en", second, 1)
        expect("what was spoken", speech.lines(), [("de", first), ("en", second)])
        if t.find_window("Vorlesen"):
            raise Failure("a notice: " + t.answer_box("Vorlesen", "OK"))
    finally:
        speech.stop()


def language_question_by_ear(c):
    """A lesson whose second side has no language yet, by keyboard under Orca: Ctrl+L in the
    second field asks for that side's language; Orca says the question and the language
    guessed, Down and Up the others; Enter takes the one heard, the term is spoken in it, and
    the next Ctrl+L asks no more."""
    speech = SpeechRecorder(c.root)
    try:
        lesson = c.write("Vokabeln.lsn", lesson_bytes([("Haus", "house"), ("Baum", "tree")]))
        copy_with_speech(c)
        t, orca = by_ear(c, lesson, env=speech.env)
        wait_until("the focus in the first field", lambda: focused_control(t) == "1. Begriff")
        orca.press("Down")
        wait_until("the first entry", lambda: t.field("2. Begriff") == "house")
        orca.press("Return")
        wait_until("the focus in the second field", lambda: focused_control(t) == "2. Begriff")
        key = orca.press("ctrl+l")
        t.window("Vorlesen")
        orca.hears("In welcher Sprache sind die 2. Begriffe dieser Lektion?", key=key)
        orca.hears("Englisch", key=key)  # the guess, which Enter would take
        key = orca.press("Down")
        orca.hears("Französisch", key=key)
        key = orca.press("Up")
        orca.hears("Englisch", key=key)
        orca.press("Return")
        t.window_gone("Vorlesen")
        heard = speech.hears("en", "house", 0)
        orca.press("ctrl+l")
        speech.hears("en", "house", heard)
        expect("a second question", t.find_window("Vorlesen"), None)
        escape_closes(t)
    finally:
        speech.stop()


def read_aloud_with_orca(c):
    """A drill read aloud with Orca listening, both on one speech service. The trainer says each
    step itself, one text after the other on its one connection: the verdict and "Frage:" (or
    "Lösung:") in German, the term in its language, the status line; the step's notice stays
    silent, so Orca says none of it. Each question is heard once, right after its "Frage:",
    the correct term once (Orca does not read it again from the answer field), nothing comes
    between, and the service is never told to cancel. E2E_SPEECH=FILE writes what the service
    spoke, in order, each line with who sent it and its language."""
    speech = SpeechRecorder(c.root)
    try:
        c.write("ENGLISCH.LSN", lesson_bytes(NUMBERS))
        copy_with_speech(c)
        os.environ.update(speech.env)  # Orca speaks through the same service
        try:
            orca = c.screen_reader()
        finally:
            del os.environ["SPEECHD_ADDRESS"]
        t = c.start(c.path("ENGLISCH.LSN"), env=speech.env)
        t.click("Fragen vorlesen")
        wait_until("the option on", lambda: d.has_state(t.control("Fragen vorlesen"),
                                                       d.Atspi.StateType.CHECKED))
        mark, began = orca.mark(), len(speech.lines())
        t.click("Normale Abfrage")
        answers = dict(NUMBERS)
        question = next_question(t)
        heard = speech.hears("de", question, began)
        expected = [("de", question), ("en", answers[question])]
        type_answer(t, "falsch")
        heard = speech.hears("en", answers[question], heard)
        press("Return")
        while True:
            question = wait_until("the next question or the report", lambda: "report" if
                                  reports(t) else t.field("2. Begriff") == "" and
                                  t.field("1. Begriff"))
            if question == "report":
                break
            heard = speech.hears("de", question, heard)
            expected.append(("de", question))
            type_answer(t, answers[question])
        # The report is heard (from either), then Escape closes it: Orca has handled what
        # the drill's end told it by the time it takes up the key.
        wait_until("the report heard", lambda: any(
            text == "Ergebnis: Note 3." for _, text in speech.lines()[heard:]))
        t.activate()
        orca.press("Escape")
        t.window_gone("Ergebnis: Note 3")
        got = speech.lines_with_pitch()
        ours = next(p for p, lang, text in got[began:] if text == expected[0][1])
        if os.environ.get("E2E_SPEECH"):
            with open(os.environ["E2E_SPEECH"], "w") as f:
                f.write("\n".join(f"{'trainer' if p == ours else 'Orca'} {lang} {text}"
                                   for p, lang, text in got) + "\n")
        terms = {term for pair in NUMBERS for term in pair}
        drill = got[began:]
        said_by_orca = [s for s in orca.said()[mark:]
                        if s.strip(" .") in terms or s.startswith(("notification Frage",
                                                                "notification Richtig",
                                                                "notification 1. Fehler"))]
        said_by_orca += [s for s in orca.said()[mark:] if "Gesamtübung" in s]  # the report
        expect("what Orca said of the steps itself", said_by_orca, [])
        expect("the terms, in order, each once", [(lang, text) for p, lang, text in drill
                                                  if text in terms], expected)
        # In the trainer's own lines each term right after its label; Orca's key echoes may
        # come between the two, as they come between any two texts of the service.
        mine = [(lang, text) for p, lang, text in drill if p == ours]
        for i, (lang, text) in enumerate(mine):
            if text in terms:
                label = "Frage:" if lang == "de" else "L\u00f6sung:"
                if mine[i - 1][0] != "de" or not mine[i - 1][1].endswith(label):
                    raise Failure(f"right before {text!r}: {mine[i - 1]!r}, not {label!r}")
        expect("the terms are the trainer's", [t for p, _, t in drill if t in terms and p != ours],
               [])
        # The service's log of every command (LogLevel 5): Qt TextToSpeech cancels all clients'
        # speech, Orca's too, when it is given a text while its own is still spoken or while
        # it is in its error state (as it starts in the C locale).
        with open(os.path.join(c.root, "speech-dispatcher.log"), errors="replace") as f:
            log = f.read()
        expect("the service asked", "SET SELF LANGUAGE" in log, True)
        expect("speech of all clients cancelled", log.count("|CANCEL ALL"), 0)
    finally:
        speech.stop()


FRUIT = [("Apfel", "apple"), ("Birne", "pear")]


def drill_three_lessons_and_remove_one(c):
    """Obst.lsn, Zahlen.lsn and Weg.lsn each drilled once the normal way, so that the other
    direction, never asked, is due in each; then Weg.lsn is deleted."""
    lessons = {"Obst.lsn": FRUIT, "Zahlen.lsn": NUMBERS, "Weg.lsn": [("weg", "gone")]}
    for name, pairs in lessons.items():
        t = c.start(c.write(name, lesson_bytes(pairs)))
        t.control(f"Fällige Abfrage: {2 * len(pairs)} fällig")  # the record is open
        t.click("Normale Abfrage")
        answer_all(t, dict(pairs))
        escape_closes(t)
        # The record keeps answer times in whole seconds, and lessons answered in the same
        # second are listed by name: the next lesson's answers come a second later.
        drilled = int(time.time())
        wait_until("the next second", lambda: int(time.time()) > drilled, timeout=2)
    os.remove(c.path("Weg.lsn"))


def due_lessons_with_none_loaded(c):
    """Two lessons drilled before, each with something due (the direction never asked), and one
    whose file is gone: started with no lesson, the due button names two lessons; its list
    names them by file with their due counts, and the one chosen is loaded and its due drill
    begins."""
    fruit = FRUIT
    drill_three_lessons_and_remove_one(c)

    t = c.start()
    t.click("Fällige Abfrage: 2 Lektionen fällig")
    dialog = t.window("Fällige Abfrage")
    wanted = f"Obst.lsn: 2 fällig (in {c.folder})"
    lessons = t.control("Welche Lektion soll abgefragt werden?", "list", window=dialog)
    expect("the lessons listed", [d.name_of(n) for n in d._children(lessons)],
           [f"Zahlen.lsn: 3 fällig (in {c.folder})", wanted])
    # Clicked on its visible part (a row is as wide as its text, and a long path can be wider
    # than the list, which put the row's centre on the list's frame). Once more if the click
    # selected nothing (it can come while the new dialog is still being placed; a quick second
    # click would be a double click, which chooses at once).
    for attempt in range(3):
        item = t.control(wanted, "list item", window=lessons)
        d.click_at(*d.visible_centre(item, lessons))
        try:
            wait_until(f"{wanted} selected",
                       lambda: d.has_state(item, d.Atspi.StateType.SELECTED), timeout=2)
            break
        except Failure:
            if attempt == 2:
                raise
    t.click("OK", "push button", window=dialog)
    wait_until("Obst.lsn loaded", lambda: t.title() == TITLE + c.path("Obst.lsn").upper(),
               alive=t.running)
    _, asked = answer_all(t, {b: a for a, b in fruit})
    expect("its due questions", sorted(asked), ["apple", "pear"])
    escape_closes(t)


def due_lessons_by_ear(c):
    """The same by keyboard under Orca: Tab reaches the due button and Orca names it with the
    number of lessons due; Space opens the list, Orca says the question and the lesson that is
    selected, Down the next one; Enter loads it and Orca says its due drill's first question."""
    drill_three_lessons_and_remove_one(c)
    t, orca = by_ear(c)
    key = tab_to(t, orca, "Fällige Abfrage: 2 Lektionen fällig")
    orca.hears("Fällige Abfrage: 2 Lektionen fällig", key=key)
    key = orca.press("space")
    t.window("Fällige Abfrage")
    orca.hears("Welche Lektion soll abgefragt werden?", key=key)
    orca.hears("List with 2 items", key=key)
    orca.hears(f"Zahlen.lsn: 3 fällig (in {c.folder})", key=key)  # the one Enter would take
    key = orca.press("Down")
    orca.hears(f"Obst.lsn: 2 fällig (in {c.folder})", key=key)
    key = orca.press("Up")
    orca.hears(f"Zahlen.lsn: 3 fällig (in {c.folder})", key=key)
    key = orca.press("Down")
    orca.hears(f"Obst.lsn: 2 fällig (in {c.folder})", key=key)
    key = orca.press("Return")
    t.window_gone("Fällige Abfrage")
    wait_until("Obst.lsn loaded", lambda: t.title() == TITLE + c.path("Obst.lsn").upper())
    question = wait_until("the first question", lambda: t.field("1. Begriff"))
    expect("a due question", question in ("apple", "pear"), True)
    orca.hears(f"2. Begriff: {question}", key=key)
    # The answer field is named after the side it asks for: the first term here.
    expect("the focused control", focused_control(t), "1. Begriff")
    answers = {b: a for a, b in FRUIT}
    orca.type(answers[question])
    wait_until("the answer typed", lambda: t.field("2. Begriff") == answers[question])
    key = orca.press("Return")
    orca.hears("Richtig.", key=key)


def lesson_pairs(data):
    """The (first, second) terms of a lesson file's bytes, as text."""
    terms = data[len(b"vtfile\0"):].split(b"\0")
    return [(terms[i].decode("cp1252"), terms[i + 1].decode("cp1252"))
            for i in range(0, len(terms) - 1, 2)]


SCENARIOS = [type_save_and_close, load_and_normal_query, drill_by_ear,
             read_aloud_through_speech_dispatcher, read_aloud_with_orca, language_question_by_ear, slow_speech_is_waited_for, open_by_typing_by_ear,
             report_and_table_by_ear, start_with_help_by_ear, edit_by_ear,
             flashing_by_ear, reversed_and_empty_by_ear, save_by_ear, reversed_and_mixed_queries,
             results_table_window, chart_module_that_is_a_fifo, qt_options_on_the_command_line,
             due_drill_days_later, damaged_learning_record, locked_learning_record,
             record_notice_when_it_matters, start_and_escape_leave_no_record,
             two_computers_by_syncthing,
             killed_during_drills, two_trainers_drill_together,
             results_notice_and_help, row_clicks, rows_of_equal_entries, keys,
             wheel_keeps_lists_in_line, options_after_dialogs, open_dialog_offers_the_lesson,
             buttons, close_box, two_trainers_one_lesson, session_end_keeps_work,
             session_end_during_recovery_question, two_trainers_ended_by_the_session,
             thresholds_and_tooltips, accessibility_tree, import_and_export_table,
             table_that_never_ends,
             table_typed_with_the_lesson_type, cancelled_save_dialog_changes_nothing,
             other_trainers_file_and_lesson_on_paper, due_lessons_with_none_loaded,
             due_lessons_by_ear]


def main():
    build, work = sys.argv[1], sys.argv[2]
    wanted = sys.argv[3:]
    failed = []
    for scenario in SCENARIOS:
        if wanted and scenario.__name__ not in wanted:
            continue
        c = Context(build, work, scenario.__name__)
        began = time.monotonic()
        try:
            scenario(c)
            print(f"ok   {scenario.__name__} ({time.monotonic() - began:.1f} s)", flush=True)
        except Exception as e:  # every failure is reported, the next scenario still runs
            failed.append(scenario.__name__)
            print(f"FAIL {scenario.__name__}: {e}", flush=True)
            if not isinstance(e, Failure):
                traceback.print_exc()
            if c.orca is not None:  # what a blind learner heard, key by key
                print("  heard:\n  " + "\n  ".join(c.orca.transcript()[-40:]))
            for t in c.trainers:
                if t.running():  # what the window showed when the scenario gave up
                    print("  window:\n  " + "\n  ".join(d.dump(t.main)[:60]))
            log = os.path.join(c.root, "trainer.log")
            if os.path.exists(log) and os.path.getsize(log):
                print("  trainer output:\n  " + open(log, errors="replace").read()[-2000:]
                      .replace("\n", "\n  "))
        finally:
            # With E2E_SPEECH_DIR set to a folder, what Orca said goes to SCENARIO.txt there,
            # each utterance under the key it was credited to (also when the scenario failed).
            if os.environ.get("E2E_SPEECH_DIR") and c.orca is not None:
                os.makedirs(os.environ["E2E_SPEECH_DIR"], exist_ok=True)
                with open(os.path.join(os.environ["E2E_SPEECH_DIR"],
                                       scenario.__name__ + ".txt"), "w") as f:
                    f.write("\n".join(c.orca.transcript()) + "\n")
            c.stop_all()
    if failed:
        print(f"{len(failed)} scenario(s) failed: {' '.join(failed)}")
        return 1
    print("all scenarios passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
