"""Drives the real trainer as a person does: controls are found by their accessible names
through AT-SPI, and acted on with real X input (xdotool) at the places the screen shows them.

Runs inside the session that scripts/e2e.sh sets up: a private X server ($DISPLAY), a session
bus and the accessibility bus. Every wait polls a condition against a deadline; nothing sleeps
for a fixed time to let the program catch up.
"""

import ctypes
import hashlib
import os
import re
import shutil
import subprocess
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

TIMEOUT = float(os.environ.get("E2E_TIMEOUT", "30"))  # s, for each single wait
POLL = 0.03  # s between two looks at a condition


class Failure(Exception):
    pass


def wait_until(what, condition, timeout=TIMEOUT, alive=None):
    """Polls condition until it returns a true value, which is returned. alive, when given,
    is asked too: the wait ends at once when it turns false (the program ended)."""
    began = time.monotonic()
    deadline = began + timeout
    while True:
        try:
            value = condition()
        except (GLibError, Failure):
            value = None
        if value:
            if time.monotonic() - began > 2:
                print(f"  note: waited {time.monotonic() - began:.1f} s for: {what}", flush=True)
            return value
        if alive is not None and not alive():
            raise Failure(f"the trainer ended while waiting for: {what}")
        if time.monotonic() > deadline:
            raise Failure(f"timed out after {timeout:.0f} s waiting for: {what}")
        time.sleep(POLL)


GLibError = gi.repository.GLib.Error


# --- X input ---------------------------------------------------------------------------------

def xdotool(*args):
    subprocess.run(["xdotool", *map(str, args)], check=True)


def click_at(x, y, button=1):
    xdotool("mousemove", x, y, "click", button)


# Letters beyond the US keyboard that scenarios type, each pair on a spare key of its own
# (lower case, with Shift upper case). Without a key xdotool maps one for each letter and
# restores the map at once; a program that reads the key after that (a busy or sanitized
# build) gets another letter or none: "Wörter" arrived as "Wrter".
_EXTRA_LETTERS = ("äÄ", "öÖ", "üÜ", "ßß", "éÉ")
_letters_mapped = False


def _map_extra_letters():
    global _letters_mapped
    if _letters_mapped:
        return
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XDisplayKeycodes.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int),
                                     ctypes.POINTER(ctypes.c_int)]
    x11.XGetKeyboardMapping.restype = ctypes.POINTER(ctypes.c_ulong)
    x11.XGetKeyboardMapping.argtypes = [ctypes.c_void_p, ctypes.c_ubyte, ctypes.c_int,
                                        ctypes.POINTER(ctypes.c_int)]
    x11.XChangeKeyboardMapping.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int,
                                           ctypes.POINTER(ctypes.c_ulong), ctypes.c_int]
    x11.XFree.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    display = x11.XOpenDisplay(None)
    if not display:
        raise Failure("cannot open the X display for the keyboard map")
    low, high, width = ctypes.c_int(), ctypes.c_int(), ctypes.c_int()
    x11.XDisplayKeycodes(display, ctypes.byref(low), ctypes.byref(high))
    count = high.value - low.value + 1
    syms = x11.XGetKeyboardMapping(display, low.value, count, ctypes.byref(width))
    spare = [low.value + i for i in range(count)
             if not any(syms[i * width.value + j] for j in range(width.value))]
    x11.XFree(syms)
    if len(spare) < len(_EXTRA_LETTERS):
        raise Failure("no spare keys on the X server's keyboard")
    for keycode, pair in zip(reversed(spare), _EXTRA_LETTERS):
        row = (ctypes.c_ulong * 2)(*(ord(ch) for ch in pair))  # Latin-1 keysyms = code points
        x11.XChangeKeyboardMapping(display, keycode, 2, row, 1)
    x11.XCloseDisplay(display)  # sends the changes
    _letters_mapped = True


def type_text(text):
    if any(ord(ch) > 127 for ch in text):
        _map_extra_letters()
    xdotool("type", "--delay", 15, "--", text)


def press(*keys):
    xdotool("key", "--delay", 15, *keys)


def focused_window():
    out = subprocess.run(["xdotool", "getwindowfocus"], capture_output=True, text=True)
    return out.stdout.strip()


