#!/usr/bin/env bash
# Where an idle wavedesk.exe's CPU goes, thread by thread: the Linux
# threads of every process of the Wine prefix (Wine names its own threads),
# read from /proc over a span with the prefix idle and again over a span
# with the utility running and idle, and the difference, which is what the
# utility costs the machine (in itself, in the wineserver, in the shell that
# draws its icon, in the driver host that answers its requests).
#   run ns:  time on a CPU, exact (schedstat)
#   ticks:   CPU time as the kernel samples it, in 10 ms units (stat), which
#            is what Windows' GetProcessTimes returns under Wine
# It measures the build traybench measures (stripped, as it ships); another
# folder with wavedesk.exe, NXLIB32.dll, NXPROTO.SYS and nxsim.exe may be
# named instead, to compare builds:
#   scripts/idlethreads.sh [seconds] [bin-folder]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
. scripts/machine.sh
wd_choose_build idlethreads
preset=$WD_CHOSEN_RELEASE wine_build=$WD_CHOSEN_BUILD
bin=${2:-}
if [ -z "$bin" ]; then
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" --target wavedesk nxsim nxproto nxlib32 >/dev/null
    bin=build/$preset/bin
fi
bin=$(cd "$bin" && pwd)
echo "idlethreads: $bin/wavedesk.exe, ${seconds} s per span"
. scripts/wine-env.sh "$wine_build"
wd_wine_start
wine reg add 'HKCU\Software\Wine\AppDefaults\wavedesk.exe' /v Version /d winxp /f >/dev/null 2>&1
wine "$bin/nxsim.exe" install >/dev/null

# sample FILE: one line per thread of the prefix's processes:
# pid tid process thread run-ns ticks
sample() {
    local p t name comm stat
    : >"$1"
    for p in $(pgrep -u "$(id -u)" -f 'wine|\.exe'); do
        grep -qz "^WINEPREFIX=$WINEPREFIX\$" "/proc/$p/environ" 2>/dev/null || continue
        name=$(tr '\0' '\n' <"/proc/$p/cmdline" 2>/dev/null | head -1) || continue
        name=${name##*[\\/]}
        for t in /proc/"$p"/task/*; do
            comm=$(tr ' ' '_' <"$t/comm" 2>/dev/null) || continue
            stat=$(cat "$t/stat" 2>/dev/null) || continue
            stat=${stat##*) }
            read -r -a f <<<"$stat"
            echo "$p ${t##*/} ${name:-?} $comm $(cut -d' ' -f1 "$t/schedstat") $((f[11] + f[12]))"
        done >>"$1" 2>/dev/null || true
    done
}

# span LABEL: the threads' CPU over the span, the busiest first.
span() {
    local before after
    before=$(mktemp) after=$(mktemp)
    sample "$before"
    sleep "$seconds"
    sample "$after"
    echo "$1 ($seconds s): process, pid/tid, thread: run ms, ticks"
    awk 'NR == FNR { run[$2] = $5; tick[$2] = $6; next }
         ($2 in run) { printf "%-16s %-12s %-16s %8.2f %4d\n", $3, $1 "/" $2, $4,
                       ($5 - run[$2]) / 1e6, $6 - tick[$2] }' "$before" "$after" |
        sort -k4,4nr | awk '{ sum += $4; ticks += $5 }
                            $4 >= 0.05 || $5 > 0 { print "  " $0 }
                            END { printf "  %-46s %8.2f %4d\n", "all threads", sum, ticks }'
    rm -f "$before" "$after"
}

sleep 5
span "prefix idle, no utility"
wine "$bin/wavedesk.exe" &
sleep 5 # past its start and first ticks
span "wavedesk.exe running, idle"
