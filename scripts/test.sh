#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
# usage: test.sh [--sanitize]   (--sanitize: AddressSanitizer + UBSan build in build-asan/)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/deps.sh" test
if [ "${1:-}" = --sanitize ]; then
    build="$root/build-asan"
    "$root/scripts/build.sh" "$build" -DKAZ_SANITIZE=ON -DKAZ_WITH_BENCH=OFF
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0" UBSAN_OPTIONS=print_stacktrace=1
else
    build="$root/build"
    "$root/scripts/build.sh" "$build"
fi
ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)"
