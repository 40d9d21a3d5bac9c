#!/usr/bin/env bash
# Checks that shipped Windows binaries load on Windows 98 SE, Me, NT 4.0 SP6,
# 2000 and XP: every DLL and function they import at load time is in the
# reviewed list (tests/ship/win32-imports.txt), nothing marked "never" is
# imported, imports from a DLL that ships beside them are in its export
# table, and the PE headers say OS and subsystem version 4.0.
# Wine resolves whatever a binary imports, so only this check notices.
#
# usage: check-imports.sh LIST BIN_DIR FILE...   (FILE names inside BIN_DIR)
# Prints one line per problem and exits 1 when there is any.
set -euo pipefail

objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
if [ $# -lt 3 ]; then
    echo "usage: $0 LIST BIN_DIR FILE..." >&2
    exit 2
fi
list=$1
bindir=$2
shift 2

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# The list itself: well formed, every entry with a reason, nothing both
# allowed and never.
awk '
    /^[ \t]*(#|$)/ { next }
    {
        kind = $1; dll = toupper($2)
        if (kind == "dll") { key = dll; reason = 3 }
        else if (kind == "fn" || kind == "never") { key = dll " " $3; reason = 4 }
        else { printf "%s:%d: unknown kind \"%s\"\n", FILENAME, FNR, kind; bad = 1; next }
        if (NF < reason) { printf "%s:%d: entry without a reason\n", FILENAME, FNR; bad = 1 }
        if (seen[kind " " key]++) { printf "%s:%d: duplicate entry\n", FILENAME, FNR; bad = 1 }
        if (kind == "fn") { fn[key] = FNR; fndll[key] = dll }
        if (kind == "dll") dlls[dll] = 1
        if (kind == "never") { never[key] = FNR; if ($3 == "*") neverdll[dll] = 1 }
    }
    END {
        for (k in fn) {
            if (!(fndll[k] in dlls)) { printf "%s:%d: %s: its DLL has no dll entry\n", FILENAME, fn[k], k; bad = 1 }
            if (k in never || fndll[k] in neverdll) { printf "%s:%d: %s is marked never\n", FILENAME, fn[k], k; bad = 1 }
        }
        for (d in dlls) if (d in neverdll) { printf "%s: DLL %s is both allowed and never\n", FILENAME, d; bad = 1 }
        exit bad + 0
    }' "$list" || exit 1

status=0
for file in "$@"; do
    if [ ! -f "$bindir/$file" ]; then
        echo "$file: missing from $bindir"
        status=1
        continue
    fi
    "$objdump" -p "$bindir/$file" >"$tmp/dump"

    # Exports of the DLLs this file imports from that ship beside it.
    : >"$tmp/beside"
    while read -r dll; do
        own=$(find "$bindir" -maxdepth 1 -type f -iname "$dll" | head -n 1)
        [ -n "$own" ] || continue
        "$objdump" -p "$own" | awk -v dll="$dll" '
            /^\[Ordinal\/Name Pointer\] Table/ { on = 1; next }
            on && /^\t\[ *[0-9]+\] / { print toupper(dll), $NF; next }
            on { on = 0 }' >>"$tmp/beside"
    done < <(awk '/^\tDLL Name: / { print $3 }' "$tmp/dump")

    awk -v file="$file" -v listname="$list" '
        FILENAME == ARGV[1] {
            if ($0 ~ /^[ \t]*(#|$)/) next
            dll = toupper($2)
            if ($1 == "dll") allowdll[dll] = 1
            else if ($1 == "fn") allowfn[dll " " $3] = 1
            else if ($1 == "never") {
                r = $0; sub(/^[ \t]*[^ \t]+[ \t]+[^ \t]+[ \t]+[^ \t]+[ \t]+/, "", r)
                never[dll " " $3] = r
            }
            next
        }
        FILENAME == ARGV[2] { beside[$1] = 1; besidefn[$1 " " $2] = 1; next }
        /^[A-Z][A-Za-z]+ / && !/^The Import Tables/ { inimports = 0 }
        /^The Import Tables/ { inimports = 1; next }
        /^Major(OSystem|Subsystem)Version\t/ || /^Minor(OSystem|Subsystem)Version\t/ { version[$1] = $2 + 0 }
        inimports && /^\tDLL Name: / {
            dll = toupper($3); dllname = $3; ndll++
            if ((dll " *") in never) { printf "%s: imports %s at load time: %s\n", file, $3, never[dll " *"]; bad = 1 }
            else if (!(dll in allowdll) && !(dll in beside)) { printf "%s: imports %s, which not every supported Windows has (not in %s)\n", file, $3, listname; bad = 1 }
            next
        }
        inimports && dll != "" && /^\t[0-9a-f]+\t/ {
            nimp++
            if (NF < 3) { printf "%s: imports %s by ordinal %s only; import by name\n", file, dllname, $2; bad = 1; next }
            name = $3
            if ((dll " " name) in never) { printf "%s: imports %s!%s at load time: %s\n", file, dllname, name, never[dll " " name]; bad = 1 }
            else if (dll in beside) {
                if (!((dll " " name) in besidefn)) { printf "%s: imports %s!%s, which that DLL does not export\n", file, dllname, name; bad = 1 }
            } else if ((dll in allowdll) && !((dll " " name) in allowfn)) {
                printf "%s: imports %s!%s, which not every supported Windows exports (not in %s)\n", file, dllname, name, listname; bad = 1
            }
            next
        }
        END {
            if (ndll == 0) { printf "%s: no import table found\n", file; bad = 1 }
            split("MajorOSystemVersion MinorOSystemVersion MajorSubsystemVersion MinorSubsystemVersion", f, " ")
            split("4 0 4 0", want, " ")
            for (i = 1; i <= 4; i++)
                if (!(f[i] in version) || version[f[i]] != want[i]) {
                    printf "%s: %s is %s, must be %s\n", file, f[i], (f[i] in version) ? version[f[i]] : "missing", want[i]; bad = 1
                }
            if (!bad) printf "%s: %d imports from %d DLLs, all on 98 SE/Me/NT 4.0/2000/XP; OS and subsystem version 4.0\n", file, nimp, ndll
            exit bad + 0
        }' "$list" "$tmp/beside" "$tmp/dump" || status=1
done
exit $status
