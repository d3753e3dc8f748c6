#!/usr/bin/env bash
# Installs what is missing, builds and starts the trainer. The trainer keeps its settings and
# results log in its working folder, $KAZ_HOME (default ~/KAZ-TRAINER), which is created once.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/deps.sh" run
"$root/scripts/build.sh" "$root/build" -DKAZ_WITH_BENCH=OFF
work=${KAZ_HOME:-$HOME/KAZ-TRAINER}
mkdir -p "$work"
cd "$work"
exec "$root/build/app/kaz-trainer" "$@"
