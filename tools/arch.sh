# Sourced by the project's scripts: which build the tests and the player run on.
#
# The shipped program is 32-bit (i686) and is always built. Tests and the run
# command use it where this machine can execute 32-bit programs; some machines
# run 64-bit user code only (every i386 program fails with "Exec format
# error"), and there they use a 64-bit build (x86_64) under 64-bit Wine.
# ZEL_TEST_ARCH=i686 or ZEL_TEST_ARCH=x86_64 forces the choice.

# True when this machine can start 32-bit Wine's loader (an i386 program).
zel_can_run_32bit() {
    if [ -z "${ZEL_CAN_RUN_32BIT:-}" ]; then
        if [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
            ZEL_CAN_RUN_32BIT=yes
        else
            ZEL_CAN_RUN_32BIT=no
        fi
    fi
    [ "$ZEL_CAN_RUN_32BIT" = yes ]
}

# Prints the architecture of the build that runs (i686 or x86_64).
zel_run_arch() {
    case "${ZEL_TEST_ARCH:-}" in
        i686|x86_64) echo "$ZEL_TEST_ARCH"; return 0 ;;
        "") ;;
        *) echo "ZEL_TEST_ARCH must be i686 or x86_64, not '$ZEL_TEST_ARCH'" >&2; return 2 ;;
    esac
    if zel_can_run_32bit; then echo i686; else echo x86_64; fi
}

# The default build folder of an architecture.
zel_default_build_dir() {
    local repo=$1 arch=$2
    if [ "$arch" = i686 ]; then echo "$repo/build"; else echo "$repo/build-$arch"; fi
}
