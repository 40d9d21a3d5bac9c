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
wd_choose_build traybench
preset=$WD_CHOSEN_RELEASE
wine_build=$WD_CHOSEN_BUILD
echo "traybench: the $preset preset's programs (stripped, as they ship) under the $wine_build build's Wine"
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target traybench wavedesk mindlg nxproto nxlib32
. scripts/wine-env.sh "$wine_build"
wd_wine_start
# The NT 4.0 service shares the XP service's display name; only one can exist.
wine sc stop NXPROTO4 >/dev/null 2>&1 || true
wine sc delete NXPROTO4 >/dev/null 2>&1 || true
wine "$WD_ROOT/build/$preset/bin/traybench.exe" "$@"
