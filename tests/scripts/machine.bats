# Every branch of the machine's choices, on any machine: which build runs,
# which Wine runs it (wine-env.sh, the installer tests' lib.sh, ctest's
# emulator), no Xvfb or a display that will not start, and a Wine server or
# wineboot that fails. Each case runs the scripts against stubs
# (stubs.bash) and asserts what was started and the one line said.

load stubs

@test "each kind of machine gets the build it can run, and the one line says why" {
    # WD_NO_WIN32 | probe's exit status | uname -m | build | release preset | line said
    while IFS='|' read -r no_win32 probe machine build release line; do
        : >"$STUB_LOG"
        run env WD_NO_WIN32="$no_win32" STUB_STATUS_elf32_probe="$probe" STUB_MACHINE="$machine" \
            bash -c '. "$0/scripts/machine.sh"; wd_choose_build run; echo "$WD_CHOSEN_BUILD $WD_CHOSEN_RELEASE"' "$TREE"
        expected="${line:+$line$'\n'}$build $release"
        [ "$status" -eq 0 ] && [ "$output" = "$expected" ] || mismatch "$no_win32|$probe|$machine"
        # The probe is tried only where the answer is not known without it.
        if [ "$no_win32" = 1 ] || [ "$machine" != x86_64 ]; then
            [ -z "$(calls elf32-probe)" ] || mismatch "$no_win32|$probe|$machine: probe run"
        else
            [ -n "$(calls elf32-probe)" ] || mismatch "$no_win32|$probe|$machine: probe not run"
        fi
    done <<'EOF'
0|0|x86_64|mingw|release|
0|126|x86_64|mingw64|release64|run: the 64-bit build under 64-bit Wine: this machine cannot run 32-bit programs (the kernel refuses them: IA-32 emulation is off)
0|1|x86_64|mingw64|release64|run: the 64-bit build under 64-bit Wine: a 32-bit test program failed with exit status 1
1|0|x86_64|mingw64|release64|run: the 64-bit build under 64-bit Wine: WD_NO_WIN32=1 is set
0|0|aarch64|mingw64|release64|run: the 64-bit build under 64-bit Wine: this machine is aarch64, not x86
EOF
}

@test "each build runs under its own Wine loader and server in wine-env.sh, lib.sh and ctest's emulator" {
    # lib.sh's build argument (empty: its default) | loader | server | prefix kind
    while IFS='|' read -r build loader server arch; do
        env_build=${build:-mingw}
        : >"$STUB_LOG"
        run bash -c '. "$0/scripts/wine-env.sh" "$1"; wd_wine_start && wine hello.exe a &&
                     echo "$WINEARCH $WINEPREFIX"' "$TREE" "$env_build"
        [ "$status" -eq 0 ] && [ "$output" = "$arch $TREE/build/$env_build/wineprefix" ] ||
            mismatch "wine-env.sh $env_build"
        [ "$(calls "$server")" = "$server -p"$'\n'"$server -k"$'\n'"$server -w" ] ||
            mismatch "wine-env.sh $env_build: server"
        grep -qx "$loader \[$arch\] wineboot" "$STUB_LOG" &&
            grep -qx "$loader \[$arch\] hello.exe a" "$STUB_LOG" || mismatch "wine-env.sh $env_build: loader"

        # The installer tests' library, as their scripts source it. A
        # function that calls itself by its own name fails at once here
        # instead of exhausting bash's stack.
        : >"$STUB_LOG"
        run env FUNCNEST=40 bash -c '. "$0/tests/installer/lib.sh" setup.exe wdctl.exe probe.exe "$1" $2
                                     wine hello.exe a && winepath -w /x && echo "$WINEARCH"' \
            "$TREE" "$BATS_TEST_TMPDIR/work" "$build"
        [ "$status" -eq 0 ] && [ "$output" = "$arch" ] || mismatch "lib.sh ${build:-(default)}"
        [ "$(cat "$STUB_LOG")" = "$loader [$arch] hello.exe a"$'\n'"$loader [$arch] winepath -w /x" ] ||
            mismatch "lib.sh ${build:-(default)}: loader"

        : >"$STUB_LOG"
        run "$TREE/scripts/wine-exec.sh" "$env_build" test.exe --gtest_list_tests
        [ "$status" -eq 0 ] && [ "$(cat "$STUB_LOG")" = "$loader [] test.exe --gtest_list_tests" ] ||
            mismatch "wine-exec.sh $env_build"
    done <<'EOF'
|wine|wineserver|win32
mingw64|wine64|wineserver64|win64
EOF

    # No loader installed at all: the shell says so in one line, where a
    # function named wine would call itself.
    rm "$STUBS/wine" "$STUBS/wine64"
    for script in 'scripts/wine-env.sh mingw' 'tests/installer/lib.sh setup.exe wdctl.exe probe.exe work'; do
        run -127 env FUNCNEST=40 WD_WINE_DIR="$BATS_TEST_TMPDIR/none" \
            bash -c 'cd "$0" && . $1 && wine hello.exe' "$TREE" "$script"
        [[ "$output" == *"wine: command not found" ]] || mismatch "no loader: $script"
    done
}

