# Counting checks for the install and package checks (sourced):
#   check DESCRIPTION COMMAND...   counts the command's success, or reports its failure
#   pass / fail DESCRIPTION        count by hand
#   none_left WHEN LIST            true when no path listed in the file LIST exists any more;
#                                  names each one left, "left WHEN: PATH", on standard error
# The totals are in $passed and $failed.
# shellcheck shell=bash
passed=0
failed=0

pass() { passed=$((passed + 1)); }
fail() {
    failed=$((failed + 1))
    echo "FAILED: $*" >&2
}
check() {
    local what=$1
    shift
    if "$@"; then pass; else fail "$what"; fi
}
none_left() {
    local when=$1 list=$2 path left=0
    while IFS= read -r path; do
        if [ -e "$path" ] || [ -L "$path" ]; then
            echo "left $when: $path" >&2
            left=$((left + 1))
        fi
    done <"$list"
    [ "$left" -eq 0 ]
}
