# Sourced by the installer plug-in's test scripts: a Wine prefix of their own.
#
# The plug-in ends every process whose name contains "zel_player.exe" and
# more; in the build's shared prefix it would end other tests' programs, and
# their programs would muddle its record. So its tests run in a prefix of
# their own (made on first use, kept in the build folder like the shared
# one), one at a time, and every run ends with the prefix's server stopped,
# which also ends anything a test left running.
#   own_prefix_enter BUILD_DIR    environment, lock, prefix started
#   own_prefix_leave              prefix stopped (lock released on exit)
own_prefix_enter() {
    local build=$1
    local repo
    repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
    export ZEL_BUILD_DIR="$build"
    . "$repo/tools/wine_env.sh"
    local dir="$build/tests/installer_plugin/wine"
    mkdir -p "$dir"
    export WINEPREFIX="$dir/prefix"
    # ctest runs these tests under one resource lock; the file lock also
    # covers test discovery and runs by hand. Wine's processes must not
    # inherit it, or the lock would outlive the run.
    exec 9>"$dir/lock"
    flock 9
    zel_wine_start 9>&- || return 1
}

own_prefix_leave() {
    wineserver -k </dev/null >/dev/null 2>&1 9>&- || true
    wineserver -w </dev/null >/dev/null 2>&1 9>&- || true
}
