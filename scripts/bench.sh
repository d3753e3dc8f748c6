#!/usr/bin/env bash
# Builds the optimised program and benchmarks, runs them, and prints every figure (medians)
# against its target:
#   lesson file read/write, exercise engine          bench/lesson_bench, bench/exercise_bench
#   learning record at 100,000 entries and a year of history: one answer recorded, the due
#   count of a 2,000-entry lesson                    bench/record_bench
#   a simulated learner over a year, the fixed table against FSRS-6: questions per word and
#   recall                                           bench/learner_bench
#   window: load and close of 1,000 / 20,000 / 100,000 entries, one answer at 100,000 (with
#   recording it in the learning record),
#   import of a 100,000-row table, of a 20,000-entry KVTML file; a 2,000-entry word list as PDF
#                                                    bench/dialog_gui_bench (offscreen)
#   start-up to the first painted frame: the trainer against a bare Qt dialog, without and
#   with its help viewer starting beside it; with the viewer and a 2,000- and a 100,000-entry
#   lesson to the first frame whose title names it, against no lesson, with its peak memory
#                                                    startup-timer's mapwait (private Xvfb)
# usage: bench.sh [BUILD_DIR] [RUNS]   (default build/, 15 start-up rounds: on a shared machine
# a start-up time swings by tens of ms from one minute to the next, and fewer rounds let that
# decide a ratio)
# Environment: STARTUP_TIMER (default /work/shared/tools/startup-timer), BENCH_REPETITIONS (5).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build=${1:-$root/build}
runs=${2:-15}
reps=${BENCH_REPETITIONS:-5}
[ "$reps" -ge 2 ] || reps=2 # medians need repetitions
timer_src=${STARTUP_TIMER:-/work/shared/tools/startup-timer}

# Targets, in ms (start-up as a ratio, memory in MB).
target_startup_ratio=1.2
target_lesson_ratio=1.8
target_small_lesson_ratio=1.1
target_load_ms=150
target_kvtml_ms=200
target_pdf_ms=1000
target_close_ms=1000
target_answer_ms=5
target_due_count_ms=20
target_memory_mb=64

"$root/scripts/deps.sh" test
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKAZ_WITH_BENCH=ON >/dev/null
cmake --build "$build" --parallel "$(nproc)" \
    --target lesson_bench exercise_bench record_bench learner_bench dialog_gui_bench kaz-trainer kaz-help >/dev/null

work="$(mktemp -d "${TMPDIR:-/tmp}/kaz-bench.XXXXXX")"
xvfb_pid=""
cleanup() {
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Median of the numbers on stdin.
median() { sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) print "nan"; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
# verdict VALUE LIMIT: "ok" when VALUE < LIMIT (<= for ratios), else "MISSED".
verdict() { awk -v v="$1" -v l="$2" -v eq="${3:-0}" 'BEGIN { print ((v < l || (eq && v <= l)) ? "ok" : "MISSED") }'; }

# Runs a Google Benchmark program with repetitions; keeps the median lines as
# "name value unit" in $work/<program>.medians and shows them.
run_bench() {
    local program=$1; shift
    echo "== $program (median of $reps repetitions)"
    "$build/bench/$program" --benchmark_repetitions="$reps" --benchmark_report_aggregates_only=true \
        "$@" 2>/dev/null | tee "$work/$program.out" |
        awk '/_median / { extra = ""; for (i = 7; i <= NF; i++) extra = extra " " $i
                          printf "   %-58s %10s %s%s\n", $1, $2, $3, extra }'
    awk '/_median / { print $1, $2, $3 }' "$work/$program.out" >"$work/$program.medians"
}
# The median of one benchmark in ms.
bench_ms() {
    awk -v name="$2" '$1 == name {
        f = ($3 == "ns") ? 1e-6 : ($3 == "us") ? 1e-3 : ($3 == "s") ? 1e3 : 1
        printf "%.3f\n", $2 * f }' "$work/$1.medians"
}