@test "WD_DPI sets the prefix's font size before any program starts, and only when it differs" {
    # DPI asked for | LogPixels in the prefix | LogPixels written
    while IFS='|' read -r asked stored written; do
        : >"$STUB_LOG"
        run env ${asked:+WD_DPI=$asked} ${stored:+STUB_LOGPIXELS=$stored} bash -c \
            'set -euo pipefail; . "$0/scripts/wine-env.sh" mingw64; wd_wine_start; echo started' "$TREE"
        [ "$status" -eq 0 ] && [ "$output" = started ] || mismatch "$asked|$stored"
        if [ -n "$written" ]; then
            grep -qxF "wine64 [win64] reg add HKCU\\Control Panel\\Desktop /v LogPixels /t REG_DWORD /d $written /f" "$STUB_LOG" &&
                [ "$(calls wineserver64 | tr '\n' ,)" = "wineserver64 -p,wineserver64 -k,wineserver64 -w,wineserver64 -p,wineserver64 -k,wineserver64 -w," ] ||
                mismatch "$asked|$stored: not written, or the server not restarted"
        else
            ! grep -q "reg add" "$STUB_LOG" || mismatch "$asked|$stored: written"
        fi
    done <<'EOF'
||
|96|
120||120
120|120|
|120|96
EOF
}

@test "a test program's listing, or an installer test's probe, that Wine ends is tried once more, and the second try is noted" {
    run env STUB_FAILS_ONCE=--gtest_list_tests "$TREE/scripts/wine-exec.sh" mingw64 a_test.exe --gtest_list_tests
    [ "$status" -eq 0 ] && [ "$output" = "Suite."$'\n'"  Test" ]
    [ "$(calls wine64 | wc -l)" -eq 2 ]
    [ "$(cat "$TREE/build/mingw64/second-tries.log")" = "listing of a_test.exe: exit status 3, 0 bytes of output" ]

    # The probe's own answers, yes (0) and no (1), are taken as they come.
    rm "$TREE/build/mingw64/second-tries.log"
    for answer in 0 1; do
        : >"$STUB_LOG"
        run env STUB_STATUS_wine64=$answer bash -c '. "$0/tests/installer/lib.sh" s.exe w.exe probe.exe "$1" mingw64
            wdi_probe key "A\B"' "$TREE" "$BATS_TEST_TMPDIR/work"
        [ "$status" -eq "$answer" ] && [ "$(calls wine64 | wc -l)" -eq 1 ] || mismatch "probe answering $answer"
    done
    [ ! -e "$TREE/build/mingw64/second-tries.log" ] || mismatch "an answer noted as a second try"
    : >"$STUB_LOG"
    rm -f "$STUB_LOG.once"
    run env STUB_FAILS_ONCE=key bash -c '. "$0/tests/installer/lib.sh" s.exe w.exe probe.exe "$1" mingw64
        wdi_probe key "A\B"' "$TREE" "$BATS_TEST_TMPDIR/work"
    [ "$status" -eq 0 ] && [ "$output" = 'lib.sh: installer_probe key A\B ended with exit status 3, not an answer; tried again' ] &&
        [ "$(calls wine64 | wc -l)" -eq 2 ] || mismatch "probe ended by Wine"
    [ "$(cat "$TREE/build/mingw64/second-tries.log")" = 'installer_probe key A\B (work): exit status 3' ] ||
        mismatch "probe's second try not noted"
}

