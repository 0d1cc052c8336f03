#!/usr/bin/env bash
# The real client's time from its start to the first decoded audio of a
# channel whose tracks are in the track cache (the target is under 0.5 s).
#   bench/channel_start_cached.sh [BUILD_DIR] [RUNS]
# BUILD_DIR defaults to $ZEL_BUILD_DIR, else the folder of the build this
# machine runs (build/, or build-x86_64/ where 32-bit code cannot run); build it
# first (tools/build.sh BUILD_DIR). zel_player.exe starts under Wine on a
# virtual display against the service's stand-in serving the demonstration
# store (tools/demo_store.py), logs in with its stored credentials, fetches
# the channel and plays into the WAV-file output; the time runs from starting
# the program to the first bytes of sound in that file (bench/channel_start.py).
# The reference in the same run: the same program given the channel's first
# track as a file, which it plays without the user interface, login or
# service; the difference is what the start-up, the login and the channel
# add. Best of RUNS (default 5) each. The last line gives both times.
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
mode=cached
. "$repo/bench/channel_start_common.sh"
