# Sourced by the project's scripts: the Wine environment of one build folder.
# Needs ZEL_BUILD_DIR. A Wine prefix, a Korean locale (ANSI code page 949), a
# POSIX time zone that msvcrt understands and an ALSA null device so that Wine
# lists sound devices; none of it touches the machine outside the build folder.
# The build's architecture (the file zel_arch that CMake writes) picks 32-bit
# or 64-bit Wine; "wine" on PATH is then that loader. Debian's own "wine"
# starts the 32-bit loader whenever it is installed, even on machines that
# cannot execute it.
: "${ZEL_BUILD_DIR:?ZEL_BUILD_DIR must name the build folder}"
ZEL_WINE_DIR="$ZEL_BUILD_DIR/wine"
export WINEPREFIX="$ZEL_WINE_DIR/prefix"
ZEL_ARCH=$(cat "$ZEL_BUILD_DIR/zel_arch" 2>/dev/null || echo i686)
if [ "$ZEL_ARCH" = x86_64 ]; then
    export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64
else
    export WINEARCH=win32 WINELOADER=/usr/lib/wine/wine
fi
mkdir -p "$ZEL_WINE_DIR/bin"
# A script, not a link: Wine's loader finds its own files by the name it was
# started under.
if [ -L "$ZEL_WINE_DIR/bin/wine" ] || ! grep -qxF "exec $WINELOADER \"\$@\"" "$ZEL_WINE_DIR/bin/wine" 2>/dev/null; then
    printf '#!/bin/sh\nexec %s "$@"\n' "$WINELOADER" > "$ZEL_WINE_DIR/bin/wine.$$"
    chmod +x "$ZEL_WINE_DIR/bin/wine.$$"
    mv -f "$ZEL_WINE_DIR/bin/wine.$$" "$ZEL_WINE_DIR/bin/wine"
fi
case ":$PATH:" in
    *":$ZEL_WINE_DIR/bin:"*) ;;
    *) export PATH="$ZEL_WINE_DIR/bin:$PATH" ;;
esac
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
    if [ ! -x "$WINELOADER" ]; then
        echo "wine: $WINELOADER is missing (Debian package $([ "$ZEL_ARCH" = x86_64 ] && echo wine64 || echo wine32:i386));" \
             "tools/setup_machine.sh installs it" >&2
        return 1
    fi
    # One persistent server for every program of the run; the first boot
    # creates the prefix (about 20 s), later ones only start it.
    wineserver -p </dev/null >/dev/null 2>&1 || true
    local log="$ZEL_WINE_DIR/wineboot.log" rc=0
    WINEDEBUG=err+all wine wineboot -i </dev/null >"$log" 2>&1 || rc=$?
    if [ $rc -ne 0 ]; then
        echo "wine: '$WINELOADER wineboot -i' failed with exit code $rc (WINEARCH=$WINEARCH, WINEPREFIX=$WINEPREFIX):" >&2
        tail -n 20 "$log" >&2
        if [ $rc -eq 126 ] && [ "$ZEL_ARCH" = i686 ]; then
            echo "wine: this machine cannot execute 32-bit programs; test the 64-bit build (ZEL_TEST_ARCH=x86_64)" >&2
        fi
        return 1
    fi
    zel_wine_settings
}

