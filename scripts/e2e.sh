#!/usr/bin/env bash
# End-to-end run of the real trainer on a private X server, driven with synthetic mouse and
# keyboard input as a person would drive it, with the files checked byte for byte afterwards:
#   1. start in an empty working folder, type three entries, save them through the save
#      dialog, close with Escape: the lesson file and the settings file are written;
#   2. start again, load the lesson through the open dialog, run a normal query answering the
#      first question wrong and every other one right, wait for the report, close: the results
#      log holds one record (3 entries, 1 wrong, grade 3).
# All three entries share the second term, so every right answer is known whatever the random
# order of the questions.
#
# usage: e2e.sh [BUILD_DIR]   (default: build/; the trainer is BUILD_DIR/app/kaz-trainer)
# Exit status: 0 passed, 1 failed, 77 skipped (no Xvfb). Needs Xvfb and xdotool
# (scripts/deps.sh test installs both). Every process it starts is stopped on exit.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
trainer="$build/app/kaz-trainer"
timeout_s=${E2E_TIMEOUT:-30} # for each single wait; the machine may be busy with other tests

if ! command -v Xvfb >/dev/null; then
    echo "SKIP: Xvfb is not installed (scripts/deps.sh test installs it)"
    exit 77
fi
for tool in xdotool xdpyinfo; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (scripts/deps.sh test)"; exit 1; }
done
[ -x "$trainer" ] || { echo "FAIL: no trainer at $trainer"; exit 1; }

work="$(mktemp -d "${TMPDIR:-/tmp}/kaz-e2e.XXXXXX")"
xvfb_pid=""
trainer_pid=""
passed=0