def transient_for(window_id):
    """The window id that window_id's WM_TRANSIENT_FOR names; None when unset."""
    out = subprocess.run(["xprop", "-id", str(window_id), "WM_TRANSIENT_FOR"],
                         capture_output=True, text=True).stdout
    if "window id #" not in out:
        return None
    return int(out.rsplit("#", 1)[1].strip(), 16)


class _CursorImage(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short),
                ("width", ctypes.c_ushort), ("height", ctypes.c_ushort),
                ("xhot", ctypes.c_ushort), ("yhot", ctypes.c_ushort),
                ("cursor_serial", ctypes.c_ulong), ("pixels", ctypes.POINTER(ctypes.c_ulong)),
                ("atom", ctypes.c_ulong), ("name", ctypes.c_char_p)]


_xlib = None


def cursor_shape():
    """A fingerprint of the mouse cursor's picture as the X server shows it now."""
    global _xlib
    if _xlib is None:
        x11 = ctypes.CDLL("libX11.so.6")
        x11.XOpenDisplay.restype = ctypes.c_void_p
        fixes = ctypes.CDLL("libXfixes.so.3")
        fixes.XFixesGetCursorImage.restype = ctypes.POINTER(_CursorImage)
        fixes.XFixesGetCursorImage.argtypes = [ctypes.c_void_p]
        display = x11.XOpenDisplay(None)
        if not display:
            raise Failure("cannot open the X display for the cursor")
        _xlib = (x11, fixes, display)
    x11, fixes, display = _xlib
    image = fixes.XFixesGetCursorImage(display).contents
    count = image.width * image.height
    pixels = bytes(ctypes.string_at(image.pixels, count * ctypes.sizeof(ctypes.c_ulong)))
    return (image.width, image.height, hashlib.sha1(pixels).hexdigest())


# --- the accessibility tree ------------------------------------------------------------------

def _children(node):
    try:
        count = node.get_child_count()
    except GLibError:
        return []
    out = []
    for i in range(count):
        try:
            child = node.get_child_at_index(i)
        except GLibError:
            continue
        if child is not None:
            out.append(child)
    return out


def name_of(node):
    try:
        return node.get_name() or ""
    except GLibError:
        return ""


def role_of(node):
    try:
        return node.get_role_name()
    except GLibError:
        return ""


def has_state(node, state):
    try:
        return node.get_state_set().contains(state)
    except GLibError:
        return False


def showing(node):
    return has_state(node, Atspi.StateType.SHOWING)


def checked(node):
    return has_state(node, Atspi.StateType.CHECKED)


def text_of(node):
    """The text of a field, or the name of anything else."""
    try:
        text = node.get_text_iface()
        if text is not None:
            return Atspi.Text.get_text(text, 0, -1)
    except GLibError:
        pass
    return name_of(node)


def extents(node):
    r = node.get_extents(Atspi.CoordType.SCREEN)
    return r.x, r.y, r.width, r.height


def centre(node):
    x, y, w, h = extents(node)
    if w <= 0 or h <= 0:
        raise Failure(f"'{name_of(node)}' has no place on the screen")
    return x + w // 2, y + h // 2


def visible_centre(node, container):
    """The centre of the part of node that lies inside container (a list's row wider than the
    list)."""
    x, y, w, h = extents(node)
    cx, cy, cw, ch = extents(container)
    left, right = max(x, cx), min(x + w, cx + cw)
    top, bottom = max(y, cy), min(y + h, cy + ch)
    if right <= left or bottom <= top:
        raise Failure(f"'{name_of(node)}' is not inside '{name_of(container)}'")
    return (left + right) // 2, (top + bottom) // 2


def walk(node, depth=0, limit=12):
    yield node
    if depth < limit:
        for child in _children(node):
            yield from walk(child, depth + 1, limit)


def find_in(node, name, role=None, visible=True):
    for n in walk(node):
        if name_of(n) == name and (role is None or role_of(n) == role) and \
                (not visible or showing(n)):
            return n
    return None


def dump(node, depth=0, out=None):
    """The tree under node as indented lines: role, name, description, text, states."""
    out = [] if out is None else out
    states = [s.value_nick for s in (Atspi.StateType.CHECKABLE, Atspi.StateType.CHECKED,
                                     Atspi.StateType.FOCUSABLE, Atspi.StateType.FOCUSED,
                                     Atspi.StateType.SELECTED, Atspi.StateType.SHOWING,
                                     Atspi.StateType.EDITABLE)
              if has_state(node, s)]
    try:
        description = node.get_description() or ""
    except GLibError:
        description = ""
    text = text_of(node)
    line = f"{'  ' * depth}[{role_of(node)}] \"{name_of(node)}\""
    if description:
        line += f" description=\"{description}\""
    if text and text != name_of(node):
        line += f" text={text!r}"
    if states:
        line += " (" + ", ".join(states) + ")"
    out.append(line)
    for child in _children(node):
        dump(child, depth + 1, out)
    return out


