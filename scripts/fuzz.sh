#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time.
# usage: fuzz.sh [SECONDS_PER_TARGET] [TARGET...]   (default 60 s, every fuzz_* target)
# Seeds come from fuzz/corpus/<name>/; new inputs found go to build-fuzz/corpus/<name>/.
# A target fails on a non-zero exit and also on any sanitizer report in its log.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds=${1:-60}
shift || true
build="$root/build-fuzz"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DKAZ_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --parallel "$(nproc)" >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for f in "$root"/fuzz/fuzz_*.cpp; do targets+=("$(basename "$f" .cpp)"); done
fi
# The build makes sanitizer findings fatal; these make sure a report also stops the run.
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
export ASAN_OPTIONS="halt_on_error=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
sanitizer_report='runtime error:|ERROR: [A-Za-z]+Sanitizer|SUMMARY: [A-Za-z]+Sanitizer'
status=0
for t in "${targets[@]}"; do
    name=${t#fuzz_}
    work="$build/corpus/$name"
    mkdir -p "$work" "$build/artifacts"
    seeds=()
    [ -d "$root/fuzz/corpus/$name" ] && seeds=("$root/fuzz/corpus/$name")
    log="$build/$t.log"
    if "$build/fuzz/$t" -max_total_time="$seconds" -max_len=4096 -rss_limit_mb=2048 \
        -artifact_prefix="$build/artifacts/$t-" "$work" "${seeds[@]}" >"$log" 2>&1 &&
        ! grep -Eq "$sanitizer_report" "$log"; then
        echo "$t: ok, $(grep -Eo 'Done [0-9]+ runs' "$log" | tail -1 | grep -Eo '[0-9]+') executions in ${seconds} s"
    else
        echo "$t: FAILED (see $log)"; tail -30 "$log"; status=1
    fi
done
exit $status
