#!/usr/bin/env bash
# Installs a built tree into a temporary prefix and checks what arrives there: the programs,
# the help file, the sample lessons and sound cues (byte for byte), the manual pages, the menu
# entries, the lesson file type, the icons, the software centre's description, what the menu's
# start script does, and that xdg-open in its generic mode (no known desktop) opens a lesson
# with the trainer.
# Then uninstalls through the build's "uninstall" target and checks that no file of ours and
# no entry in the MIME or menu caches is left. Lists the installed files and removes the
# prefix again.
#   scripts/check_install.sh BUILD_FOLDER
set -uo pipefail

build=${1:?usage: check_install.sh BUILD_FOLDER}
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# The prefix's path must need no quoting in a menu entry's Exec (see install_steps.cmake), or
# generic xdg-open could not be checked.
base=${TMPDIR:-/tmp}
case $base in *[!A-Za-z0-9/._+,@:-]*) base=/tmp ;; esac
tmp=$(mktemp -d "$base/kaz-install.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/prefix
# shellcheck source=scripts/check_common.sh
. "$root/scripts/check_common.sh"

if ! cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" 2>&1; then
    cat "$tmp/install.log" >&2
    echo "FAILED: cmake --install $build" >&2
    exit 1
fi

# --- every file where it belongs --------------------------------------------------------------
programs=(bin/kaz-trainer bin/kaz-help libexec/kaz-trainer/kaz-trainer-start)
modules=(libexec/kaz-trainer/libkaz-sound.so libexec/kaz-trainer/libkaz-chart.so
         libexec/kaz-trainer/libkaz-speech.so)
lessons=(ENGLISCH.LSN FRANZOES.LSN LATEIN.LSN)
sounds=(OK1.WAV OK2.WAV OK3.WAV NO1.WAV NO2.WAV NO3.WAV)
icon_sizes=(16 32 48 64 128 256)
desktop=share/applications/kaz-trainer.desktop
help_desktop=share/applications/kaz-help.desktop
mime=share/mime/packages/kaz-trainer.xml
metainfo=share/metainfo/kaz-trainer.metainfo.xml
svg_icon=share/icons/hicolor/scalable/apps/kaz-trainer.svg

for p in "${programs[@]}"; do
    check "$p is an executable file" test -f "$prefix/$p" -a -x "$prefix/$p"
done
for m in "${modules[@]}"; do
    check "$m is a library (ELF)" cmp -s -n 4 "$prefix/$m" <(printf '\177ELF')
done
check "bin/kaz-trainer is a program (ELF)" \
    cmp -s -n 4 "$prefix/bin/kaz-trainer" <(printf '\177ELF')
check "bin/kaz-help is a program (ELF)" cmp -s -n 4 "$prefix/bin/kaz-help" <(printf '\177ELF')
check "help file as in the sources" \
    cmp -s "$root/help/DODADIZE.HLP" "$prefix/share/kaz-trainer/DODADIZE.HLP"
for l in "${lessons[@]}"; do
    check "lesson $l as in the sources" \
        cmp -s "$root/resources/lessons/$l" "$prefix/share/kaz-trainer/lessons/$l"
done
for s in "${sounds[@]}"; do
    check "sound $s as in the sources" \
        cmp -s "$root/resources/sounds/$s" "$prefix/share/kaz-trainer/sounds/$s"
done
for page in kaz-trainer kaz-help; do
    check "manual page $page(1) is compressed" \
        cmp -s -n 2 "$prefix/share/man/man1/$page.1.gz" <(printf '\037\213')
done
check "kaz-trainer(1) names the prefix's sample lessons" \
    grep -qxF ".I $prefix/share/kaz-trainer/lessons/" <(zcat "$prefix/share/man/man1/kaz-trainer.1.gz")
check "the copyright file is installed" test -s "$prefix/share/doc/kaz-trainer/copyright"
check "exactly ${#lessons[@]} lessons" \
    test "$(find "$prefix/share/kaz-trainer/lessons" -type f | wc -l)" -eq ${#lessons[@]}
check "exactly ${#sounds[@]} sounds" \
    test "$(find "$prefix/share/kaz-trainer/sounds" -type f | wc -l)" -eq ${#sounds[@]}

# Width and height of a PNG from its header chunk, as "W H".
png_size() {
    local bytes
    bytes=$(od -An -tu1 -j16 -N8 "$1" 2>/dev/null) || return 1
    # shellcheck disable=SC2086
    set -- $bytes
    [ $# -eq 8 ] || return 1
    echo "$(($1 << 24 | $2 << 16 | $3 << 8 | $4)) $(($5 << 24 | $6 << 16 | $7 << 8 | $8))"
}
for s in "${icon_sizes[@]}"; do
    icon=$prefix/share/icons/hicolor/${s}x$s/apps/kaz-trainer.png
    check "icon ${s}x$s is a PNG" cmp -s -n 8 "$icon" <(printf '\211PNG\r\n\032\n')
    check "icon ${s}x$s measures $s x $s" test "$(png_size "$icon")" = "$s $s"
done
check "scalable icon as in the sources" cmp -s "$root/packaging/icons/kaz-trainer.svg" "$prefix/$svg_icon"
if command -v xmllint >/dev/null; then
    check "scalable icon is an SVG document" \
        test "$(xmllint --xpath 'name(/*)' "$prefix/$svg_icon" 2>/dev/null)" = svg
fi

# --- the menu entry -----------------------------------------------------------------------------
# Without desktop-file-validate: every line a comment, a group header or key=value, the first
# group [Desktop Entry], and the keys a launcher needs.
#   desktop_basic_check FILE "KEY..."
desktop_basic_check() {
    awk -v needed="$2" '
        /^[ \t]*(#|$)/ { next }
        /^\[[^][]+\]$/ { if (!group) first = $0; group = $0; next }
        /^[A-Za-z0-9-]+(\[[A-Za-z0-9_@.-]+\])?=/ { if (group == "[Desktop Entry]") key[substr($0, 1, index($0, "=") - 1)] = 1; next }
        { print "malformed line: " $0; bad = 1 }
        END {
            if (first != "[Desktop Entry]") { print "first group is not [Desktop Entry]"; bad = 1 }
            split(needed, need, " ")
            for (i in need) if (!(need[i] in key)) { print "missing key " need[i]; bad = 1 }
            exit bad
        }' "$1"
}
for entry in "$desktop" "$help_desktop"; do
    if command -v desktop-file-validate >/dev/null; then
        check "desktop-file-validate $entry" desktop-file-validate "$prefix/$entry"
    else
        echo "note: desktop-file-validate not found (package desktop-file-utils); basic check only"
    fi
done
check "$desktop is well-formed" desktop_basic_check "$prefix/$desktop" "Type Name Exec Icon MimeType"
check "$help_desktop is well-formed" desktop_basic_check "$prefix/$help_desktop" "Type Name Exec Icon NoDisplay"

# value ENTRY KEY: the key's value in the entry (first occurrence).
value() { sed -n "s/^$2=//p" "$prefix/$1" | head -n 1; }
launcher=$prefix/libexec/kaz-trainer/kaz-trainer-start
# The path stands bare in Exec, without quotes: generic xdg-open would keep them.
check "Exec starts the installed start script with the file" \
    test "$(value "$desktop" Exec)" = "$launcher %f"
check "TryExec names the installed start script" test "$(value "$desktop" TryExec)" = "$launcher"
check "Icon is the installed icon's name" test "$(value "$desktop" Icon)" = kaz-trainer
check "MimeType is the lesson type" test "$(value "$desktop" MimeType)" = "application/x-kaz-lesson;"
check "the trainer's entry names its windows' class" \
    test "$(value "$desktop" StartupWMClass)" = kaz-trainer
check "the help entry starts the installed viewer with the help file" \
    test "$(value "$help_desktop" Exec)" = "$prefix/bin/kaz-help --force-file DODADIZE.HLP"
check "the help entry has the trainer's icon" test "$(value "$help_desktop" Icon)" = kaz-trainer
check "the help entry is not in the menu" test "$(value "$help_desktop" NoDisplay)" = true
check "the help entry names the viewer's window class" \
    test "$(value "$help_desktop" StartupWMClass)" = kaz-help

# --- the software centre's description --------------------------------------------------------
if command -v appstreamcli >/dev/null; then
    # The id is the menu entry's name, not a reversed domain; that is a choice, not a fault.
    appstream_valid() {
        appstreamcli validate --no-net --override=cid-desktopapp-is-not-rdns=info "$1" \
            >"$tmp/appstream.log" 2>&1 || { cat "$tmp/appstream.log" >&2; return 1; }
    }
    check "appstreamcli validate $metainfo" appstream_valid "$prefix/$metainfo"
elif command -v xmllint >/dev/null; then
    echo "note: appstreamcli not found (package appstream); XML checked only"
    check "$metainfo is well-formed XML" xmllint --noout "$prefix/$metainfo"
fi
check "$metainfo launches the trainer's menu entry" \
    grep -q '<launchable type="desktop-id">kaz-trainer.desktop</launchable>' "$prefix/$metainfo"

# --- the lesson file type -----------------------------------------------------------------------
if command -v xmllint >/dev/null; then
    check "$mime is well-formed XML" xmllint --noout "$prefix/$mime"
else
    echo "note: xmllint not found (package libxml2-utils); the XML is not parsed here"
fi
check "$mime defines application/x-kaz-lesson" \
    grep -q '<mime-type type="application/x-kaz-lesson">' "$prefix/$mime"
# The install compiles the type into the prefix's MIME database and indexes the menu entry
# under it, where the tools are there.
if command -v update-mime-database >/dev/null; then
    check "the prefix's compiled MIME database holds the lesson type" \
        test -f "$prefix/share/mime/mime.cache" -a -f "$prefix/share/mime/application/x-kaz-lesson.xml"
else
    echo "note: update-mime-database not found (package shared-mime-info); nothing compiled"
fi
if command -v update-desktop-database >/dev/null; then
    check "the prefix's desktop index opens lessons with the trainer" \
        grep -qx 'application/x-kaz-lesson=kaz-trainer.desktop;' "$prefix/share/applications/mimeinfo.cache"
else
    echo "note: update-desktop-database not found (package desktop-file-utils); no index"
fi

# --- what was installed -------------------------------------------------------------------------
echo "Installed files (prefix $prefix):"
(cd "$prefix" && find . -type f | sed 's|^\./||' | sort | while read -r f; do
    printf '  %-52s %8s bytes\n' "$f" "$(stat -c %s "$f")"
done)

# --- what the start script does -----------------------------------------------------------------
# A stand-in for the trainer records the folder it was started in and its arguments.
cat >"$prefix/bin/kaz-trainer" <<EOF
#!/bin/sh
{ pwd; for a in "\$@"; do echo "arg:\$a"; done; } >"$tmp/started.part"
mv "$tmp/started.part" "$tmp/started"
EOF
chmod +x "$prefix/bin/kaz-trainer"

mkdir -p "$tmp/home" "$tmp/elsewhere" "$tmp/own"
printf 'vtfile\0mine\0meins\0' >"$tmp/own/ENGLISCH.LSN"
cp "$tmp/own/ENGLISCH.LSN" "$tmp/own-before.lsn"

# start_case NAME KAZ_HOME EXPECTED_FOLDER EXPECTED_ARGUMENT ARGUMENT...
# Runs the start script from $tmp/elsewhere (KAZ_HOME empty = unset) and compares what the
# stand-in recorded with the folder and the one argument expected ("" = none).
start_case() {
    local name=$1 home=$2 folder=$3 expected_arg=$4
    shift 4
    local expected
    expected=$(printf '%s\n' "$folder"; [ -z "$expected_arg" ] || printf 'arg:%s\n' "$expected_arg")
    rm -f "$tmp/started"
    if [ -n "$home" ]; then
        (cd "$tmp/elsewhere" && HOME=$tmp/home KAZ_HOME=$home "$launcher" "$@")
    else
        (cd "$tmp/elsewhere" && unset KAZ_HOME && HOME=$tmp/home "$launcher" "$@")
    fi
    check "start script, $name: exits 0" test $? -eq 0
    check "start script, $name: folder and arguments" \
        test "$(cat "$tmp/started" 2>/dev/null)" = "$expected"
    for l in "${lessons[@]}"; do
        check "start script, $name: $l in the working folder" test -f "$folder/$l"
    done
}
start_case "default folder, relative lesson" "" "$tmp/home/KAZ-TRAINER" \
    "$tmp/elsewhere/my.lsn" my.lsn
check "start script: sample lesson copied unchanged" \
    cmp -s "$root/resources/lessons/LATEIN.LSN" "$tmp/home/KAZ-TRAINER/LATEIN.LSN"
start_case "KAZ_HOME, absolute lesson" "$tmp/own" "$tmp/own" /data/LATEIN.LSN /data/LATEIN.LSN
check "start script: the user's own ENGLISCH.LSN is kept" \
    cmp -s "$tmp/own-before.lsn" "$tmp/own/ENGLISCH.LSN"
start_case "no lesson" "$tmp/own" "$tmp/own" ""
start_case "an option" "$tmp/own" "$tmp/own" --version --version

# --- opening a lesson from the desktop ----------------------------------------------------------
# As under a plain window manager: no desktop named in the environment (xdg-open takes its
# generic mode), a display, the prefix's data before the system's, no settings of the user's.
# xdg-open finds the file's type in the prefix's MIME database, the default program for it in
# the prefix's menu index, and runs that entry's Exec: the start script, which starts the
# stand-in trainer with the lesson. gio open (GNOME's way; KDE reads Exec the same way) too.
desktop_env() {
    (cd "$tmp/elsewhere" && env -i PATH="$PATH" HOME="$tmp/home" DISPLAY=:kaz-check \
        DBUS_SESSION_BUS_ADDRESS=disabled: XDG_DATA_HOME="$tmp/no-data" \
        XDG_DATA_DIRS="$prefix/share:/usr/share" XDG_CONFIG_HOME="$tmp/no-config" \
        XDG_CONFIG_DIRS="$tmp/no-config" "$@")
}
# wait_started: polls until the stand-in has recorded a start, at most 20 s.
wait_started() {
    local tries=200
    while [ ! -e "$tmp/started" ] && [ $tries -gt 0 ]; do
        tries=$((tries - 1))
        sleep 0.1
    done
    [ -e "$tmp/started" ]
}
# open_case NAME OPENER...: opens $tmp/elsewhere/NAME (given relative, as a file manager may)
# and checks that the trainer started in the working folder with the lesson's full path.
open_case() {
    local name=$1
    shift
    local opener="$*"
    rm -f "$tmp/started"
    desktop_env "$@" "$name" >"$tmp/open.log" 2>&1
    local status=$?
    check "$opener \"$name\": exits 0" test $status -eq 0
    [ $status -eq 0 ] || cat "$tmp/open.log" >&2
    check "$opener \"$name\": the trainer starts with the lesson" wait_started
    check "$opener \"$name\": folder and argument" test "$(cat "$tmp/started" 2>/dev/null)" = \
        "$(printf '%s\narg:%s' "$tmp/home/KAZ-TRAINER" "$tmp/elsewhere/$name")"
}
printf 'vtfile\0Haus\0house\0' >"$tmp/elsewhere/Meine Lektion.LSN"
printf 'vtfile\0Baum\0tree\0' >"$tmp/elsewhere/vokabeln"
if command -v xdg-open >/dev/null && command -v xdg-mime >/dev/null; then
    check "generic xdg-mime: the trainer opens lessons" \
        test "$(desktop_env xdg-mime query default application/x-kaz-lesson)" = kaz-trainer.desktop
    open_case "Meine Lektion.LSN" xdg-open
    open_case vokabeln xdg-open # known by its first bytes
else
    echo "note: xdg-open not found (package xdg-utils); generic opening not checked"
fi
if command -v gio >/dev/null; then
    open_case "Meine Lektion.LSN" gio open
else
    echo "note: gio not found (package libglib2.0-bin); gio open not checked"
fi

# --- uninstalling -------------------------------------------------------------------------------
# The build's uninstall target removes what the manifest lists and refreshes the caches.
if cmake --build "$build" --target uninstall >"$tmp/uninstall.log" 2>&1; then
    pass
else
    cat "$tmp/uninstall.log" >&2
    fail "cmake --build $build --target uninstall"
fi
check "uninstall removes every installed file" \
    none_left "after uninstall" "$build/install_manifest.txt"
check "uninstall removes our folders" \
    test -z "$(find "$prefix" -name kaz-trainer -type d)"
check "no file under the prefix names the trainer, its help or the lesson type" \
    test -z "$(grep -rlE 'kaz-trainer|kaz-help|x-kaz-lesson' "$prefix")"
if command -v xdg-mime >/dev/null; then
    check "generic xdg-mime: no program opens lessons any more" \
        test -z "$(desktop_env xdg-mime query default application/x-kaz-lesson)"
fi

echo "check_install: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
