#!/usr/bin/env bash
# Builds and runs nxbench.exe (the agent library against bare device I/O, as
# interleaved pairs) in the worktree's Wine prefix, as Windows XP: driver
# service "NXPROTO"; then nxcost.exe (the library's own cost per request,
# in-process, no driver).
#   scripts/bench.sh [pairs]
# The 32-bit build where this machine runs 32-bit programs, else the 64-bit
# one (said first).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/machine.sh
wd_choose_build bench
build=$WD_CHOSEN_BUILD
cmake --preset "$build" >/dev/null
cmake --build --preset "$build" --target nxbench nxcost nxproto nxlib32
. scripts/wine-env.sh "$build"
wd_wine_start
wine reg add 'HKCU\Software\Wine\AppDefaults\nxbench.exe' /v Version /d winxp /f >/dev/null 2>&1
# The NT 4.0 service shares the XP service's display name; only one can exist.
wine sc stop NXPROTO4 >/dev/null 2>&1 || true
wine sc delete NXPROTO4 >/dev/null 2>&1 || true
wine "$WD_BIN/nxbench.exe" "$@"
wine "$WD_BIN/nxcost.exe"
