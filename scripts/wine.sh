#!/usr/bin/env bash
# Running the Windows build under Wine: one prefix per test run, COM ports
# mapped to pseudo-terminals, and a GoogleTest runner that judges by the
# test's own report.
#
# The prefix is 32-bit, for the 32-bit program that is shipped, where this
# machine runs 32-bit programs; where it cannot (a kernel without 32-bit
# support, or no wine32), it is 64-bit and the scripts test the 64-bit build
# (preset mingw-x64) instead. Sourcing this file decides that once and
# exports it for the scripts and tests that follow:
#   NUBO_WINE_ARCH    win32 or win64 (set it beforehand to force one)
#   NUBO_WINE_PRESET  mingw-i686 or mingw-x64, the build to test under Wine
#   NUBO_WINE_NO32    why no 32-bit program runs here (empty where they do)
#
# Use it as a command:  scripts/wine.sh <command> [arguments]
# or source it and call the functions of the same names (wine_prefix etc.).
#
#   prefix <dir>             make (once) and select the prefix <dir>/wineprefix:
#                            NUBO_WINE_ARCH, unmanaged windows (no 2 s wait per hidden
#                            window without a window manager), no crash dialog
#   map-ports COMn=/dev/pts/N ...
#                            map exactly these ports (earlier mappings go) and
#                            restart the wineserver so that they take effect
#                            (which ends every program running in the prefix)
#   gtest <exe> [args]       run a GoogleTest program; passes only when its XML
#                            report exists, counts at least one test and no
#                            failure (a 32-bit program without wine32 ends with
#                            status 0 having done nothing)
#   stop                     end the prefix's wineserver
#
# The prefix comes from WINEPREFIX, or from NUBO_WINE_DIR (<dir>/wineprefix)
# when WINEPREFIX is unset. Output of Wine programs always goes to files: a
# pipe stays open as long as the wineserver lives.

if [ -z "${NUBO_WINE_ARCH:-}" ]; then
    # Debian's 32-bit loader; running it proves both the package and the kernel.
    if [ ! -x /usr/lib/wine/wine ]; then
        NUBO_WINE_NO32="wine32 is not installed"
    elif ! _nubo_err=$(/usr/lib/wine/wine --version 2>&1 >/dev/null); then
        NUBO_WINE_NO32="this kernel runs no 32-bit programs: ${_nubo_err##*: }"
    fi
    NUBO_WINE_ARCH=win32
    [ -z "${NUBO_WINE_NO32:-}" ] || NUBO_WINE_ARCH=win64
fi
export NUBO_WINE_ARCH NUBO_WINE_NO32=${NUBO_WINE_NO32:-}
if [ "$NUBO_WINE_ARCH" = win64 ]; then
    export NUBO_WINE_PRESET=mingw-x64
    # Debian's wine, wineboot and winepath start wine32 whenever it is
    # installed, runnable or not: launchers of our own that start the 64-bit
    # loader go first on the PATH, for the tests' own calls too.
    _nubo_bin="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/wine64-bin"
    if [ ! -x "$_nubo_bin/winepath" ]; then
        mkdir -p "$_nubo_bin"
        printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 "$@"\n' \
            >"$_nubo_bin/wine.$$"
        printf '#!/bin/sh\nexec "$(dirname "$0")/wine" wineboot.exe "$@"\n' >"$_nubo_bin/wineboot.$$"
        printf '#!/bin/sh\nexec "$(dirname "$0")/wine" winepath.exe "$@"\n' >"$_nubo_bin/winepath.$$"
        # Renamed into place, winepath last: parallel tests see all or nothing.
        for _nubo_tool in wine wineboot winepath; do
            chmod +x "$_nubo_bin/$_nubo_tool.$$"
            mv -f "$_nubo_bin/$_nubo_tool.$$" "$_nubo_bin/$_nubo_tool"
        done
    fi
    case ":$PATH:" in *":$_nubo_bin:"*) ;; *) export PATH="$_nubo_bin:$PATH" ;; esac
else
    export NUBO_WINE_PRESET=mingw-i686
