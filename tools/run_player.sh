#!/usr/bin/env bash
# Builds everything and runs the player under Wine.
#   tools/run_player.sh [player switches...]   the player with a demonstration store
#   tools/run_player.sh FILE [switches...]      plays FILE alone, without the user interface
# Without a file it starts the service's stand-in (tools/service_stand_in.py,
# on 127.0.0.1 only) with a demonstration store (tools/demo_store.py: a
# channel of a few generated tracks, in the build folder) and the real client
# zel_player.exe against it: the client logs in (the stand-in knows every PC,
# so the first start logs in by itself and stores the credentials; later
# starts use the stored ones), fetches the store's channel and plays it
# through the track cache, the main window showing the track. The stand-in
# stops when the player stops. ZEL_DEMO_STORE_ARGS adds switches of
# tools/demo_store.py (announcements, a reservation).
# The sound goes to the sound device, or, on a machine without a sound card
# (no card in /proc/asound/cards), into a WAV file whose path it prints.
# Without a display (no DISPLAY) the player runs on a virtual one for 60
# seconds (/quit-after=MS sets another time).
# ZEL_DEMO=multi makes the demonstration account a multi-store one
# (demo_store.py --multi): the player logs in as "multi", hands the two
# stores over to the launcher zel_mtplayer.exe and ends; the launcher runs
# one player per store. On a machine without a sound card Wine gets a sound
# device per store ("Out: zel_store_a", "Out: zel_store_b"; the launcher's
# settings give each store its device and automatic start unless it has
# settings already) and each device's sound goes into a WAV file of its own.
# The script then runs until the launcher ends (without a display: 60 s, and
# a picture of the launcher). The credentials stored before are put back at
# the end, so that the one-store demonstration logs in as before.
# A FILE (a Windows path, or Z:\... for a Linux one) is played through the
# playback engine and the player ends.
# ZEL_DEMO_STORE_ARGS passes options to tools/demo_store.py (for instance
# "--announcements 09:00:00,12:30:00" for a day of announcements), and
# ZEL_SHOT_COMMAND ("CLASS:ID") sends that window WM_COMMAND ID before the
# picture of the player's windows (for instance "ZELPlaylist:2", the
# playlist window's announcement tab).
# It runs the 32-bit build where this machine can execute 32-bit programs,
# else the 64-bit build under 64-bit Wine, and says which (ZEL_TEST_ARCH
# forces either; the 32-bit program is built in every case).
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$repo/tools/arch.sh"
"$repo/tools/setup_machine.sh"
arch=$(zel_run_arch)
if [ "$arch" = x86_64 ]; then
  "$repo/tools/build.sh" --arch i686 --no-tests >/dev/null
  echo "run_player: playing on the 64-bit build (x86_64) under 64-bit Wine:" \
       "$(zel_can_run_32bit && echo "ZEL_TEST_ARCH=x86_64" || echo "this machine cannot run 32-bit programs")" >&2
else
  echo "run_player: playing on the 32-bit build (i686)" >&2
fi
ZEL_BUILD_DIR=$("$repo/tools/build.sh" --arch "$arch" "${ZEL_BUILD_DIR:-$(zel_default_build_dir "$repo" "$arch")}" | tail -n1)
export ZEL_BUILD_DIR

