#!/usr/bin/env bash
# The real-input suite: the real trainer on a private X server with its own session bus and
# accessibility bus; tests/e2e/suite.py finds the controls by their accessible names (AT-SPI)
# and acts with real X input (xdotool), as a person does, checking what the window shows and
# the files on disk, and, with the Orca screen reader started, what a blind learner hears.
#
# usage: e2e.sh [BUILD_DIR [SCENARIO ...]]   (default: build/; the trainer is BUILD_DIR/app/kaz-trainer)
# Exit status: 0 passed, 1 failed, 77 skipped (no Xvfb). scripts/deps.sh test installs what it
# needs. Every process it starts is stopped on exit; nothing else is touched.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
shift || true
timeout_s=${E2E_TIMEOUT:-30} # for each single wait; the machine may be busy with other tests

if ! command -v Xvfb >/dev/null; then
    echo "SKIP: Xvfb is not installed (scripts/deps.sh test installs it)"
    exit 77
fi
for tool in xdotool xdpyinfo xprop metacity dbus-daemon /usr/libexec/at-spi-bus-launcher; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (scripts/deps.sh test)"; exit 1; }
done
/usr/bin/python3 -c 'import gi; gi.require_version("Atspi", "2.0"); from gi.repository import Atspi' ||
    { echo "FAIL: python3-gi with Atspi is not installed (scripts/deps.sh test)"; exit 1; }
# The screen reader a scenario starts to hear the trainer (driver.Orca; its speech is read from
# its debug output, no synthesizer runs).
/usr/bin/python3 -c 'import importlib.util, sys; sys.exit(not importlib.util.find_spec("orca.orca"))' 2>/dev/null ||
    { echo "FAIL: the Orca screen reader is not installed (scripts/deps.sh test)"; exit 1; }
[ -x "$build/app/kaz-trainer" ] || { echo "FAIL: no trainer at $build/app/kaz-trainer"; exit 1; }

work="$(mktemp -d "${TMPDIR:-/tmp}/kaz-e2e.XXXXXX")"
pids=()
cleanup() {
    local status=$?
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
        wait "${pids[i]}" 2>/dev/null || true
    done
    [ "$status" -eq 0 ] || { [ -s "$work/xvfb.log" ] && tail -20 "$work/xvfb.log"; }
    rm -rf "$work"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

wait_for() { # DESCRIPTION COMMAND...
    local what=$1; shift
    local deadline=$((SECONDS + timeout_s))
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || { echo "FAIL: timed out waiting for $what"; exit 1; }
        sleep 0.05
    done
}

# --- the X server, on a display it picks itself -----------------------------------------------
x_answers() { xdpyinfo >/dev/null 2>&1; }
for attempt in 1 2 3; do
    rm -f "$work/display"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >>"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    wait_for "the X server to name its display" test -s "$work/display"
    export DISPLAY=":$(head -1 "$work/display")"
    # A display number another server still holds a socket for can leave this one deaf.
    for _ in $(seq 40); do x_answers && break; sleep 0.05; done
    if x_answers; then pids+=("$xvfb_pid"); break; fi
    echo "note: the X server on $DISPLAY does not answer (attempt $attempt)" >&2
    kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; xvfb_pid=""
done
[ -n "$xvfb_pid" ] || { echo "FAIL: no X server could be started"; exit 1; }

# --- a session of its own: fresh home, its own session bus, the accessibility bus -----------
unset SESSION_MANAGER XDG_CURRENT_DESKTOP QT_QPA_PLATFORMTHEME WAYLAND_DISPLAY AT_SPI_BUS_ADDRESS
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_CACHE_HOME="$work/home/.cache"
export XDG_DATA_HOME="$work/home/.local/share" XDG_RUNTIME_DIR="$work/runtime"
export QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8 LANG=C.UTF-8 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
mkdir -p "$HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"

dbus-daemon --session --nofork --nopidfile --address="unix:path=$XDG_RUNTIME_DIR/bus" \
    >>"$work/dbus.log" 2>&1 &
pids+=($!)
export DBUS_SESSION_BUS_ADDRESS="unix:path=$XDG_RUNTIME_DIR/bus"
wait_for "the session bus" test -S "$XDG_RUNTIME_DIR/bus"
/usr/libexec/at-spi-bus-launcher --launch-immediately >>"$work/dbus.log" 2>&1 &
pids+=($!)
wait_for "the accessibility bus" dbus-send --session --print-reply --dest=org.a11y.Bus \
    /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null 2>&1

# The controls' accessibility events need a listening bus, which the offscreen tests lack.
events_test="$build/tests/controls/controls_tests"
if [ -x "$events_test" ]; then
    "$events_test" --gtest_filter='ControlAccessiblesTest.ChangesAre*' --gtest_brief=1 >"$work/events.log" 2>&1 ||
        { cat "$work/events.log"; echo "FAIL: accessibility events"; exit 1; }
fi

E2E_TIMEOUT=$timeout_s /usr/bin/python3 "$root/tests/e2e/suite.py" "$build" "$work" "$@"
