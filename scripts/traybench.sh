#!/usr/bin/env bash
# Builds and runs traybench.exe in the worktree's Wine prefix, as Windows XP:
# the tray's CPU per tick, its start to icon, idle CPU and private bytes,
# each against a baseline from the same run (see bench/TrayBench.cpp).
# The programs measured are stripped, as they ship (under Wine an image's
# debug sections are read into private memory): the release build's where
# this machine runs 32-bit programs, else the 64-bit build stripped alike
# (preset release64) under 64-bit Wine. The first line says which.
#   scripts/traybench.sh [idle-seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/machine.sh
if wd_runs_32bit; then
    preset=release
    wine_build=mingw
    echo "traybench: the release build (32-bit, stripped, what ships) under 32-bit Wine"
else
    preset=release64
    wine_build=mingw64
    echo "traybench: the 64-bit build, stripped (preset release64), under 64-bit Wine:" \
        "$WD_NO_32BIT_WHY"
fi
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target traybench wavedesk mindlg nxproto nxlib32
. scripts/wine-env.sh "$wine_build"
wd_wine_start
# The NT 4.0 service shares the XP service's display name; only one can exist.
wine sc stop NXPROTO4 >/dev/null 2>&1 || true
wine sc delete NXPROTO4 >/dev/null 2>&1 || true
wine "$WD_ROOT/build/$preset/bin/traybench.exe" "$@"
