#!/usr/bin/env bash
# Runs a Windows program under the Wine that runs BUILD (machine.sh's
# choice): ctest's emulator for the cross builds.
#   scripts/wine-exec.sh mingw|mingw64 PROGRAM [ARG...]
. "$(dirname "${BASH_SOURCE[0]}")/machine.sh"
wd_wine_for "$1" || exit 2
shift
exec "$WD_WINE" "$@"