cleanup() {
    local status=$?
    if [ -n "$trainer_pid" ]; then kill "$trainer_pid" 2>/dev/null || true; wait "$trainer_pid" 2>/dev/null || true; fi
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
    if [ "$passed" -ne 1 ]; then
        for log in "$work"/*.log; do
            [ -s "$log" ] && { echo "--- $(basename "$log")"; tail -40 "$log"; }
        done
    fi
    rm -rf "$work"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

fail() { echo "FAIL: $*" >&2; exit 1; }
step() { echo "--- $*"; }

# Whether the trainer started last still runs (an ended child stays a zombie until waited for).
running() {
    local state
    state=$(ps -o stat= -p "$trainer_pid" 2>/dev/null) || return 1
    [[ $state != Z* ]]
}

# wait_until DESCRIPTION COMMAND...: runs COMMAND until it succeeds, at most timeout_s seconds;
# gives up at once when the trainer, while one is running, ends.
wait_until() {
    local what=$1; shift
    local deadline=$((SECONDS + timeout_s))
    until "$@"; do
        [ -z "$trainer_pid" ] || running || fail "the trainer ended while waiting for: $what"
        [ "$SECONDS" -lt "$deadline" ] || fail "timed out after ${timeout_s} s waiting for: $what"
        sleep 0.05
    done
}

# --- the X server, on a display it picks itself -----------------------------------------------
x_answers() { xdpyinfo >/dev/null 2>&1; }
for attempt in 1 2 3; do
    rm -f "$work/display"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >>"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    wait_until "the X server to name its display" test -s "$work/display"
    export DISPLAY=":$(head -1 "$work/display")"
    # A display number another server still holds a socket for can leave this one deaf.
    for _ in $(seq 40); do x_answers && break; sleep 0.05; done
    x_answers && break
    echo "note: the X server on $DISPLAY does not answer (attempt $attempt)" >&2
    kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; xvfb_pid=""
done
[ -n "$xvfb_pid" ] || fail "no X server could be started"

# A session of its own: fresh home (Qt's file dialog keeps settings there), no desktop services.
unset DBUS_SESSION_BUS_ADDRESS SESSION_MANAGER XDG_CURRENT_DESKTOP QT_QPA_PLATFORMTHEME WAYLAND_DISPLAY
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_CACHE_HOME="$work/home/.cache"
export XDG_DATA_HOME="$work/home/.local/share" XDG_RUNTIME_DIR="$work/runtime"
export QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8 LANG=C.UTF-8
mkdir -p "$HOME" "$work/folder" && mkdir -m 700 "$XDG_RUNTIME_DIR"

# The trainer alone in a folder of its own: the help viewer, looked up beside it, is not
# found there and so never starts.
mkdir "$work/bin" && cp "$trainer" "$work/bin/kaz-trainer"
folder="$work/folder" # the working folder: settings, results log, the lesson

# --- driving the window ---------------------------------------------------------------------
# The newest visible window of the trainer whose title matches an extended regular expression.
window_named() {
    xdotool search --all --onlyvisible --pid "$trainer_pid" --name "$1" 2>/dev/null | tail -1
}
# Waits for such a window; prints its id. Gives up at once when the trainer has ended.
await_window() {
    local id=""
    local deadline=$((SECONDS + timeout_s))
    while [ -z "$id" ]; do
        running || fail "the trainer ended while waiting for the window \"$1\""
        [ "$SECONDS" -lt "$deadline" ] || fail "timed out waiting for the window \"$1\""
        id=$(window_named "$1")
        [ -n "$id" ] || sleep 0.05
    done
    echo "$id"
}
window_gone() { [ -z "$(window_named "$1")" ]; }
has_focus() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }
title_is() { [ "$(xdotool getwindowname "$1" 2>/dev/null)" = "$2" ]; }
file_has_size() { [ -f "$1" ] && [ "$(stat -c %s "$1")" -eq "$2" ]; }

# Clicks at a position of a window (pixels from its top left corner).
click() { xdotool mousemove --window "$1" "$2" "$3" click 1; }
# A click into a window makes it the active one, as it does for a person. Without a window
# manager nothing else does; the click is repeated until the X server reports the focus there.
activate() {
    local wid=$1 x=$2 y=$3
    local deadline=$((SECONDS + timeout_s))
    until has_focus "$wid"; do
        [ "$SECONDS" -lt "$deadline" ] || fail "the window $wid does not take the focus"
        click "$wid" "$x" "$y"
        for _ in $(seq 20); do has_focus "$wid" && break; sleep 0.05; done
    done
}
type_text() { xdotool type --delay 15 -- "$1"; }
press() { xdotool key --delay 15 "$@"; }

# Positions in the main window (636 x 383 px): dialog units x2, y x17/8.
term1_field=(300 93)
background=(300 60)  # between the button row and the first field
load_button=(74 30)  # dialog units (8,5) 58x18
save_button=(156 30) # (68,5) 20x18
normal_query=(369 30) # (162,4) 45x20

start_trainer() {
    (cd "$folder" && exec "$work/bin/kaz-trainer" "$@") >>"$work/trainer.log" 2>&1 &
    trainer_pid=$!
    main=$(await_window '^ KAZ-TRAINER 1\.0   Lektion: ')
}
# Escape in the main window closes the trainer; the lesson is saved, so nothing is asked.
close_trainer() {
    activate "$main" "${background[@]}"
    press Escape
    local deadline=$((SECONDS + timeout_s))
    while running; do
        [ "$SECONDS" -lt "$deadline" ] || fail "the trainer did not end after Escape"
        sleep 0.05
    done
    local status=0
    wait "$trainer_pid" || status=$?
    trainer_pid=""
    [ "$status" -eq 0 ] || fail "the trainer ended with status $status"
}

# --- expected files -------------------------------------------------------------------------
printf 'vtfile\0eins\0Zahl\0zwei\0Zahl\0drei\0Zahl\0' >"$work/expected.lsn"
# Options off, thresholds 90 80 66 50 20.
printf '\0\0\0\x5A\0\0\0\x50\0\0\0\x42\0\0\0\x32\0\0\0\x14\0\0\0' >"$work/expected.cfg"
lesson="$folder/Zahlen.lsn"

same_bytes() { cmp -s "$1" "$2" || fail "$3: $(od -An -tx1 "$1" | head -3 | tr -s ' \n' ' ')"; }
u32_at() { od -An -tu4 --endian=little -j "$2" -N 4 "$1" | tr -d ' \n'; }

# --- run 1: type a lesson and save it -------------------------------------------------------
step "run 1: type three entries, save, close"
start_trainer
title_is "$main" " KAZ-TRAINER 1.0   Lektion: NEU" || fail "unexpected title: $(xdotool getwindowname "$main")"
activate "$main" "${term1_field[@]}"
for first in eins zwei drei; do
    type_text "$first"; press Return
    type_text "Zahl"; press Return
done
click "$main" "${save_button[@]}"
save_dialog=$(await_window '^Speichern unter$')
wait_until "the save dialog to take the focus" has_focus "$save_dialog"
type_text "Zahlen.lsn"
press Return
wait_until "the save dialog to close" window_gone '^Speichern unter$'
wait_until "the lesson file" file_has_size "$lesson" "$(stat -c %s "$work/expected.lsn")"
same_bytes "$lesson" "$work/expected.lsn" "lesson file after saving"
wait_until "the title to name the saved lesson" title_is "$main" " KAZ-TRAINER 1.0   Lektion: $lesson"
close_trainer
same_bytes "$folder/DODADIZE.CFG" "$work/expected.cfg" "settings file after run 1"
[ ! -e "$folder/DODADIZE.KAZ" ] || fail "a results log was written without an exercise"

# --- run 2: load it, run a normal query with one mistake ------------------------------------
step "run 2: load the lesson, one normal query with one wrong answer, close"
start_trainer
activate "$main" "${background[@]}"
click "$main" "${load_button[@]}"
open_dialog=$(await_window '^Öffnen$')
wait_until "the open dialog to take the focus" has_focus "$open_dialog"
type_text "Zahlen.lsn"
press Return
wait_until "the open dialog to close" window_gone '^Öffnen$'
upper_lesson=$(printf '%s' "$lesson" | tr 'a-z' 'A-Z')
wait_until "the title to name the loaded lesson" title_is "$main" " KAZ-TRAINER 1.0   Lektion: $upper_lesson"

activate "$main" "${background[@]}"
started=$(date +%s)
click "$main" "${normal_query[@]}"
# The answer field has the focus now. The first answer is wrong; Enter once more leaves the
# flashing correction; then three right answers end the first pass and two more the repeats
# of the wrong entry.
type_text "falsch"; press Return
press Return
for _ in 1 2 3 4; do type_text "Zahl"; press Return; done
report=$(await_window '^Ergebnis: Note 3$')
ended=$(date +%s)
[ -z "$(window_named 'GL.CKWUNSCH')" ] || fail "congratulated although one answer was wrong"
log="$folder/DODADIZE.KAZ"
wait_until "the results log" file_has_size "$log" 1360
[ -n "$report" ] || fail "no report window"
close_trainer

# --- the files after run 2 -------------------------------------------------------------------
step "checking the files"
same_bytes "$lesson" "$work/expected.lsn" "lesson file after the exercise"
same_bytes "$folder/DODADIZE.CFG" "$work/expected.cfg" "settings file after run 2"
file_has_size "$log" 1360 || fail "results log of $(stat -c %s "$log") bytes"
start=$(u32_at "$log" 0)
duration=$(u32_at "$log" 4)
[ "$start" -ge "$started" ] && [ "$start" -le "$ended" ] ||
    fail "start time $start outside $started..$ended"
[ "$duration" -le $((ended - started + 1)) ] || fail "duration $duration s"
cmp -s <(head -c 33 "$log" | tail -c 25) <(printf 'ZAHLEN'; head -c 19 /dev/zero) ||
    fail "lesson name field: $(head -c 33 "$log" | tail -c 25 | od -An -c | tr -s ' \n' ' ')"
[ "$(od -An -tu1 -j 33 -N 3 "$log" | tr -s ' \n' ' ')" = " 0 0 0 " ] || fail "option bytes"
thresholds=""
for i in 0 1 2 3 4; do thresholds+="$(u32_at "$log" $((36 + 4 * i))) "; done
[ "$thresholds" = "90 80 66 50 20 " ] || fail "thresholds $thresholds"
[ "$(u32_at "$log" 56)" -eq 3 ] || fail "grade $(u32_at "$log" 56), expected 3"
[ "$(u32_at "$log" 60)" -eq 3 ] || fail "entry count $(u32_at "$log" 60), expected 3"
[ "$(u32_at "$log" 64)" -eq 1 ] || fail "wrong entries $(u32_at "$log" 64), expected 1"
[ "$(tail -c +69 "$log" | tr -d '\0' | wc -c)" -eq 0 ] || fail "slots 1 to 19 are not empty"

passed=1
echo "PASS: e2e_real_window"
