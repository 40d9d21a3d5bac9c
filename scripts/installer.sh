#!/usr/bin/env bash
# Builds the installer, build/release/wavedesk-setup.exe: the release
# preset's binaries (built and checked by scripts/release.sh), packed by
# NSIS with installer/wavedesk.nsi.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

log=$(mktemp)
trap 'rm -f "$log"' EXIT
scripts/release.sh >"$log" 2>&1 || {
    cat "$log"
    echo "installer: the release binaries fail their checks (scripts/release.sh)" >&2
    exit 1
}

out=build/release/wavedesk-setup.exe
makensis -V2 -DSRCDIR="$root" -DBINDIR="$root/build/release/bin" -DOUTFILE="$root/$out" \
    installer/wavedesk.nsi
printf '%s %d bytes\n' "$out" "$(stat -c %s "$out")"
