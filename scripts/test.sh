#!/usr/bin/env bash
# Sets up, builds both presets and runs every test: pure code natively with
# sanitizers, then everything under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

cmake --preset host >/dev/null
cmake --build --preset host
ctest --preset host

# A short run of every fuzz target from its seeds (scripts/fuzz.sh runs
# them long).
scripts/fuzz.sh -seconds 3

cmake --preset mingw >/dev/null
cmake --build --preset mingw
. scripts/wine-env.sh
wd_wine_start
ctest --preset mingw "$@"
