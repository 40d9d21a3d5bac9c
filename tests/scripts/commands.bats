# The README's commands on each kind of machine, against stubs (stubs.bash):
# the packages setup.sh installs, and the Wine suites test.sh runs.

load stubs

@test "setup installs 32-bit Wine only where 32-bit programs run, and nothing when all is there" {
    # probe's exit status | packages installed | line said | i386 added
    while IFS='|' read -r probe installed line i386; do
        : >"$STUB_LOG"
        run env STUB_STATUS_elf32_probe="$probe" STUB_INSTALLED="$installed" "$TREE/scripts/setup.sh"
        [ "$status" -eq 0 ] || mismatch "$probe|$installed: exit $status"
        [ "${lines[0]:-}" = "$line" ] || mismatch "$probe|$installed: line"
        install=$(calls apt-get | grep ' install ' || true)
        if [ "$installed" = all ]; then
            [ -z "$(calls apt-get)$(calls dpkg)" ] && [ -z "$output" ] || mismatch "$probe|$installed"
            continue
        fi
        # Always the 64-bit Wine and the tools of the test command.
        for p in wine wine64 xvfb bats nsis clang mingw-w64; do
            [[ " $install " == *" $p "* ]] || mismatch "$probe|$installed: $p not installed"
        done
        if [ "$i386" = yes ]; then
            [[ "$install" == *" wine32:i386"* ]] && [ "$(calls dpkg)" = "dpkg --add-architecture i386" ] ||
                mismatch "$probe|$installed: no 32-bit Wine"
        else
            [[ "$install" != *"wine32"* ]] && [ -z "$(calls dpkg)" ] ||
                mismatch "$probe|$installed: 32-bit Wine asked for"
        fi
    done <<'EOF'
0|none|setup: installing cmake ninja-build g++ mingw-w64 googletest wine wine64 xvfb imagemagick bats x11-utils xdotool nsis clang libclang-rt-dev ccache wine32:i386|yes
126|none|setup: 32-bit Wine (wine32:i386) is left out: this machine cannot run 32-bit programs (the kernel refuses them: IA-32 emulation is off)|no
0|all||no
126|all||no
EOF
}

@test "test runs the 32-bit Wine suite only where 32-bit programs run, then the 64-bit one without its endurance runs" {
    export STUB_INSTALLED=all
    # probe's exit status; builds asked for; 32-bit build's configuration;
    # 32-bit suite's ctest; 64-bit suite's ctest; line said
    while IFS=';' read -r probe builds configure ctest32 ctest64 line; do
        : >"$STUB_LOG"
        run env STUB_STATUS_elf32_probe="$probe" WD_TEST_BUILD="$builds" "$TREE/scripts/test.sh"
        [ "$status" -eq 0 ] || mismatch "$probe|$builds: exit $status"
        [ "$(calls cmake | grep -- '--preset mingw ')" = "cmake --preset mingw $configure" ] ||
            mismatch "$probe|$builds: configuration"
        [ "$(calls ctest | grep -- '--preset mingw ')" = "$ctest32" ] &&
            [ "$(calls ctest | grep -- '--preset mingw64 ')" = "$ctest64" ] || mismatch "$probe|$builds: ctest"
        # Each suite in a prefix of its build's Wine; none of 32-bit Wine where it cannot run.
        if [ "$probe" -eq 0 ]; then
            grep -q '^wine \[win32\] wineboot' "$STUB_LOG" || mismatch "$probe|$builds: no 32-bit prefix"
        else
            ! grep -q '^wine ' "$STUB_LOG" || mismatch "$probe|$builds: 32-bit Wine started"
        fi
        if [ -n "$ctest64" ]; then
            grep -q '^wine64 \[win64\] wineboot' "$STUB_LOG" || mismatch "$probe|$builds: no 64-bit prefix"
        fi
        [ -z "$line" ] || [[ "$output" == *"$line"* ]] || mismatch "$probe|$builds: line"
        # One suite after the other: the second starts once the first has ended.
        if [ "$probe" -eq 0 ] && [ -n "$ctest64" ]; then
            [ "$(grep -n -E '^(ctest --preset mingw|wineserver64 -p)' "$STUB_LOG" | cut -d: -f2 |
                cut -d' ' -f1-3 | tr '\n' ,)" = "ctest --preset mingw,wineserver64 -p,ctest --preset mingw64," ] ||
                mismatch "$probe|$builds: order"
        fi
    done <<'EOF2'
0;mingw;-DWD_WINE_TESTS=ON;ctest --preset mingw --output-on-failure -j 2;;
126;mingw;-DWD_WINE_TESTS=OFF;ctest --preset mingw --output-on-failure;;test: the 32-bit build's Wine tests are left out: this machine cannot run 32-bit programs (the kernel refuses them: IA-32 emulation is off); what ships is still checked (ship.*)
0;mingw mingw64;-DWD_WINE_TESTS=ON;ctest --preset mingw --output-on-failure -j 2;ctest --preset mingw64 --output-on-failure -j 2 -E Endurance\.(ADayOfTicks|AThousandSheetOpenings);test: the endurance runs (Endurance\.(ADayOfTicks|AThousandSheetOpenings)) run in the 32-bit build only
126;mingw mingw64;-DWD_WINE_TESTS=OFF;ctest --preset mingw --output-on-failure;ctest --preset mingw64 --output-on-failure -j 2;
EOF2
}

@test "test names a test that passed only on its second try, and fails on one that failed twice" {
    export STUB_INSTALLED=all STUB_CTEST_FAILS=Tray.Flaky
    run env WD_TEST_BUILD=mingw64 "$TREE/scripts/test.sh"
    [ "$status" -eq 0 ] && [[ "$output" == *"test: mingw64: passed only on its second try: Tray.Flaky"* ]]
    [ "$(calls ctest | tail -1)" = "ctest --preset mingw64 --output-on-failure --rerun-failed -j 2" ]
    run env WD_TEST_BUILD=mingw64 STUB_CTEST_FAILS_TWICE=Tray.Flaky "$TREE/scripts/test.sh"
    [ "$status" -eq 1 ] && [[ "$output" == *"test: mingw64: failed twice: Tray.Flaky"* ]]
}
