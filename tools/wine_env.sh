# Sourced by the project's scripts: the Wine environment of one build folder.
# Needs ZEL_BUILD_DIR. A Wine prefix, a Korean locale (ANSI code page 949), a
# POSIX time zone that msvcrt understands and an ALSA null device so that Wine
# lists sound devices; none of it touches the machine outside the build folder.
: "${ZEL_BUILD_DIR:?ZEL_BUILD_DIR must name the build folder}"
ZEL_WINE_DIR="$ZEL_BUILD_DIR/wine"
export WINEPREFIX="$ZEL_WINE_DIR/prefix"
export WINEARCH=win32
export WINEDEBUG="${ZEL_WINEDEBUG:--all}"
# No Mono or Gecko install prompts; no crash debugger that would wait for a user.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
export HOME="$ZEL_WINE_DIR/home"
export LOCPATH="$ZEL_WINE_DIR/locale"
# The locale is generated into the build folder before it is named, so that
# the shell and Wine's Linux side find it.
if [ ! -d "$LOCPATH/ko_KR.UTF-8" ]; then
    mkdir -p "$LOCPATH"
    localedef -i ko_KR -f UTF-8 "$LOCPATH/ko_KR.UTF-8" >/dev/null 2>&1 || true
fi
# (bash itself may not see a locale named in the same shell; children do.)
{ export LANG=ko_KR.UTF-8 LC_ALL=ko_KR.UTF-8; } 2>/dev/null
export TZ=KST-9
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY no_proxy

zel_wine_prepare() {
    mkdir -p "$HOME"
    if [ ! -f "$HOME/.asoundrc" ]; then
        printf 'pcm.!default { type null }\nctl.!default { type hw card 0 }\n' > "$HOME/.asoundrc"
    fi
}

# Starts the wine server and boots the prefix, detached from our pipes so that
# callers such as ctest do not wait on Wine's helper processes.
zel_wine_start() {
    zel_wine_prepare
    mkdir -p "$WINEPREFIX"
    # One persistent server for every program of the run; the first boot
    # creates the prefix (about 20 s), later ones only start it.
    wineserver -p </dev/null >/dev/null 2>&1 || true
    wine wineboot -i </dev/null >/dev/null 2>&1
}

zel_wine_stop() {
    wineserver -k </dev/null >/dev/null 2>&1 || true
}

# Starts Xvfb on a free display and exports DISPLAY.
zel_xvfb_start() {
    local n
    for n in $(seq 91 140); do
        if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
            Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
            ZEL_XVFB_PID=$!
            export DISPLAY=":$n"
            for _ in $(seq 1 50); do
                [ -e "/tmp/.X11-unix/X$n" ] && return 0
                sleep 0.1
            done
            kill "$ZEL_XVFB_PID" 2>/dev/null || true
        fi
    done
    echo "no free X display for Xvfb" >&2
    return 1
}

zel_xvfb_stop() {
    if [ -n "${ZEL_XVFB_PID:-}" ]; then
        kill "$ZEL_XVFB_PID" 2>/dev/null || true
        wait "$ZEL_XVFB_PID" 2>/dev/null || true
        ZEL_XVFB_PID=
    fi
}
