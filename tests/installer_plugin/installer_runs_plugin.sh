#!/usr/bin/env bash
# A real installer calls the plug-in: Debian's makensis builds
# installer_script.nsi with this build's zel_nsis.dll, and the installer and
# then its uninstaller run silently under Wine, each time against stand-in
# programs under the system's names, in the plug-in tests' own prefix.
#   installer_runs_plugin.sh BUILD_DIR x86-unicode|amd64-unicode
# Exits 77 (skipped) when the installer cannot load this build's plug-in.
set -uo pipefail
build=$1 target=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
arch=$(cat "$build/zel_arch")

case "$target/$arch" in
    x86-unicode/i686 | amd64-unicode/x86_64) ;;
    x86-unicode/x86_64)
        echo "skipped: a 32-bit installer loads only a 32-bit plug-in, and this is the 64-bit build" \
             "(made where 32-bit programs cannot run); the 32-bit build runs this test"
        exit 77 ;;
    amd64-unicode/i686)
        echo "skipped: a 64-bit installer cannot load the 32-bit build's plug-in; the 64-bit build runs this test"
        exit 77 ;;
    *) echo "unknown target $target for a $arch build" >&2; exit 2 ;;
esac
if ! command -v makensis >/dev/null; then
    echo "makensis is missing (Debian package nsis; tools/setup_machine.sh installs it)" >&2
    exit 1
fi

work=$(mktemp -d "$build/tests/installer_plugin/installer.XXXXXX")
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill -9 "$pid" 2>/dev/null; done
    own_prefix_leave
    rm -rf "$work"
}
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
windows_path() { echo "Z:${1//\//\\}"; }

mkdir -p "$work/payload" "$work/install"
echo "ZEL player" > "$work/payload/zel_readme.txt"
makensis -V2 -DTARGET="$target" -DPLUGIN_DIR="$build/installer_plugin" \
    -DPAYLOAD="$work/payload/zel_readme.txt" -DPAYLOAD_NAME=zel_readme.txt \
    -DOUT_FILE="$work/zel_setup.exe" "$here/installer_script.nsi" || fail "makensis could not build the installer"

. "$here/own_prefix_env.sh"
own_prefix_enter "$build" || fail "the prefix did not start"
trap cleanup EXIT

# Stand-ins under the system's names (each in a folder of its own) and one
# look-alike; each writes "ready NAME" to the log once it runs. Sets the
# pid arrays ended and kept.
start_programs() {
    local log=$1 n=0 name
    : > "$log"
    ended=() kept=()
    start_one() {
        local folder="$work/programs/$n" && n=$((n + 1))
        mkdir -p "$folder" && cp "$build/bin/zel_nsis_stand_in.exe" "$folder/$1"
        wine "$folder/$1" "${@:2}" log "$(windows_path "$log")" </dev/null >/dev/null 2>&1 9>&- &
        pids+=($!)
        disown $!
    }
    start_one zel_client.exe window ZELClientWindow keep; ended+=($!)
    for name in zel_player.exe zel_player.exe ZEL_PLAYER.EXE; do start_one "$name" run; ended+=($!); done
    start_one zel_mtplayer.exe window ZELMultiWindow destroy; ended+=($!)
    start_one zel_manager.exe run; ended+=($!)
    start_one zel_player2.exe run; kept+=($!)
    local waited=0
    while [ "$(grep -c '^ready' "$log")" -lt $n ]; do
        [ $waited -lt 300 ] || fail "the stand-in programs did not start: $(cat "$log")"
        sleep 0.1; waited=$((waited + 1))
    done
}

# The windows were closed, client first, and the programs were ended, all
# but the look-alike.
check_programs() {
    local log=$1 step=$2 pid
    [ "$(grep '^close' "$log" | tr -d '\r' | paste -sd,)" = "close ZELClientWindow,close ZELMultiWindow" ] ||
        fail "$step: the windows were not closed in order: $(cat "$log")"
    for pid in "${ended[@]}"; do
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        ! kill -0 "$pid" 2>/dev/null || fail "$step: a program of the system still runs (pid $pid)"
    done
    for pid in "${kept[@]}"; do
        kill -0 "$pid" 2>/dev/null || fail "$step: the look-alike zel_player2.exe was ended"
    done
    echo "$step: windows closed in order, programs ended, look-alike kept"
}

install_dir=$(windows_path "$work/install")
start_programs "$work/install.log"
timeout 120 wine "$work/zel_setup.exe" /S "/D=$install_dir" </dev/null 9>&- || fail "the installer failed ($?)"
[ -f "$work/install/zel_readme.txt" ] || fail "the installer did not write its file"
check_programs "$work/install.log" install

start_programs "$work/uninstall.log"
timeout 120 wine "$work/install/uninstall.exe" /S "_?=$install_dir" </dev/null 9>&- || fail "the uninstaller failed ($?)"
[ ! -f "$work/install/zel_readme.txt" ] || fail "the uninstaller did not remove the file"
check_programs "$work/uninstall.log" uninstall