run_bench lesson_bench
# The chain-walk comparison takes over a minute a run on 100,000 entries and measures the
# algorithm the program does not use: bench/exercise_bench --benchmark_filter=ChainWalk.
run_bench exercise_bench --benchmark_filter=-BM_FirstPassByChainWalk
run_bench record_bench
record_answer_ms=$(bench_ms record_bench BM_RecordAnswer_median)
due_count_ms=$(bench_ms record_bench BM_DueCount_median)
first_count_ms=$(bench_ms record_bench BM_OpenAndFirstDueCount_median)
first_lesson_count_ms=$(bench_ms record_bench BM_FirstDueCount/entriesReadOneByOne:20000_median)
first_lesson_all_ms=$(bench_ms record_bench BM_FirstDueCount/entriesReadOneByOne:0_median)
# One run each: the simulation is deterministic; its figures are the counters.
"$build/bench/learner_bench" 2>/dev/null | tee "$work/learner.out" | awk '/^BM_/ { print "   " $0 }'
QT_QPA_PLATFORM=offscreen run_bench dialog_gui_bench
load_ms=$(bench_ms dialog_gui_bench BM_LoadLessonIntoWindow/100000/real_time_median)
import_ms=$(bench_ms dialog_gui_bench BM_ImportTableIntoWindow/100000/real_time_median)
close_ms=$(bench_ms dialog_gui_bench BM_CloseLesson/100000/real_time_median)
answer_ms=$(bench_ms dialog_gui_bench BM_AnswerLatency/100000/iterations:2000/real_time_median)
kvtml_ms=$(bench_ms dialog_gui_bench BM_ImportKvtmlIntoWindow/20000/real_time_median)
pdf_ms=$(bench_ms dialog_gui_bench BM_WriteWordListPdf/2000/real_time_median)

# --- start-up and memory --------------------------------------------------------------------
echo "== start-up to the first frame ($runs rounds; each round starts the four programs in turn)"
timer="$work/startup-timer"
cp -r "$timer_src" "$timer" && chmod -R u+w "$timer"
export TIMER_WORK="$work/timer" TIMER_OUT="$work/timer/results"
# The timer's environment (no session, C.UTF-8, plain xcb) and its mapwait program.
# shellcheck source=/dev/null
source "$timer/common.sh"
build_mapwait
cmake -S "$timer/baseline" -B "$work/baseline" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work/baseline" >/dev/null

# One X server for all runs, on a display it picks itself; stopped on exit.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || { echo "Xvfb did not start"; exit 1; }
export DISPLAY=":$(head -1 "$work/display")"

# The trainer twice: alone in a folder, so that no help viewer starts beside it, and with its
# viewer and help file beside it, as it is installed and as a user starts it.
mkdir -p "$work/bin" "$work/bin-help" "$work/folder"
cp "$build/app/kaz-trainer" "$work/bin/"
cp "$build/app/kaz-trainer" "$build/app/kaz-help" "$build/app/DODADIZE.HLP" "$work/bin-help/"
viewer="$work/bin-help/kaz-help"
lesson="$work/folder/gross100k.lsn"
{
    printf 'vtfile\0'
    awk 'BEGIN { for (i = 0; i < 100000; i++) printf "Begriff %d\nterm %d\n", (i * 7919) % 100000, i }' | tr '\n' '\0'
} >"$lesson"
small="$work/folder/klein2k.lsn"
{
    printf 'vtfile\0'
    awk 'BEGIN { for (i = 0; i < 2000; i++) printf "Begriff %d\nterm %d\n", (i * 7919) % 2000, i }' | tr '\n' '\0'
} >"$small"
tsv="$work/startup.tsv"
printf 'run\tlabel\tstatus\tmap_ms\tpaint_ms\ttitle_ms\tready_ms\thwm_kb\trss_kb\tgroup_rss_kb\tclose\tclose_ms\n' >"$tsv"

# Ends the help viewers started from $viewer (found by their program file; their process ids
# are signalled, nothing else). A viewer outlives the trainer that started it.
stop_viewers() {
    local pid gone
    for pid in $(pgrep -x kaz-help || true); do
        [ "$(readlink "/proc/$pid/exe" 2>/dev/null)" = "$viewer" ] && kill "$pid" 2>/dev/null
    done
    for _ in $(seq 100); do
        gone=1
        for pid in $(pgrep -x kaz-help || true); do
            [ "$(readlink "/proc/$pid/exe" 2>/dev/null)" = "$viewer" ] && gone=0
        done
        [ "$gone" = 1 ] && return 0
        sleep 0.02
    done
}
trap 'stop_viewers; cleanup' EXIT

