#!/usr/bin/env bash
# Installs what building and testing need on a fresh Debian 12 machine (run
# as root). Does nothing when everything is already there.
set -euo pipefail

# clang and libclang-rt-dev build the libFuzzer targets (-fsanitize=fuzzer
# links libclang_rt.fuzzer from the latter).
packages=(cmake ninja-build g++ mingw-w64 googletest wine wine32:i386 xvfb imagemagick
          x11-utils xdotool nsis clang libclang-rt-dev)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
$SUDO dpkg --add-architecture i386
$SUDO apt-get update -q
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q "${missing[@]}"