# --- the screen reader ----------------------------------------------------------------------

# Orca started as /usr/bin/orca does, minus its hunt for other Orcas of the same user (which it
# ends or gives way to): runs of the suite side by side keep their own screen readers.
_ORCA_MAIN = """
import sys
from orca import debug, orca
debug.debugLevel = debug.LEVEL_ALL
debug.eventDebugLevel = debug.LEVEL_OFF
debug.debugFile = open(sys.argv[1], "w", buffering=1)  # read while it runs
manager = orca.getSettingsManager()
manager.activate(sys.argv[2], {})
sys.path.insert(0, manager.getPrefsDir())
sys.exit(orca.main())
"""
_SPOKEN = re.compile(r" - SPEECH OUTPUT: '(.*)'\s*[\[{]")
# Orca takes up each key press it is told of with this line, before anything it says for it.
_KEY = re.compile(r"^vvvvv PROCESS ATSPI_KEY_PRESSED_EVENT: '(.*)' \(\d+\) vvvvv")


class Orca:
    """The Orca screen reader on the session's accessibility bus. What it would say is read from
    its debug output ("SPEECH OUTPUT: '...'" lines); no speech server is started (SPEECHD_CMD
    names a program that refuses), so nothing is heard and nothing outlives the scenario.

    Only this Orca is ever ended: it is started here as a child (not through /usr/bin/orca,
    whose --replace would end another user's or run's Orca), and stop() kills this child alone.

    Every utterance is credited to the key Orca had taken up last before it, as its debug file
    orders them, not to the key the scenario pressed last: a line Orca writes late still belongs
    to the key that caused it. Key number 0 is the time before the first key."""

    def __init__(self, folder):
        self.log_path = os.path.join(folder, "orca-debug.log")
        prefs = os.path.join(folder, "orca-prefs")
        os.makedirs(prefs, exist_ok=True)
        self.process = subprocess.Popen(
            ["/usr/bin/python3", "-c", _ORCA_MAIN, self.log_path, prefs],
            env=dict(os.environ, SPEECHD_CMD="/bin/false"), stdout=subprocess.DEVNULL,
            stderr=open(os.path.join(folder, "orca.log"), "w"))
        self._read_to = 0
        self._partial = b""
        self.spoken = []  # what was said, one string for each utterance
        self.credited = []  # the key number of each utterance
        self.keys = [None]  # the keys Orca took up, by number
        wait_until("Orca to start", lambda: "Screen reader on." in self.said(),
                   alive=lambda: self.process.poll() is None)

    def _read(self):
        try:
            with open(self.log_path, "rb") as f:
                f.seek(self._read_to)
                data = self._partial + f.read()
        except FileNotFoundError:
            return
        self._read_to += len(data) - len(self._partial)
        lines = data.split(b"\n")
        self._partial = lines.pop()
        for line in lines:
            text = line.decode("utf-8", "replace")
            m = _KEY.match(text)
            if m:
                self.keys.append(m.group(1))
                continue
            m = _SPOKEN.search(text)
            if m:
                self.spoken.append(m.group(1))
                self.credited.append(len(self.keys) - 1)

    def said(self):
        """Everything Orca said so far, one string for each utterance."""
        self._read()
        return self.spoken

    def mark(self):
        return len(self.said())

    def key_count(self):
        self._read()
        return len(self.keys) - 1

    def press(self, *keys):
        """Presses keys one after the other, each once Orca has taken up the one before;
        returns the number of the last one."""
        for key in keys:
            before = self.key_count()
            xdotool("key", "--delay", "0", key)
            wait_until(f"Orca to take up the key {key}", lambda: self.key_count() > before,
                       alive=lambda: self.process.poll() is None)
        return self.key_count()

    def type(self, text):
        """Types text key by key as press does; returns the number of the last key."""
        for char in text:
            self.press(_KEYSYMS.get(char, char))
        return self.key_count()

    def after(self, key):
        """What was said for the key numbered key and later, one string per utterance."""
        self._read()
        return [s for s, k in zip(self.spoken, self.credited) if k >= key]

    def said_for(self, key):
        """What was said for that key alone, until Orca took up the next one."""
        self._read()
        return [s for s, k in zip(self.spoken, self.credited) if k == key]

    def hears(self, text, since=None, key=None):
        """Waits until Orca has said text (a part of one utterance) after the mark since, or
        for the key numbered key or a later one; returns the index of that utterance."""
        def look():
            self._read()
            for i, s in enumerate(self.spoken):
                if text in s and (since is None or i >= since) and (
                        key is None or self.credited[i] >= key):
                    return i + 1
            return None
        try:
            return wait_until(f"Orca to say {text!r}", look,
                              alive=lambda: self.process.poll() is None) - 1
        except Failure as e:
            heard = self.after(key) if key is not None else self.said()[since or 0:]
            raise Failure(f"{e}; it said {heard!r}") from None

    def transcript(self):
        """What was said, each line under the key it was credited to."""
        self._read()
        out = []
        for i, key in enumerate(self.keys):
            lines = self.said_for(i)
            if i > 0:
                out.append(f"[{key}]")
            out.extend("  " + s for s in lines)
        return out

    def stop(self):
        if self.process.poll() is None:
            self.process.kill()  # it does not end on SIGTERM while its speech is off
        self.process.wait()
        if os.environ.get("E2E_ORCA_LOG"):  # its whole account of the events, to look into
            shutil.copyfile(self.log_path, os.environ["E2E_ORCA_LOG"])


