#!/usr/bin/env bash
# Runs the import check on a binary it must reject and asserts that it fails
# and names every expected problem.
# usage: rejects.sh CHECK LIST BIN_DIR FILE -- EXPECTED...
set -uo pipefail
check=$1 list=$2 bindir=$3 file=$4
shift 5
out=$(bash "$check" "$list" "$bindir" "$file" 2>&1)
status=$?
printf '%s\n' "$out"
if [ $status -eq 0 ]; then
    echo "FAIL: the check accepted $file"
    exit 1
fi
missing=0
for expected in "$@"; do
    if ! grep -qF -- "$expected" <<<"$out"; then
        echo "FAIL: the check did not report: $expected"
        missing=1
    fi
done
exit $missing
