#!/usr/bin/env bash
# Installs what building and testing need on a fresh Debian 12 machine (run
# as root). Does nothing when everything is already there. 32-bit Wine
# (wine32:i386) only where this machine runs 32-bit programs; 64-bit Wine
# (wine64) always, for the 64-bit build.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/machine.sh

# clang and libclang-rt-dev build the libFuzzer targets (-fsanitize=fuzzer
# links libclang_rt.fuzzer from the latter); ccache hands the release builds
# the test builds' objects.
packages=(cmake ninja-build g++ mingw-w64 googletest wine wine64 xvfb imagemagick bats
          x11-utils xdotool nsis clang libclang-rt-dev ccache)
i386=0
if wd_runs_32bit; then
    packages+=(wine32:i386)
    i386=1
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi
[ "$i386" -eq 0 ] && echo "setup: 32-bit Wine (wine32:i386) is left out: $WD_NO_32BIT_WHY"

echo "setup: installing ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
[ "$i386" -eq 1 ] && $SUDO dpkg --add-architecture i386
$SUDO apt-get update -q
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q "${missing[@]}"