fi
export WINEARCH=${WINEARCH:-$NUBO_WINE_ARCH}
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko download prompt while the prefix is made.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree=;mshtml=}
if [ -z "${WINEPREFIX:-}" ] && [ -n "${NUBO_WINE_DIR:-}" ]; then
    export WINEPREFIX="$NUBO_WINE_DIR/wineprefix"
fi

wine_prefix() {
    export WINEPREFIX="$1/wineprefix"
    [ -f "$WINEPREFIX/.nubo-ready" ] && return 0
    mkdir -p "$1"
    rm -rf "$WINEPREFIX"
    wineboot -i >"$1/wineboot.log" 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >>"$1/wineboot.log" 2>&1
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
        >>"$1/wineboot.log" 2>&1
    wineserver -w
    # Without a runnable loader nothing above has run: say so instead of failing later.
    if ! grep -q 'ShowCrashDialog' "$WINEPREFIX/user.reg" 2>/dev/null; then
        echo "wine.sh: no $WINEARCH Wine prefix at $WINEPREFIX (see $1/wineboot.log)" >&2
        return 1
    fi
    touch "$WINEPREFIX/.nubo-ready"
}

wine_map_ports() {
    local log="$WINEPREFIX/map-ports.log" mapping port device
    wine reg delete 'HKLM\Software\Wine\Ports' /f >"$log" 2>&1 || true
    rm -f "$WINEPREFIX"/dosdevices/com[0-9]*
    for mapping in "$@"; do
        wine reg add 'HKLM\Software\Wine\Ports' /v "${mapping%%=*}" /t REG_SZ \
            /d "${mapping#*=}" /f >>"$log" 2>&1
    done
    # The mapping is read when the wineserver starts.
    wineserver -k || true
    wineserver -w
    wine cmd /c exit >>"$log" 2>&1
    for mapping in "$@"; do
        port=$(echo "${mapping%%=*}" | tr 'A-Z' 'a-z')
        device=${mapping#*=}
        for _ in $(seq 50); do
            [ "$(readlink "$WINEPREFIX/dosdevices/$port" 2>/dev/null)" = "$device" ] && break
            sleep 0.1
        done
        if [ "$(readlink "$WINEPREFIX/dosdevices/$port" 2>/dev/null)" != "$device" ]; then
            echo "wine.sh: $port is not mapped to $device" >&2
            return 1
        fi
    done
}

wine_gtest() {
    local exe=$1 name report out
    shift
    name=$(basename "$exe" .exe)
    report="$(dirname "$exe")/$name.xml"
    out="$(dirname "$exe")/$name.out"
    rm -f "$report"
    local status=0
    wine "$exe" --gtest_output="xml:$(winepath -w "$report")" "$@" >"$out" 2>&1 || status=$?
    cat "$out"
    if [ ! -f "$report" ]; then
        echo "wine.sh: $name wrote no report (exit status $status)" >&2
        return 1
    fi
    local tests failures errors
    tests=$(sed -n 's/.*<testsuites tests="\([0-9]*\)".*/\1/p' "$report" | head -1)
    failures=$(sed -n 's/.*<testsuites[^>]* failures="\([0-9]*\)".*/\1/p' "$report" | head -1)
    errors=$(sed -n 's/.*<testsuites[^>]* errors="\([0-9]*\)".*/\1/p' "$report" | head -1)
    echo "wine.sh: $name: ${tests:-?} tests, ${failures:-?} failures, ${errors:-?} errors, status $status"
    [ "${tests:-0}" -gt 0 ] && [ "${failures:-1}" = 0 ] && [ "${errors:-1}" = 0 ] && [ "$status" = 0 ]
}

wine_stop() {
    wineserver -k 2>/dev/null || true
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    set -euo pipefail
    command=${1:?"usage: $0 prefix|map-ports|gtest|stop ..."}
    shift
    case $command in
        prefix) wine_prefix "$@" ;;
        map-ports) wine_map_ports "$@" ;;
        gtest) wine_gtest "$@" ;;
        stop) wine_stop ;;
        *) echo "wine.sh: unknown command $command" >&2; exit 2 ;;
    esac
fi
