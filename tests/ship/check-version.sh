#!/usr/bin/env bash
# Checks the version resource of shipped binaries: the version of
# res/version.h (numbers and text), file OS "any 32-bit Windows"
# (VOS__WINDOWS32, not NT only), and the file's own name as original name.
# usage: check-version.sh VERSION_H BIN_DIR FILE...
set -euo pipefail
windres=${WINDRES:-i686-w64-mingw32-windres}
header=$1 bindir=$2
shift 2

number() { awk -v name="$1" '$1 == "#define" && $2 == name { print $3 }' "$header"; }
major=$(number WD_VERSION_MAJOR) minor=$(number WD_VERSION_MINOR)
patch=$(number WD_VERSION_PATCH) build=$(number WD_VERSION_BUILD)
if [ -z "$major" ] || [ -z "$minor" ] || [ -z "$patch" ] || [ -z "$build" ]; then
    echo "$header: version numbers not found"
    exit 1
fi
text="$major.$minor.$patch.$build"

status=0
for file in "$@"; do
    rc=$("$windres" -i "$bindir/$file" -O rc 2>&1 | sed -n '/VERSIONINFO/,$p')
    expect() {
        if ! grep -qE -- "$1" <<<"$rc"; then
            echo "$file: version resource lacks $2"
            status=1
        fi
    }
    expect "^ FILEVERSION $major, $minor, $patch, $build\$" "FILEVERSION $text"
    expect "^ PRODUCTVERSION $major, $minor, $patch, $build\$" "PRODUCTVERSION $text"
    expect '^ FILEOS 0x4$' "FILEOS VOS__WINDOWS32 (0x4)"
    expect "VALUE \"FileVersion\", \"$text\"" "the FileVersion text $text"
    expect "VALUE \"OriginalFilename\", \"$file\"" "OriginalFilename $file"
    [ $status -ne 0 ] || echo "$file: version $text, any 32-bit Windows"
done
exit $status
