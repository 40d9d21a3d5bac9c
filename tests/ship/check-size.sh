#!/usr/bin/env bash
# Prints the size of each binary as shipped (stripped) and fails when their
# sum exceeds LIMIT bytes. Binaries that carry debug information are measured
# from a stripped copy: the release build links them stripped.
# usage: check-size.sh LIMIT BIN_DIR FILE...
set -euo pipefail
strip=${STRIP:-i686-w64-mingw32-strip}
limit=$1 bindir=$2
shift 2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
total=0
names=""
for file in "$@"; do
    "$strip" -o "$tmp/$file" "$bindir/$file"
    size=$(stat -c %s "$tmp/$file")
    printf '%-14s %8d bytes (%d KiB)\n' "$file" "$size" $(((size + 1023) / 1024))
    total=$((total + size))
    names="${names:+$names + }$file"
done
printf '%s: %d bytes (%d KiB), limit %d bytes\n' "$names" "$total" $(((total + 1023) / 1024)) "$limit"
[ "$total" -le "$limit" ]