args=("$@")
multi=0
[ "${ZEL_DEMO:-}" = multi ] && multi=1
file_given=0
for a in "${args[@]}"; do
  case "$a" in /*=*) ;; *) file_given=1 ;; esac
done

. "$repo/tools/wine_env.sh"
demo="$ZEL_BUILD_DIR/demo"
state="$demo/state"
stand_in_pid=
cleanup() {
  if [ -n "$stand_in_pid" ]; then
    # The stand-in ends when its stop file appears; it is bounded anyway.
    : > "$state/stop"
    for _ in $(seq 50); do kill -0 "$stand_in_pid" 2>/dev/null || break; sleep 0.1; done
    kill "$stand_in_pid" 2>/dev/null || true
  fi
  if [ "$multi" = 1 ]; then
    [ -z "$sound_home" ] && zel_wine_store_devices_off
    # The account's credentials that the players and the launcher stored
    # give way to those from before, so that the one-store demonstration
    # logs in as before.
    wine reg delete 'HKCU\Software\ZEL Player' /v id /f </dev/null >/dev/null 2>&1 || true
    wine reg delete 'HKCU\Software\ZEL Player' /v password /f </dev/null >/dev/null 2>&1 || true
    if [ -f "$ZEL_WINE_DIR/credentials_before_multi.reg" ]; then
      wine reg import "Z:${ZEL_WINE_DIR//\//\\}\\credentials_before_multi.reg" </dev/null >/dev/null 2>&1 || true
    fi
  fi
  zel_wine_stop
  zel_xvfb_stop
}
trap cleanup EXIT

sound_home=
if [ "$file_given" = 1 ]; then
  :  # the player says where the file plays
elif [ -f /proc/asound/cards ] && grep -q '^ *[0-9]' /proc/asound/cards; then
  # The machine's own sound card rather than the null device of the tests.
  sound_home="$ZEL_WINE_DIR/home-sound"
  mkdir -p "$sound_home"
  where="the sound device"
else
  mkdir -p "$demo"
  export ZEL_OUTPUT_NO_SOUND_DEVICE=1
  if [ "$multi" = 1 ]; then
    # One file per sound device ({device}: the device's number).
    export ZEL_OUTPUT_WAV="Z:${demo//\//\\}\\player_output-{device}.wav"
    where="the WAV files $demo/player_output-N.wav, one per sound device (this machine has no sound card)"
  else
    export ZEL_OUTPUT_WAV="Z:${demo//\//\\}\\player_output.wav"
    where="the WAV file $demo/player_output.wav (this machine has no sound card)"
  fi
fi

if [ "$file_given" = 0 ]; then
  # ZEL_DEMO_STORE_ARGS: more switches of the demonstration store, e.g.
  # "--announcements 10:00:00 --anne-seconds 20" for an announcement.
  # shellcheck disable=SC2086
  scenario=$(python3 "$repo/tools/demo_store.py" "$demo" ${ZEL_DEMO_STORE_ARGS:-} $([ "$multi" = 1 ] && echo --multi))
  rm -rf "$state"
  mkdir -p "$state"
  python3 "$repo/tools/service_stand_in.py" --state "$state" --scenario "$scenario" \
      --max-seconds 600 --max-requests 100000 &
  stand_in_pid=$!
  for _ in $(seq 100); do
    if [ -s "$state/port" ] || [ -f "$state/error" ]; then break; fi
    sleep 0.1
  done
  if [ ! -s "$state/port" ]; then
    echo "run_player: the service stand-in did not start: $(cat "$state/error" 2>/dev/null)" >&2
    exit 1
  fi
  export ZEL_SERVICE_HOST="127.0.0.1:$(tr -d '\n' < "$state/port")"
  if [ "$multi" = 1 ]; then
    echo "run_player: the demonstration account (id \"multi\", stores \"demo1\" and \"demo2\") is served on" \
         "$ZEL_SERVICE_HOST for 10 minutes at most" >&2
  else
    echo "run_player: the demonstration store (id \"demo\") is served on $ZEL_SERVICE_HOST for 10 minutes at most" >&2
  fi
fi

shot=
if [ -z "${DISPLAY:-}" ]; then
  zel_xvfb_start
  if [ "$file_given" = 0 ]; then
    if ! printf '%s\n' "${args[@]}" | grep -q '^/quit-after='; then
      args+=("/quit-after=60000")
      echo "run_player: no display: the player runs on a virtual one for 60 seconds" >&2
    fi
    shot="$demo/main_window.png"
    group_shot="$demo/player_windows.png"
    rm -f "$shot" "$group_shot"
  fi
fi
zel_wine_start
if [ "$file_given" = 0 ]; then echo "run_player: the player's sound goes to $where" >&2; fi
if [ "$multi" = 1 ]; then
  rm -f "$ZEL_WINE_DIR/credentials_before_multi.reg"
  wine reg export 'HKCU\Software\ZEL Player' "Z:${ZEL_WINE_DIR//\//\\}\\credentials_before_multi.reg" \
      </dev/null >/dev/null 2>&1 || true
fi
if [ "$multi" = 1 ] && [ -z "$sound_home" ]; then
  # A sound device per store, and the stores' devices in the launcher's
  # settings when it has none yet.
  export HOME="$ZEL_WINE_DIR/home-multi"
  zel_wine_store_devices "$HOME"
  roaming=$(ls -d "$WINEPREFIX"/drive_c/users/"$(id -un)"/AppData/Roaming 2>/dev/null | head -n1)
  if [ -n "$roaming" ] && [ ! -f "$roaming/zel_player/zel_mtplayer.xml" ]; then
    mkdir -p "$roaming/zel_player"
    printf '<?xml version="1.0"?>\n<ZELPlayer><ids>%s%s</ids></ZELPlayer>\n' \
      '<demo1><device>Out: zel_store_a</device><autostart>1</autostart></demo1>' \
      '<demo2><device>Out: zel_store_b</device><autostart>1</autostart></demo2>' \
      > "$roaming/zel_player/zel_mtplayer.xml"
  fi
fi

cd "$ZEL_BUILD_DIR/bin"
shooter="$ZEL_BUILD_DIR/tests/zel_window_shot.exe"
if [ -n "$shot" ] && [ -f "$shooter" ]; then
  # Nobody sees the virtual display: a picture of the main window, 12 s in.
  (
    sleep 12
    if WINEPATH="Z:${ZEL_BUILD_DIR//\//\\}\\bin" wine "$shooter" "Z:${shot//\//\\}" ZELMainWindow 20000 \
        </dev/null >/dev/null 2>&1; then
      echo "run_player: a picture of the main window: $shot" >&2
    fi
    if WINEPATH="Z:${ZEL_BUILD_DIR//\//\\}\\bin" wine "$shooter" "Z:${group_shot//\//\\}" group 20000 \
        ${ZEL_SHOT_COMMAND:+"$ZEL_SHOT_COMMAND"} </dev/null >/dev/null 2>&1; then
      echo "run_player: a picture of the player's windows: $group_shot" >&2
    fi
  ) &
fi
set +e
if [ -n "$sound_home" ]; then
  HOME="$sound_home" wine zel_player.exe "${args[@]}" | tr -d '\r'
else
  wine zel_player.exe "${args[@]}" | tr -d '\r'
fi
status=${PIPESTATUS[0]}
set -e
echo "zel_player.exe exited with $status" >&2
if [ "$multi" = 1 ] && [ "$file_given" = 0 ]; then
  # The account's player has handed over: the launcher runs on.
  if [ -n "$shot" ]; then
    echo "run_player: the launcher runs for 60 seconds on the virtual display" >&2
    sleep 50
    if WINEPATH="Z:${ZEL_BUILD_DIR//\//\\}\\bin" wine "$shooter" "Z:${demo//\//\\}\\launcher.png" ZELMultiWindow 20000 \
        </dev/null >/dev/null 2>&1; then
      echo "run_player: a picture of the launcher: $demo/launcher.png" >&2
    fi
    sleep 10
  else
    echo "run_player: the launcher runs until its window is closed" >&2
    while pgrep -f 'zel_mtplayer\.exe' >/dev/null; do sleep 1; done
  fi
fi
exit "$status"
