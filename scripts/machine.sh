# Sourced by the other scripts: what this machine can run.

# wd_runs_32bit: true when this machine runs 32-bit x86 programs (and so
# 32-bit Wine). Some x86-64 hosts turn IA-32 emulation off; every 32-bit
# program then fails with "Exec format error". WD_NO_WIN32=1 makes the
# scripts act as on such a machine. On false, WD_NO_32BIT_WHY says why.
wd_runs_32bit() {
    WD_NO_32BIT_WHY=""
    if [ "${WD_NO_WIN32:-0}" = 1 ]; then
        WD_NO_32BIT_WHY="WD_NO_WIN32=1 is set"
        return 1
    fi
    if [ "$(uname -m)" != x86_64 ] && [ "$(uname -m)" != i686 ]; then
        WD_NO_32BIT_WHY="this is a $(uname -m) machine"
        return 1
    fi
    # The smallest 32-bit Linux program: one ELF header, one program
    # header, and exit(0) through int 0x80.
    local dir probe
    dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build"
    mkdir -p "$dir"
    probe=$(mktemp "$dir/elf32-probe.XXXXXX")
    printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010\135\000\000\000\135\000\000\000\005\000\000\000\000\020\000\000\270\001\000\000\000\061\333\315\200' >"$probe"
    chmod +x "$probe"
    local status=0
    "$probe" </dev/null >/dev/null 2>&1 || status=$?
    rm -f "$probe"
    if [ "$status" -ne 0 ]; then
        WD_NO_32BIT_WHY="this machine cannot run 32-bit programs (the kernel refuses them: IA-32 emulation is off)"
        [ "$status" -ne 126 ] && WD_NO_32BIT_WHY="a 32-bit test program failed with exit status $status"
        return 1
    fi
    return 0
}

# wd_choose_build WHO: sets WD_CHOSEN_BUILD to the Wine build this machine
# runs: mingw (32-bit, what ships) where 32-bit programs run, else mingw64,
# which WHO (the calling script's name) then announces in one line.
wd_choose_build() {
    WD_CHOSEN_BUILD=mingw
    if ! wd_runs_32bit; then
        WD_CHOSEN_BUILD=mingw64
        echo "$1: the 64-bit build under 64-bit Wine: $WD_NO_32BIT_WHY"
    fi
}
