#!/usr/bin/env bash
# Builds what ships with the release preset (the sources and compile flags the
# tests run, linked stripped) into build/release/bin, prints each binary's
# size and the DLLs it imports, and checks the release binaries as the test
# suite checks its own: imports and PE headers, size, version resources, and
# no debug sections.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

cmake --preset release >/dev/null
cmake --build --preset release

objdump=i686-w64-mingw32-objdump
bin=build/release/bin
shipped=(wavedesk.exe NXLIB32.dll nxsim.exe nxdemo.exe)
status=0

echo
printf '%-14s %9s  %s\n' file bytes "imports from"
# NXPROTO.SYS is the stand-in driver of the demonstration, not the product's.
for file in "${shipped[@]}" NXPROTO.SYS; do
    dlls=$("$objdump" -p "$bin/$file" | awk '/^\tDLL Name: / { printf "%s%s", sep, $3; sep = " " }')
    printf '%-14s %9d  %s\n' "$file" "$(stat -c %s "$bin/$file")" "$dlls"
    if "$objdump" -h "$bin/$file" | grep -q ' \.debug'; then
        echo "$file: carries debug sections"
        status=1
    fi
done
echo

bash tests/ship/check-size.sh 409600 "$bin" wavedesk.exe NXLIB32.dll || status=1
bash tests/ship/check-imports.sh tests/ship/win32-imports.txt "$bin" "${shipped[@]}" || status=1
bash tests/ship/check-version.sh res/version.h "$bin" wavedesk.exe NXLIB32.dll || status=1
exit $status