_KEYSYMS = {" ": "space", ".": "period", ",": "comma", "-": "minus", "/": "slash"}


class WindowManager:
    """A window manager (metacity) on the suite's own X server, as a learner's desktop has one:
    it gives new windows the focus, and Alt+Tab and closing a window move it on. Started and
    ended here; no other window manager can be running on this private display."""

    def __init__(self, folder):
        self.process = subprocess.Popen(
            ["metacity", "--sm-disable", "--no-composite"], stdout=subprocess.DEVNULL,
            stderr=open(os.path.join(folder, "metacity.log"), "w"))
        wait_until("the window manager", self._running, alive=lambda: self.process.poll() is None)

    @staticmethod
    def _running():
        out = subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"],
                             capture_output=True, text=True).stdout
        return "window id" in out

    def stop(self):
        """Ends it and leaves the X server as it started: a window manager killed leaves its
        marks on the root window, by which programs started later believe one runs (they would
        ask it for the focus instead of taking it), and the focus on no window."""
        if self.process.poll() is None:
            self.process.kill()
        self.process.wait()
        for mark in ("_NET_SUPPORTING_WM_CHECK", "_NET_SUPPORTED", "_NET_ACTIVE_WINDOW"):
            subprocess.run(["xprop", "-root", "-remove", mark], check=True)
        x11 = ctypes.CDLL("libX11.so.6")
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XSetInputFocus.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int,
                                       ctypes.c_ulong]
        x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        display = x11.XOpenDisplay(None)
        x11.XSetInputFocus(display, 1, 1, 0)  # PointerRoot, RevertToPointerRoot, CurrentTime
        x11.XSync(display, 0)
        x11.XCloseDisplay(display)


# --- the trainer -----------------------------------------------------------------------------

FAKETIME_LIBRARY = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1"


def days_later(days):
    """The environment that runs a program under libfaketime, its clock `days` days on (the
    faketime package); the program itself is not told."""
    if not os.path.exists(FAKETIME_LIBRARY):
        raise Failure(f"no libfaketime at {FAKETIME_LIBRARY} (scripts/deps.sh test)")
    # A sanitizer build wants its runtime first among the loaded libraries; libfaketime
    # replaces no allocator, so the order does not matter to it.
    asan = ":".join(filter(None, [os.environ.get("ASAN_OPTIONS"), "verify_asan_link_order=0"]))
    return {"LD_PRELOAD": FAKETIME_LIBRARY, "FAKETIME": f"+{days}d",
            "FAKETIME_DONT_FAKE_MONOTONIC": "1", "ASAN_OPTIONS": asan}


