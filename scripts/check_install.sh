#!/usr/bin/env bash
# Installs a built tree into a temporary prefix and checks what arrives there: the programs,
# the help file, the sample lessons and sound cues (byte for byte), the menu entry, the lesson
# file type, the icons, and what the menu's start script does. Lists the installed files and
# removes the prefix again.
#   scripts/check_install.sh BUILD_FOLDER
set -uo pipefail

build=${1:?usage: check_install.sh BUILD_FOLDER}
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
tmp=$(mktemp -d "${TMPDIR:-/tmp}/kaz-install.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/prefix
passed=0
failed=0

pass() { passed=$((passed + 1)); }
fail() {
    failed=$((failed + 1))
    echo "FAILED: $*" >&2
}
# check DESCRIPTION COMMAND...: counts the command's success or failure under the description.
check() {
    local what=$1
    shift
    if "$@"; then pass; else fail "$what"; fi
}

if ! cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" 2>&1; then
    cat "$tmp/install.log" >&2
    echo "FAILED: cmake --install $build" >&2
    exit 1
fi

# --- every file where it belongs --------------------------------------------------------------
programs=(bin/kaz-trainer bin/kaz-help libexec/kaz-trainer/kaz-trainer-start)
lessons=(ENGLISCH.LSN FRANZOES.LSN LATEIN.LSN)
sounds=(OK1.WAV OK2.WAV OK3.WAV NO1.WAV NO2.WAV NO3.WAV)
icon_sizes=(16 32 48 64 128 256)
desktop=share/applications/kaz-trainer.desktop
mime=share/mime/packages/kaz-trainer.xml

for p in "${programs[@]}"; do
    check "$p is an executable file" test -f "$prefix/$p" -a -x "$prefix/$p"
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

# --- the menu entry -----------------------------------------------------------------------------
# Without desktop-file-validate: every line a comment, a group header or key=value, the first
# group [Desktop Entry], and the keys a launcher needs.
desktop_basic_check() {
    awk '
        /^[ \t]*(#|$)/ { next }
        /^\[[^][]+\]$/ { if (!group) first = $0; group = $0; next }
        /^[A-Za-z0-9-]+(\[[A-Za-z0-9_@.-]+\])?=/ { if (group == "[Desktop Entry]") key[substr($0, 1, index($0, "=") - 1)] = 1; next }
        { print "malformed line: " $0; bad = 1 }
        END {
            if (first != "[Desktop Entry]") { print "first group is not [Desktop Entry]"; bad = 1 }
            split("Type Name Exec Icon MimeType", need, " ")
            for (i in need) if (!(need[i] in key)) { print "missing key " need[i]; bad = 1 }
            exit bad
        }' "$1"
}
if command -v desktop-file-validate >/dev/null; then
    check "desktop-file-validate $desktop" desktop-file-validate "$prefix/$desktop"
else
    echo "note: desktop-file-validate not found (package desktop-file-utils); basic check only"
fi
check "$desktop is well-formed" desktop_basic_check "$prefix/$desktop"

value() { sed -n "s/^$1=//p" "$prefix/$desktop" | head -n 1; }
launcher=$prefix/libexec/kaz-trainer/kaz-trainer-start
check "Exec starts the installed start script with the file" test "$(value Exec)" = "\"$launcher\" %f"
check "TryExec names the installed start script" test "$(value TryExec)" = "$launcher"
check "Icon is the installed icon's name" test "$(value Icon)" = kaz-trainer
check "MimeType is the lesson type" test "$(value MimeType)" = "application/x-kaz-lesson;"

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
{ pwd; for a in "\$@"; do echo "arg:\$a"; done; } >"$tmp/started"
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

echo "check_install: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
