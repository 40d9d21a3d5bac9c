# The README's commands on each kind of machine, against stubs (stubs.bash):
# the packages setup.sh installs, and the Wine suites test.sh runs.

load stubs

setup_file() { stubs_setup_file; }
setup() {
    stubs_setup
    copy_tree
}

mismatch() {
    echo "row: $1"
    echo "output: $output"
    echo "calls:"
    cat "$STUB_LOG"
    return 1
}

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
0|none|setup: installing cmake ninja-build g++ mingw-w64 googletest wine wine64 xvfb imagemagick bats x11-utils xdotool nsis clang libclang-rt-dev wine32:i386|yes
126|none|setup: 32-bit Wine (wine32:i386) is left out: this machine cannot run 32-bit programs (the kernel refuses them: IA-32 emulation is off)|no
0|all||no
126|all||no
EOF
}
