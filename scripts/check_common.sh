# Counting checks for the install and package checks (sourced):
#   check DESCRIPTION COMMAND...   counts the command's success, or reports its failure
#   pass / fail DESCRIPTION        count by hand
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