# Two starts as startup-timer's measure.sh makes them (-n 1 -D): in a fresh home folder, run 0
# (the first start there) not counted, run 1 counted; appended to $tsv. Unlike measure.sh, the
# output of mapwait goes to a file, so that a help viewer, which inherits it, holds no pipe
# open, and every viewer is ended after each run, so that each start finds none running, as a
# user's start does. usage: start_twice LABEL TITLE|"" -- CMD...
start_twice() {
    local label=$1 title=$2 run
    shift 3
    local wopt=()
    [ -n "$title" ] && wopt=(-w "$title")
    (
        export HOME="$TIMER_WORK/home-$label"
        rm -rf "$HOME" && mkdir -p "$HOME"
        for run in 0 1; do
            "$MAPWAIT" -t 120 -s 2000 "${wopt[@]}" -l "$label" -- "$@" >"$work/line" 2>>"$work/measure.log" || true
            stop_viewers
            printf '%s\t%s\n' "$run" "$(cat "$work/line")" >>"$tsv"
            grep -q $'\tok\t' "$work/line" || { echo "$label run $run not ok: $(cat "$work/line")"; exit 1; }
            sleep 1
        done
    )
}
# Interleaved, so that a busy moment of the machine hits all four alike (the page cache is left
# alone, as other work shares the machine).
(
    cd "$work/folder"
    for _ in $(seq "$runs"); do
        start_twice bare "" -- "$work/baseline/qt6_empty_dialog"
        start_twice trainer "" -- "$work/bin/kaz-trainer"
        start_twice trainer-help "" -- "$work/bin-help/kaz-trainer"
        start_twice trainer-help-2k KLEIN2K.LSN -- "$work/bin-help/kaz-trainer" "$small"
        start_twice trainer-help-100k GROSS100K.LSN -- "$work/bin-help/kaz-trainer" "$lesson"
    done
) >>"$work/measure.log" 2>&1 || { cat "$work/measure.log"; echo "start-up measurement failed"; exit 1; }
# Counted runs that ended "ok"; column 7 = ready_ms, 8 = hwm_kb.
counted() { awk -F'\t' -v l="$1" -v c="$2" '$2 == l && $3 == "ok" && $1 == 1 { print $c }' "$tsv"; }
warm() { counted "$1" "$2" | median; }
for label in bare trainer trainer-help trainer-help-2k trainer-help-100k; do
    printf '   %-17s ready ms: %s\n' "$label" "$(counted "$label" 7 | tr '\n' ' ')"
done
bare_ms=$(warm bare 7)
trainer_ms=$(warm trainer 7)
help_ms=$(warm trainer-help 7)
small_ready_ms=$(warm trainer-help-2k 7)
lesson_ready_ms=$(warm trainer-help-100k 7)
hwm_kb=$(warm trainer-help-100k 8)
trainer_hwm_kb=$(warm trainer-help 8)
ratio_of() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
# The same, round by round (each start against the start of the other just before it).
paired() { paste <(counted "$1" 7) <(counted "$2" 7) | awk '$1 > 0 { print $2 / $1 }' | median | xargs printf '%.2f'; }
ratio=$(ratio_of "$trainer_ms" "$bare_ms")
paired_ratio=$(paired bare trainer)
help_ratio=$(ratio_of "$help_ms" "$bare_ms")
paired_help_ratio=$(paired bare trainer-help)
small_ratio=$(ratio_of "$small_ready_ms" "$help_ms")
paired_small_ratio=$(paired trainer-help trainer-help-2k)
lesson_ratio=$(ratio_of "$lesson_ready_ms" "$help_ms")
paired_lesson_ratio=$(paired trainer-help trainer-help-100k)
memory_mb=$(awk -v k="$hwm_kb" 'BEGIN { printf "%.1f", k / 1024 }')
printf '   %-58s %10s ms\n' "bare Qt dialog, first frame" "$bare_ms" \
    "trainer without its help viewer, first frame" "$trainer_ms" \
    "trainer starting its help viewer, first frame" "$help_ms" \
    "the same with 2,000 entries, first frame naming the lesson" "$small_ready_ms" \
    "the same with 100,000 entries, first frame naming the lesson" "$lesson_ready_ms"
