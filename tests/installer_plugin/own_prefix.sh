#!/usr/bin/env bash
# Runs a Windows program of the build in the installer plug-in tests' own
# Wine prefix (own_prefix_env.sh); ctest's runner for the plug-in's test
# program.
#   own_prefix.sh BUILD_DIR PROGRAM [ARGUMENTS...]
. "$(dirname "${BASH_SOURCE[0]}")/own_prefix_env.sh"
build=$1
shift
own_prefix_enter "$build" || exit 1
timeout --signal=KILL 150 wine "$@" 9>&-
status=$?
own_prefix_leave
exit $status