# Settings of the test prefix: the Korean dialog fonts of a Korean Windows
# (굴림, 돋움, 바탕 and their Latin names) are replaced by the Hangul font that
# the machine set-up installs (fonts-nanum), so that Korean text has glyphs
# and the same face on every machine; Wine draws the windows' frames and
# captions itself, since no window manager runs on Xvfb, so that captures
# show whole windows, and manages every window itself: a window left to a
# window manager that is not there makes Wine wait 2 s at each hiding (for
# a state change that never comes) while the program's other windows reach
# the screen no more; and Wine's own fonts (fonts-wine: Tahoma, and Marlett
# for caption buttons, scroll arrows and check marks) are linked into the
# prefix's font folder, where this Wine build finds them. Each step is done
# once per prefix.
zel_wine_settings() {
    local fonts="$WINEPREFIX/drive_c/windows/Fonts" font
    if [ -d /usr/share/wine/fonts ] && [ -d "$fonts" ] && [ ! -e "$fonts/marlett.ttf" ]; then
        for font in /usr/share/wine/fonts/*; do
            [ -e "$fonts/${font##*/}" ] || ln -s "$font" "$fonts/"
        done
    fi
    local marker="$WINEPREFIX/.zel_settings_2"
    [ -f "$marker" ] && return 0
    local reg="$ZEL_WINE_DIR/zel_settings.reg" face value
    {
        printf 'Windows Registry Editor Version 5.00\r\n\r\n'
        printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
        for face in 굴림 굴림체 돋움 돋움체 바탕 바탕체 Gulim GulimChe Dotum DotumChe Batang BatangChe; do
            value=NanumGothic
            case "$face" in *체|*Che) value=NanumGothicCoding ;; 바탕|Batang) value=NanumMyeongjo ;; esac
            printf '"%s"="%s"\r\n' "$face" "$value"
        done
        printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Decorated"="N"\r\n"Managed"="N"\r\n'
    } | iconv -f UTF-8 -t UTF-16 >"$reg"
    if wine regedit /S "$reg" </dev/null >/dev/null 2>&1; then
        touch "$marker"
    else
        echo "wine: the prefix settings ($reg) could not be imported" >&2
    fi
}

# Two sound devices more for the players of a multi-store account, one per
# store: ALSA null devices "zel_store_a" and "zel_store_b" in the .asoundrc of
# the HOME given (which the programs must then run with), named to Wine's
# ALSA driver in the prefix's registry. DirectSound then lists them as
# "Out: zel_store_a" and "Out: zel_store_b" after "Out: default".
# zel_wine_store_devices_off takes the names out of the registry again.
zel_wine_store_devices() {
    local home=$1 reg="$ZEL_WINE_DIR/store_devices.reg" hex
    mkdir -p "$home"
    printf 'pcm.!default { type null }\nctl.!default { type hw card 0 }\npcm.zel_store_a { type null }\npcm.zel_store_b { type null }\n' \
        > "$home/.asoundrc"
    # Wine's ALSA driver reads the value's bytes as narrow text.
    hex=$(printf 'zel_store_a\0zel_store_b\0\0' | od -An -tx1 | tr -s ' \n' ',' | sed 's/^,//;s/,$//')
    printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Drivers\\winealsa.drv]\r\n"ALSAOutputDevices"=hex(7):%s\r\n' \
        "$hex" > "$reg"
    wine regedit /S "$reg" </dev/null >/dev/null 2>&1
}

zel_wine_store_devices_off() {
    wine reg delete 'HKCU\Software\Wine\Drivers\winealsa.drv' /v ALSAOutputDevices /f </dev/null >/dev/null 2>&1 || true
}

# Starts the build's keeper program (tests/zel_wine_keeper.exe), detached,
# when the build has one: with it Wine's desktop process lives for the whole
# run instead of being restarted by, and holding the pipes of, a test program.
zel_wine_keep_desktop() {
    local keeper="$ZEL_BUILD_DIR/tests/zel_wine_keeper.exe"
    [ -f "$keeper" ] || return 0
    wine "$keeper" </dev/null >/dev/null 2>&1 &
    disown $! 2>/dev/null || true
}

zel_wine_stop() {
    wineserver -k </dev/null >/dev/null 2>&1 || true
}

# Starts Xvfb on a free display and exports DISPLAY. Xvfb picks the number
# itself (-displayfd), so that runs side by side never share a screen.
zel_xvfb_start() {
    local fifo
    fifo=$(mktemp -u /tmp/zel_xvfb.XXXXXX)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" </dev/null >/dev/null 2>&1 &
    ZEL_XVFB_PID=$!
    local n=""
    read -r -t 10 n <"$fifo" || true
    rm -f "$fifo"
    if [ -z "$n" ] || ! kill -0 "$ZEL_XVFB_PID" 2>/dev/null; then
        kill "$ZEL_XVFB_PID" 2>/dev/null || true
        echo "Xvfb did not start (package xvfb)" >&2
        return 1
    fi
    export DISPLAY=":$n"
}

zel_xvfb_stop() {
    if [ -n "${ZEL_XVFB_PID:-}" ]; then
        kill "$ZEL_XVFB_PID" 2>/dev/null || true
        wait "$ZEL_XVFB_PID" 2>/dev/null || true
        ZEL_XVFB_PID=
    fi
}
