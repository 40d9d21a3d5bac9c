#!/usr/bin/env bash
# Sets up, builds and runs the program against the simulated adapter in the
# build folder's own Wine prefix. Until the tray utility is complete this
# runs nxdemo.exe: it installs the simulated adapter, lists the network
# adapters through NXLIB32 and prints our adapter's status the way the
# utility reads it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw
. scripts/wine-env.sh
wd_wine_start
# The utility is for Windows 98 to XP; Wine's default version is later.
for exe in wavedesk.exe nxdemo.exe; do
    wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$exe" /v Version /d winxp /f >/dev/null 2>&1
done
wine "$WD_BIN/nxdemo.exe"
