#!/usr/bin/env bash
# Installs what is missing, builds and starts the trainer. The trainer keeps its settings and
# results log in its working folder, $KAZ_HOME (default ~/KAZ-TRAINER), which is created once.
#   scripts/run.sh [LESSON]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/deps.sh" run
"$root/scripts/build.sh" "$root/build" -DKAZ_WITH_BENCH=OFF
work=${KAZ_HOME:-$HOME/KAZ-TRAINER}
mkdir -p "$work"
# The sample lessons go into the working folder, where the open dialog shows them, when it does
# not hold them yet; a file of the same name there is the user's and stays.
for file in "$root"/resources/lessons/*.LSN; do
    [ -e "$work/${file##*/}" ] || [ -L "$work/${file##*/}" ] || cp "$file" "$work/"
done
# The help viewer finds the built help file beside it; a DODADIZE.HLP in the working folder
# would win over it. Earlier versions of this script copied ours there, so a copy that is
# byte for byte one of our own versions goes, and the current file shows; one the user put
# there or changed stays.
help="$work/DODADIZE.HLP"
if [ -f "$help" ] && [ ! -L "$help" ] && command -v git >/dev/null &&
    git -C "$root" rev-parse --git-dir >/dev/null 2>&1; then
    ours=$(git -C "$root" log --format= --raw --no-abbrev -- help/DODADIZE.HLP | awk '{ print $4 }')
    if grep -qxF "$(git hash-object "$help")" <<<"$ours"; then
        rm -f "$help"
    fi
fi
# A lesson named relative to where the script was started must still be found from $work.
if [ $# -ge 1 ] && [[ $1 != /* ]]; then
    set -- "$PWD/$1" "${@:2}"
fi
cd "$work"
exec "$root/build/app/kaz-trainer" "$@"