class Trainer:
    """One run of the real executable in a working folder, found in the accessibility tree
    by its process id."""

    def __init__(self, executable, folder, args=(), log=None, env=None):
        self.folder = folder
        self.log = open(log or os.path.join(folder, "..", "trainer.log"), "a")
        self.process = subprocess.Popen([executable, *args], cwd=folder, stdout=self.log,
                                        stderr=subprocess.STDOUT,
                                        env=None if env is None else os.environ | env)
        self.app = wait_until("the trainer in the accessibility tree", self._find_app,
                              alive=self.running)
        self.app.set_cache_mask(Atspi.Cache.NONE)
        self.main = self.window(r" KAZ-TRAINER 1.0   Lektion: ", prefix=True)
        self.xid = wait_until("the main window's X id", self._main_xid, alive=self.running)

    def _find_app(self):
        desktop = Atspi.get_desktop(0)
        for app in _children(desktop):
            try:
                if app.get_process_id() == self.process.pid and app.get_child_count() > 0:
                    return app
            except GLibError:
                continue
        return None

    def _main_xid(self):
        # --all: by default xdotool takes a window that meets either condition.
        out = subprocess.run(["xdotool", "search", "--all", "--onlyvisible", "--pid",
                              str(self.process.pid), "--name", "^ KAZ-TRAINER 1.0   Lektion: "],
                             capture_output=True, text=True).stdout.split()
        return out[0] if out else None

    def running(self):
        return self.process.poll() is None

    # Windows and controls
    def windows(self):
        return [w for w in _children(self.app) if showing(w)]

    def find_window(self, title, prefix=False):
        for w in self.windows():
            n = name_of(w)
            if n == title or (prefix and n.startswith(title)):
                return w
        return None

    def window(self, title, prefix=False):
        return wait_until(f"the window \"{title}\"", lambda: self.find_window(title, prefix),
                          alive=self.running)

    def window_gone(self, title):
        wait_until(f"the window \"{title}\" to close", lambda: self.find_window(title) is None,
                   alive=self.running)

    def xid_of(self, title):
        """X id of the newest visible window of the trainer with exactly this title."""
        def look():
            out = subprocess.run(["xdotool", "search", "--all", "--onlyvisible", "--pid",
                                  str(self.process.pid), "--name", f"^{_regex(title)}$"],
                                 capture_output=True, text=True).stdout.split()
            return out[-1] if out else None
        return wait_until(f"the X window \"{title}\"", look, alive=self.running)

    # The two term fields, by their place in the main window: during a drill their names
    # follow the side of the entry each holds (in a reversed question the answer field is the
    # "1. Begriff"), so a scenario means the field, not the name, by these two.
    TERM_FIELDS = ("1. Begriff", "2. Begriff")

    def control(self, name, role=None, window=None):
        if name in self.TERM_FIELDS and role in (None, "text") and window in (None, self.main):
            def term_field():
                fields = [n for n in walk(self.main) if role_of(n) == "text"]
                return fields[self.TERM_FIELDS.index(name)] if len(fields) >= 2 else None
            return wait_until(f"the field \"{name}\"", term_field, alive=self.running)
        return wait_until(f"the control \"{name}\"",
                          lambda: find_in(window or self.main, name, role), alive=self.running)

    def absent(self, name, window=None):
        return find_in(window or self.main, name) is None

    def field(self, name):
        return text_of(self.control(name, "text"))

    def status(self):
        return name_of(self.control_by_description("Status"))

    def control_by_description(self, description):
        def look():
            for n in walk(self.main):
                try:
                    if n.get_description() == description and showing(n):
                        return n
                except GLibError:
                    pass
            return None
        return wait_until(f"the control described \"{description}\"", look, alive=self.running)

    def title(self):
        return name_of(self.main)

    # Acting
    def click(self, name, role=None, window=None, button=1):
        node = self.control(name, role, window)
        click_at(*centre(node), button=button)
        return node

    def activate(self):
        """Clicks the window's background until it has the X input focus, as a person's first
        click does; without a window manager nothing else gives it."""
        x, y, w, _ = extents(self.main)
        for _ in range(int(TIMEOUT / 0.5)):
            if focused_window() == self.xid:
                return
            click_at(x + w // 2, y + 60)
            try:
                wait_until("the focus", lambda: focused_window() == self.xid, timeout=0.5)
                return
            except Failure:
                pass
        raise Failure(f"the main window does not take the focus: {focused_window()} not {self.xid}")

    def answer_box(self, caption, button):
        """Waits for the message box with caption and clicks its button; returns its text."""
        box = self.window(caption)
        texts = [name_of(n) for n in walk(box) if role_of(n) == "label"]
        self.click(button, "push button", window=box)
        self.window_gone(caption)
        return "\n".join(texts)

    def rows(self, list_name):
        """(name, selected, y) of the rows of a list that are on screen, top to bottom."""
        lst = self.control(list_name, "list")
        out = []
        for item in _children(lst):
            if showing(item):
                out.append((name_of(item), has_state(item, Atspi.StateType.SELECTED),
                            extents(item)[1]))
        return sorted(out, key=lambda r: r[2])

    def selected_row(self, list_name):
        for name, selected, _ in self.rows(list_name):
            if selected:
                return name
        return None

    def click_row(self, list_name, row_name, nth=0):
        """Clicks the nth row on screen (from the top) that reads row_name."""
        lst = self.control(list_name, "list")
        items = [i for i in _children(lst) if name_of(i) == row_name and showing(i)]
        if len(items) <= nth:
            raise Failure(f"no row \"{row_name}\" number {nth + 1} on screen in the list "
                          f"\"{list_name}\"")
        click_at(*centre(sorted(items, key=lambda i: extents(i)[1])[nth]))

    def close(self, expect_status=0):
        wait_until("the trainer to end", lambda: not self.running())
        status = self.process.wait()
        self.log.close()
        if status != expect_status:
            raise Failure(f"the trainer ended with status {status}")

    def kill(self):
        if self.running():
            self.process.kill()
            self.process.wait()
        self.log.close()


def geometry(window_id):
    """(x, y, width, height) of an X window as the X server has it: its top-left on the
    screen and the size of its inside."""
    out = subprocess.run(["xwininfo", "-id", str(window_id)], capture_output=True, text=True,
                         check=True).stdout
    value = {k.strip(): v.strip() for k, _, v in
             (line.partition(":") for line in out.splitlines()) if _}
    return (int(value["Absolute upper-left X"]), int(value["Absolute upper-left Y"]),
            int(value["Width"]), int(value["Height"]))


def _regex(text):
    special = set(".^$*+?()[]{}|\\")
    return "".join("\\" + c if c in special else c for c in text)


def copy_program(build, into, with_help=False):
    """The trainer with its chart module alone in a folder (the help viewer, looked up beside
    it, is then absent and never starts; so is the sound module), or with its help viewer and
    help file."""
    os.makedirs(into, exist_ok=True)
    for name in ("kaz-trainer", "libkaz-chart.so"):
        shutil.copy2(os.path.join(build, "app", name), into)
    if with_help:
        shutil.copy2(os.path.join(build, "app", "kaz-help"), into)
        shutil.copy2(os.path.join(build, "app", "DODADIZE.HLP"), into)
    return os.path.join(into, "kaz-trainer")


def processes_under(folder):
    """Process ids of the programs running from folder (a scenario's copies of the trainer
    and its help viewer, and whatever they started detached)."""
    pids = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            exe = os.readlink(f"/proc/{entry}/exe")
        except OSError:
            continue
        if exe.startswith(folder + os.sep):
            pids.append(int(entry))
    return pids


def stop_processes_under(folder):
    for _ in range(int(TIMEOUT / POLL)):
        pids = processes_under(folder)
        if not pids:
            return
        for pid in pids:
            try:
                os.kill(pid, 9)
            except OSError:
                pass
        time.sleep(POLL)
    raise Failure(f"processes of {folder} do not end")


def help_window_pid(folder):
    """The process id of a help viewer from folder with a visible window; None if none."""
    viewers = set(processes_under(folder))
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "Hilfe"],
                         capture_output=True, text=True).stdout.split()
    for window in out:
        pid = subprocess.run(["xdotool", "getwindowpid", window], capture_output=True,
                             text=True).stdout.strip()
        if pid and int(pid) in viewers:
            return int(pid)
    return None


class _ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                ("data", ctypes.c_long * 5), ("pad", ctypes.c_char * 64)]


def close_window(window_id):
    """Asks a window to close as a window manager's close box does (WM_DELETE_WINDOW)."""
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                               ctypes.c_void_p]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    display = x11.XOpenDisplay(None)
    event = _ClientMessage()
    event.type = 33  # ClientMessage
    event.window = int(window_id)
    event.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
    event.format = 32
    event.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    event.data[1] = 0  # CurrentTime
    x11.XSendEvent(display, int(window_id), 0, 0, ctypes.byref(event))
    x11.XFlush(display)
    x11.XCloseDisplay(display)
