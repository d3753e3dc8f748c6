#!/usr/bin/env bash
# Builds the Debian package kaz-trainer_<version>_<arch>.deb into the build folder and prints
# its path. Installs what is missing to build the program and the package (dpkg-shlibdeps from
# dpkg-dev finds the libraries the package depends on), and builds only what is installed.
#   scripts/package.sh [BUILD_FOLDER]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build=${1:-$root/build}
"$root/scripts/deps.sh" package
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target kaz-trainer kaz-help kaz-sound kaz-chart kaz-speech --parallel "$(nproc)"
(cd "$build" && cpack -G DEB >cpack.log 2>&1) || {
    cat "$build/cpack.log" >&2
    exit 1
}
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
ls "$build"/kaz-trainer_"$version"_*.deb
