#!/usr/bin/env bash
# Builds and runs traybench.exe in the worktree's Wine prefix, as Windows XP:
# the tray's CPU per tick, its start to icon, idle CPU and private bytes,
# each against a baseline from the same run (see bench/TrayBench.cpp). The
# programs are the release build's (stripped, as they ship): under Wine an
# image's debug sections are read into private memory.
#   scripts/traybench.sh [idle-seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset release >/dev/null
cmake --build --preset release --target traybench wavedesk mindlg nxproto nxlib32
. scripts/wine-env.sh
wd_wine_start
# The NT 4.0 service shares the XP service's display name; only one can exist.
wine sc stop NXPROTO4 >/dev/null 2>&1 || true
wine sc delete NXPROTO4 >/dev/null 2>&1 || true
wine "$WD_ROOT/build/release/bin/traybench.exe" "$@"
