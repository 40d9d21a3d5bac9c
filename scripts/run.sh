#!/usr/bin/env bash
# Sets up, builds and runs wavedesk against the simulated adapter.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw
. scripts/wine-env.sh
wd_wine_start
wine "$WD_BIN/wavedesk.exe"
