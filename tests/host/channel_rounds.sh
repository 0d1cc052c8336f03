#!/usr/bin/env bash
# The real client against the service's stand-in for several rounds of a
# channel (channel_rounds.py), in a Wine prefix of its own.
#   channel_rounds.sh BUILD_DIR
exec bash "$(dirname "${BASH_SOURCE[0]}")/client_prefix.sh" "$1" channel_rounds channel_rounds.py 300