@test "without Xvfb, or with no display that starts, one line says so and the prefix starts all the same" {
    # script | Xvfb (none, fails, or works with the first display taken) |
    # DISPLAY before | DISPLAY after | line said
    while IFS='|' read -r script xvfb before after line; do
        stub Xvfb
        export STUB_STATUS_Xvfb=0
        rm -f "$WD_X_TMP"/.X*-lock
        case "$xvfb" in
        none) rm "$STUBS/Xvfb" ;;
        fails) STUB_STATUS_Xvfb=1 ;;
        first-taken) touch "$WD_X_TMP/.X90-lock" "$WD_X_TMP/.X130-lock" ;;
        esac
        : >"$STUB_LOG"
        if [ "$script" = wine-env.sh ]; then
            run env ${before:+DISPLAY=$before} bash -c '. "$0/scripts/wine-env.sh" mingw64
                wd_wine_start; echo "display=${DISPLAY:-}"; wd_wine_stop' "$TREE"
        else
            run env ${before:+DISPLAY=$before} bash -c '. "$0/tests/installer/lib.sh" s.exe w.exe p.exe "$1" mingw64
                wdi_start; echo "display=${DISPLAY:-}"' "$TREE" "$BATS_TEST_TMPDIR/work"
        fi
        [ "$status" -eq 0 ] && [ "$output" = "${line:+$line$'\n'}display=$after" ] ||
            mismatch "$script $xvfb $before"
        grep -q '^wine64 \[win64\] wineboot' "$STUB_LOG" || mismatch "$script $xvfb: no wineboot"
        # Every display of the range was tried, and no server was left.
        case "$xvfb" in
        fails) [ "$(calls Xvfb | wc -l)" -eq 31 ] || mismatch "$script $xvfb: displays tried" ;;
        first-taken) [ -z "$(ls "$WD_X_TMP/.X11-unix")" ] || mismatch "$script $xvfb: Xvfb left" ;;
        esac
    done <<'EOF'
wine-env.sh|none|||wine-env: Xvfb is not installed (package xvfb); windows will fail to open
wine-env.sh|fails|||wine-env: no Xvfb display could be started on :90 to :120; windows will fail to open
wine-env.sh|first-taken||:91|
wine-env.sh|first-taken|:5|:5|
lib.sh|none|||lib.sh: Xvfb is not installed (package xvfb); windows will fail to open
lib.sh|fails|||lib.sh: no Xvfb display could be started on :130 to :160; windows will fail to open
lib.sh|first-taken|:5|:131|
EOF
}

@test "a Wine server or a wineboot that fails twice stops the start, one that fails once is tried again, and one line names it" {
    # script | build | failing step | line said (PREFIX and LOG stand for the case's own)
    while IFS='|' read -r script build step line; do
        unset STUB_STATUS_wineserver STUB_STATUS_wineserver64 STUB_STATUS_wineboot STUB_FAILS_ONCE
        export STUB_STATUS_import=1 # no screenshot of the failure: only the line
        case "$step" in
        server) export "STUB_STATUS_$( [ "$build" = mingw ] && echo wineserver || echo wineserver64)=1" ;;
        wineboot) export STUB_STATUS_wineboot=3 ;;
        wineboot-once) export STUB_FAILS_ONCE=wineboot ;;
        esac
        : >"$STUB_LOG"
        if [ "$script" = wine-env.sh ]; then
            prefix="$TREE/build/$build/wineprefix" log="$TREE/build/$build/wineboot.log"
            run bash -c '. "$0/scripts/wine-env.sh" "$1"; wd_wine_start || exit; echo started' "$TREE" "$build"
        else
            prefix="$BATS_TEST_TMPDIR/work/prefix" log="$BATS_TEST_TMPDIR/work/wineboot.log"
            run bash -c '. "$0/tests/installer/lib.sh" s.exe w.exe p.exe "$1" "$2"; wdi_start
                         echo started' "$TREE" "$BATS_TEST_TMPDIR/work" "$build"
        fi
        line=${line//PREFIX/$prefix}
        line=${line//LOG/$log}
        line=${line//STUBS/$STUBS}
        if [ "$step" = wineboot-once ]; then
            [ "$status" -eq 0 ] && [ "$output" = "$line"$'\n'started ] || mismatch "$script $build $step"
        else
            [ "$status" -ne 0 ] && [ "$output" = "$line" ] || mismatch "$script $build $step"
        fi
        # wineboot: not after a server that failed, twice after a wineboot that did.
        boots=$(grep -c ' wineboot$' "$STUB_LOG" || true)
        [ "$boots" -eq "$( [ "$step" = server ] && echo 0 || echo 2)" ] || mismatch "$script $build $step: $boots boots"
    done <<'EOF'
wine-env.sh|mingw64|server|wine-env: STUBS/wineserver64 did not start (exit status 1); this machine cannot run the mingw64 build under Wine
wine-env.sh|mingw|wineboot|wine-env: wineboot failed in PREFIX (exit status 3; see LOG)
lib.sh|mingw|server|lib.sh: STUBS/wineserver did not start (exit status 1); this machine cannot run the mingw build under Wine
lib.sh|mingw64|wineboot|lib.sh: wineboot failed in PREFIX (exit status 3; see LOG)
wine-env.sh|mingw64|wineboot-once|wine-env: wineboot failed once in PREFIX (exit status 3; see LOG); it started on the second try
EOF
}
