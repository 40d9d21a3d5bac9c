#!/usr/bin/env bash
# Builds the installer from installer/wavedesk.nsi with NSIS.
#
#   scripts/installer.sh [release | release64] [--seams]
#
# release (the default): what ships, build/release/wavedesk-setup.exe, an
# ANSI 32-bit installer of the release preset's binaries (built and checked
# by scripts/release.sh).
# release64: for the tests only, on machines that cannot run 32-bit
# programs: build/release64/wavedesk-setup.exe, the same script made for
# 64-bit Windows (amd64-unicode) around the release64 preset's binaries.
# --seams: instead, wavedesk-setup-seams.exe beside it, which also takes the
# tests' stand-ins for what Wine cannot be made to answer (see the script).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

preset=release
seams=0
for arg in "$@"; do
    case "$arg" in
    release | release64) preset=$arg ;;
    --seams) seams=1 ;;
    *)
        echo "usage: scripts/installer.sh [release | release64] [--seams]" >&2
        exit 2
        ;;
    esac
done

defines=()
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if [ "$preset" = release ]; then
    scripts/release.sh >"$log" 2>&1 || {
        cat "$log"
        echo "installer: the release binaries fail their checks (scripts/release.sh)" >&2
        exit 1
    }
else
    scripts/setup.sh
    { cmake --preset release64 && cmake --build --preset release64; } >"$log" 2>&1 || {
        cat "$log"
        echo "installer: the release64 preset's binaries did not build" >&2
        exit 1
    }
    defines+=(-DAMD64)
fi

out=build/$preset/wavedesk-setup.exe
if [ "$seams" -eq 1 ]; then
    out=build/$preset/wavedesk-setup-seams.exe
    defines+=(-DTEST_SEAMS)
fi
makensis -V2 "${defines[@]}" -DSRCDIR="$root" -DBINDIR="$root/build/$preset/bin" \
    -DOUTFILE="$root/$out" installer/wavedesk.nsi
printf '%s %d bytes\n' "$out" "$(stat -c %s "$out")"
