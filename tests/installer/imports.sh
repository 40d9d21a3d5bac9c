#!/usr/bin/env bash
# The installer (whose stub is the uninstaller too) and the NSIS plugins it
# carries load on Windows 98 SE, Me, NT 4.0, 2000 and XP: the ship check
# with the shipped binaries' list and the installer's own additions.
# usage: imports.sh CHECK_IMPORTS SHIP_LIST NSIS_LIST SETUP_EXE PLUGIN_DIR PLUGIN...
set -euo pipefail
check=$1 ship_list=$2 nsis_list=$3 setup=$4 plugins=$5
shift 5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat "$ship_list" "$nsis_list" >"$work/imports.txt"
mkdir "$work/bin"
cp "$setup" "$work/bin/"
for p in "$@"; do cp "$plugins/$p" "$work/bin/"; done
bash "$check" "$work/imports.txt" "$work/bin" "$(basename "$setup")" "$@"