printf '   %-58s %10s MB\n' "trainer, peak memory (VmHWM), empty lesson" \
    "$(awk -v k="$trainer_hwm_kb" 'BEGIN { printf "%.1f", k / 1024 }')" \
    "trainer, peak memory (VmHWM), 100,000 entries" "$memory_mb"

echo "   first due count after opening, the whole record (reads the year of history once): $first_count_ms ms"
echo "   first due count after opening, a 2,000-entry lesson: $first_lesson_count_ms ms (its entries read each from its rows; every answer read first: $first_lesson_all_ms ms)"
echo "== against the targets (medians)"
printf '   %-44s %10s   target %-8s %s\n' \
    "start-up with the help viewer / bare dialog" "${help_ratio}x" "<= ${target_startup_ratio}x" "$(verdict "$help_ratio" "$target_startup_ratio" 1)" \
    "  (median of the ratios per round)" "${paired_help_ratio}x" "<= ${target_startup_ratio}x" "$(verdict "$paired_help_ratio" "$target_startup_ratio" 1)" \
    "start-up without the viewer / bare dialog" "${ratio}x" "<= ${target_startup_ratio}x" "$(verdict "$ratio" "$target_startup_ratio" 1)" \
    "  (median of the ratios per round)" "${paired_ratio}x" "<= ${target_startup_ratio}x" "$(verdict "$paired_ratio" "$target_startup_ratio" 1)" \
    "start-up, 2,000 entries / no lesson" "${small_ratio}x" "<= ${target_small_lesson_ratio}x" "$(verdict "$small_ratio" "$target_small_lesson_ratio" 1)" \
    "  (median of the ratios per round)" "${paired_small_ratio}x" "<= ${target_small_lesson_ratio}x" "$(verdict "$paired_small_ratio" "$target_small_lesson_ratio" 1)" \
    "start-up, 100,000 entries / no lesson" "${lesson_ratio}x" "<= ${target_lesson_ratio}x" "$(verdict "$lesson_ratio" "$target_lesson_ratio" 1)" \
    "  (median of the ratios per round)" "${paired_lesson_ratio}x" "<= ${target_lesson_ratio}x" "$(verdict "$paired_lesson_ratio" "$target_lesson_ratio" 1)" \
    "load 100,000 entries into the window" "$load_ms ms" "< $target_load_ms ms" "$(verdict "$load_ms" "$target_load_ms")" \
    "import a 100,000-row table into the window" "$import_ms ms" "< $target_load_ms ms" "$(verdict "$import_ms" "$target_load_ms")" \
    "import a 20,000-entry KVTML file into the window" "$kvtml_ms ms" "< $target_kvtml_ms ms" "$(verdict "$kvtml_ms" "$target_kvtml_ms")" \
    "write a 2,000-entry word list as PDF" "$pdf_ms ms" "< $target_pdf_ms ms" "$(verdict "$pdf_ms" "$target_pdf_ms")" \
    "close a lesson of 100,000 entries" "$close_ms ms" "< $target_close_ms ms" "$(verdict "$close_ms" "$target_close_ms")" \
    "one answer at 100,000 entries, recorded" "$answer_ms ms" "< $target_answer_ms ms" "$(verdict "$answer_ms" "$target_answer_ms")" \
    "  of it: the answer into the learning record" "$record_answer_ms ms" "< $target_answer_ms ms" "$(verdict "$record_answer_ms" "$target_answer_ms")" \
    "due count of a 2,000-entry lesson, 100,000 in the record" "$due_count_ms ms" "< $target_due_count_ms ms" "$(verdict "$due_count_ms" "$target_due_count_ms")" \
    "peak memory, 100,000 entries loaded" "$memory_mb MB" "< $target_memory_mb MB" "$(verdict "$memory_mb" "$target_memory_mb")"
