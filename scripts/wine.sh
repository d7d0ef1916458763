# Wine for the Windows build: the build tree's own prefix, a persistent server, headless windows.
# Sourced by the other scripts; never touches ~/.wine.

WINE_BIN=/usr/lib/wine
export WINEPREFIX="$PWD/build/windows/wineprefix"
export WINEDEBUG=-all
# No Mono or Gecko installers: nothing may be downloaded, and nothing here needs them.
export WINEDLLOVERRIDES='mscoree,mshtml='

wine64() { "$WINE_BIN/wine64" "$@"; }

# Starts a persistent server (its output kept off our pipes, or Wine's services would hold them
# open) and makes sure the prefix exists and uses the null graphics driver.
start_wine() {
    mkdir -p "$WINEPREFIX"
    stop_wine
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "Creating the Wine prefix in build/windows/wineprefix"
        "$WINE_BIN/wineserver" -p >/dev/null 2>&1
        wine64 wineboot -i >/dev/null 2>&1
        wine64 reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
        # The desktop that the first boot started has no display to draw on; only a new server
        # gives a desktop on the null driver.
        stop_wine
    fi
    "$WINE_BIN/wineserver" -p >/dev/null 2>&1
    wine64 wineboot >/dev/null 2>&1
    # Drive T: is a folder of the build tree that end-to-end tests may fill and empty at will.
    mkdir -p "$PWD/build/windows/test-drive"
    ln -sfn "$PWD/build/windows/test-drive" "$WINEPREFIX/dosdevices/t:"
    # Wine closes its desktop a few seconds after the last window goes, and the next program that
    # asks for the desktop window then stalls for about ten seconds while windows made meanwhile
    # land on the old desktop. A window kept open for the whole run keeps the desktop up.
    wine64 notepad >/dev/null 2>&1 &
}

stop_wine() {
    "$WINE_BIN/wineserver" -k >/dev/null 2>&1 || true
    "$WINE_BIN/wineserver" -w >/dev/null 2>&1 || true
}
