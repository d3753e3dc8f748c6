#!/usr/bin/env bash
# Builds the Debian package from a built tree (cpack, into a temporary folder) and checks it:
# its control data and exactly which files it holds, that the menu entry and the manual pages
# name /usr and nothing of the build, and that lintian finds no error. As root (CI) it then
# installs the package with apt-get, checks the program, the lesson type's default program and
# the manual page, purges it, and checks that none of its files and no cache entry of ours is
# left. A package left installed by an earlier run is purged first; this run's is purged on any
# exit. Exits 77 (skipped) without dpkg-deb and dpkg-shlibdeps (packages dpkg and dpkg-dev).
#   scripts/check_package.sh BUILD_FOLDER VERSION
set -uo pipefail

build=${1:?usage: check_package.sh BUILD_FOLDER VERSION}
version=${2:?usage: check_package.sh BUILD_FOLDER VERSION}
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "$build" && pwd)"
for tool in dpkg-deb dpkg-shlibdeps cpack; do
    if ! command -v "$tool" >/dev/null; then
        echo "skipped: $tool not found (packages dpkg-dev, cmake)"
        exit 77
    fi
done

tmp=$(mktemp -d "${TMPDIR:-/tmp}/kaz-package.XXXXXX")
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo -n)
export DEBIAN_FRONTEND=noninteractive
apt_get() { "${sudo[@]}" apt-get -o DPkg::Lock::Timeout=600 -y -q "$@"; }
installed() { dpkg-query -W -f='${db:Status-Status}' kaz-trainer 2>/dev/null | grep -qx installed; }
cleanup() {
    if [ -n "${may_install:-}" ] && installed; then
        apt_get purge kaz-trainer >/dev/null 2>&1
    fi
    rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP # through the cleanup too
# shellcheck source=scripts/check_common.sh
. "$root/scripts/check_common.sh"
# has_line FILE LINE: FILE holds LINE exactly.
has_line() { grep -qxF -- "$2" "$1"; }

# --- building -----------------------------------------------------------------------------------
# The list of what "cmake --install" put where, which the uninstall target reads, must survive.
manifest=$build/install_manifest.txt
if [ -e "$manifest" ]; then cp "$manifest" "$tmp/manifest"; else : >"$tmp/no-manifest"; fi
started=$SECONDS
if ! (cd "$tmp" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/out") \
    >"$tmp/cpack.log" 2>&1; then
    cat "$tmp/cpack.log" >&2
    echo "FAILED: cpack -G DEB" >&2
    exit 1
fi
debs=("$tmp"/out/kaz-trainer_"$version"_*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    ls -l "$tmp/out" >&2
    echo "FAILED: one package kaz-trainer_${version}_<arch>.deb" >&2
    exit 1
fi
deb=${debs[0]}
echo "built ${deb##*/} ($(stat -c %s "$deb") bytes) in $((SECONDS - started)) s"
if [ -e "$tmp/no-manifest" ]; then
    check "packaging writes no install_manifest.txt" test ! -e "$manifest"
else
    check "packaging leaves install_manifest.txt as it was" cmp -s "$tmp/manifest" "$manifest"
fi

# --- what the package says about itself -------------------------------------------------------
field() { dpkg-deb --field "$deb" "$1"; }
check "Package is kaz-trainer" test "$(field Package)" = kaz-trainer
check "Version is $version" test "$(field Version)" = "$version"
check "Section is education" test "$(field Section)" = education
check "a maintainer with an address" grep -qE '^[^<>]+ <[^<>@ ]+@[^<> ]+>$' <<<"$(field Maintainer)"
depends=$(field Depends)
echo "Depends: $depends"
# Qt's widget library comes from the programs, Qt Multimedia from the sound module only.
for dependency in libqt6widgets6 libqt6multimedia6 fonts-liberation qt6-translations-l10n; do
    check "Depends names $dependency" grep -qE "(^|, )$dependency( |,|$)" <<<"$depends"
done
dpkg-deb --info "$deb" | sed -n 's/^ *[0-9]\+ bytes, *[0-9]\+ lines *\*\? *\([^ ]*\).*/\1/p' \
    | sort >"$tmp/control-members"
check "one maintainer script, postrm: the control members are control, md5sums, postrm" \
    test "$(paste -sd' ' "$tmp/control-members")" = "control md5sums postrm"

# --- the files it holds -------------------------------------------------------------------------
dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ { sub(/^\.\//, "", $6); print $6 }' | sort \
    >"$tmp/contents"
{
    printf '%s\n' usr/bin/kaz-trainer usr/bin/kaz-help \
        usr/libexec/kaz-trainer/kaz-trainer-start usr/libexec/kaz-trainer/libkaz-sound.so \
        usr/libexec/kaz-trainer/libkaz-chart.so usr/libexec/kaz-trainer/libkaz-speech.so \
        usr/share/kaz-trainer/DODADIZE.HLP \
        usr/share/applications/kaz-trainer.desktop usr/share/applications/kaz-help.desktop \
        usr/share/mime/packages/kaz-trainer.xml usr/share/metainfo/kaz-trainer.metainfo.xml \
        usr/share/icons/hicolor/scalable/apps/kaz-trainer.svg \
        usr/share/man/man1/kaz-trainer.1.gz usr/share/man/man1/kaz-help.1.gz \
        usr/share/doc/kaz-trainer/copyright usr/share/doc/kaz-trainer/changelog.gz
    for s in 16 32 48 64 128 256; do echo "usr/share/icons/hicolor/${s}x$s/apps/kaz-trainer.png"; done
    for f in "$root"/resources/lessons/*.LSN; do echo "usr/share/kaz-trainer/lessons/${f##*/}"; done
    for f in "$root"/resources/sounds/*.WAV; do echo "usr/share/kaz-trainer/sounds/${f##*/}"; done
} | sort >"$tmp/expected"
if ! cmp -s "$tmp/expected" "$tmp/contents"; then
    diff "$tmp/expected" "$tmp/contents" | sed -n 's/^</  missing:/p; s/^>/  unexpected:/p' >&2
    fail "the package holds exactly the installed files (no cache, nothing of the build)"
else
    pass
fi

dpkg-deb -x "$deb" "$tmp/x"
check "the menu entry starts /usr's start script" \
    has_line "$tmp/x/usr/share/applications/kaz-trainer.desktop" \
    "Exec=/usr/libexec/kaz-trainer/kaz-trainer-start %f"
check "the help entry starts /usr's viewer" \
    has_line "$tmp/x/usr/share/applications/kaz-help.desktop" \
    "Exec=/usr/bin/kaz-help --force-file DODADIZE.HLP"
check "kaz-trainer(1) names /usr's lessons" \
    grep -q '^\.I /usr/share/kaz-trainer/lessons/$' <(zcat "$tmp/x/usr/share/man/man1/kaz-trainer.1.gz")
check "the software centre's description lists release $version" \
    grep -q "<release version=\"$version\" date=\"[0-9-]*\"" \
    "$tmp/x/usr/share/metainfo/kaz-trainer.metainfo.xml"
check "no file names the build or staging folder" \
    test -z "$(grep -rlaF -e "$build" -e _CPack_Packages "$tmp/x")"

# --- Debian's package checker -------------------------------------------------------------------
if command -v lintian >/dev/null; then
    started=$SECONDS
    lintian --tag-display-limit 0 "$deb" >"$tmp/lintian.log" 2>&1
    echo "lintian ($((SECONDS - started)) s):"
    sed 's/^/  /' "$tmp/lintian.log"
    check "lintian reports no error" test -z "$(grep '^E: ' "$tmp/lintian.log")"
else
    echo "note: lintian not found (package lintian); the package is not checked by it"
fi

# --- installed and purged with apt-get ----------------------------------------------------------
if [ "$(id -u)" -ne 0 ] && ! sudo -n true 2>/dev/null; then
    echo "note: neither root nor sudo without a password; installing the package not checked"
    echo "check_package: $passed passed, $failed failed"
    [ "$failed" -eq 0 ]
    exit
fi
may_install=1
if installed; then
    echo "note: kaz-trainer is installed from an earlier run; purging it first"
    apt_get purge kaz-trainer >"$tmp/apt.log" 2>&1 || cat "$tmp/apt.log" >&2
fi
# The lesson type's default program as a desktop sees it: /usr/share only, no user settings.
default_program() {
    env -i PATH="$PATH" HOME="$tmp/home" XDG_DATA_HOME="$tmp/no-data" XDG_DATA_DIRS=/usr/share \
        XDG_CONFIG_HOME="$tmp/no-config" XDG_CONFIG_DIRS="$tmp/no-config" \
        xdg-mime query default application/x-kaz-lesson 2>/dev/null
}
started=$SECONDS
if apt_get install --no-install-recommends "$deb" >"$tmp/apt.log" 2>&1; then
    pass
    echo "installed with apt-get in $((SECONDS - started)) s"
else
    cat "$tmp/apt.log" >&2
    fail "apt-get install ${deb##*/}"
fi
dpkg -L kaz-trainer >"$tmp/listed" 2>/dev/null
check "dpkg -L lists the package's files" has_line "$tmp/listed" /usr/bin/kaz-trainer
# What must go with the package: every file it lists, and its folders named kaz-trainer; the
# shared folders (/usr/bin, /usr/share/man/man1, ...) stay.
while IFS= read -r path; do
    if [ -d "$path" ] && [ ! -L "$path" ]; then
        case $path in */kaz-trainer | */kaz-trainer/*) echo "$path" ;; esac
    else
        echo "$path"
    fi
done <"$tmp/listed" >"$tmp/ours"
mkdir -p "$tmp/work"
# Without a display: --version must not need one.
version_output=$(cd "$tmp/work" && env -i PATH="$PATH" HOME="$tmp/home" timeout 20 kaz-trainer --version 2>&1)
check "kaz-trainer --version prints $version (got: ${version_output:0:200})" \
    grep -qF "$version" <<<"$version_output"
if command -v xdg-mime >/dev/null; then
    check "xdg-mime: the trainer opens lessons" test "$(default_program)" = kaz-trainer.desktop
else
    echo "note: xdg-mime not found (package xdg-utils); the lesson type's program not checked"
fi
if command -v man >/dev/null; then
    check "man -w finds kaz-trainer(1)" test "$(man -w kaz-trainer 2>/dev/null)" = \
        /usr/share/man/man1/kaz-trainer.1.gz
    check "man -w finds kaz-help(1)" test "$(man -w kaz-help 2>/dev/null)" = \
        /usr/share/man/man1/kaz-help.1.gz
    # man-db's index, filled by its trigger from the pages' name lines.
    check "whatis knows kaz-trainer(1)" grep -q '^kaz-trainer (1) *- Vokabeltrainer' \
        <(whatis kaz-trainer 2>/dev/null)
fi

started=$SECONDS
if apt_get purge kaz-trainer >"$tmp/apt.log" 2>&1; then
    pass
    echo "purged with apt-get in $((SECONDS - started)) s"
else
    cat "$tmp/apt.log" >&2
    fail "apt-get purge kaz-trainer"
fi
check "dpkg knows kaz-trainer no more" \
    test -z "$(dpkg-query -W -f='${db:Status-Status}' kaz-trainer 2>/dev/null | grep -v not-installed)"
check "purge leaves none of the package's files and folders" none_left "after purge" "$tmp/ours"
check "the menu's type index names the trainer no more" \
    test -z "$(grep -lF kaz-trainer /usr/share/applications/mimeinfo.cache 2>/dev/null)"
check "the MIME database knows the lesson type no more" \
    test ! -e /usr/share/mime/application/x-kaz-lesson.xml
if [ -f /usr/share/icons/hicolor/icon-theme.cache ]; then
    check "the icon cache names the trainer's icon no more" \
        test -z "$(grep -laF kaz-trainer /usr/share/icons/hicolor/icon-theme.cache)"
fi
if command -v xdg-mime >/dev/null; then
    check "xdg-mime: no program opens lessons any more" test -z "$(default_program)"
fi
if command -v whatis >/dev/null; then
    check "man-db's index names the manual pages no more" \
        test -z "$(whatis kaz-trainer kaz-help 2>/dev/null)"
fi

echo "check_package: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
