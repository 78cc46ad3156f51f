#!/usr/bin/env bash
# Running the Windows build under Wine: one 32-bit prefix per test run, COM
# ports mapped to pseudo-terminals, and a GoogleTest runner that judges by the
# test's own report.
#
# Use it as a command:  scripts/wine.sh <command> [arguments]
# or source it and call the functions of the same names (wine_prefix etc.).
#
#   prefix <dir>             make (once) and select the prefix <dir>/wineprefix:
#                            32-bit, unmanaged windows (no 2 s wait per hidden
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

export WINEARCH=${WINEARCH:-win32}
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
    # Without wine32 nothing above has run: say so instead of failing later.
    if ! grep -q 'ShowCrashDialog' "$WINEPREFIX/user.reg" 2>/dev/null; then
        echo "wine.sh: no 32-bit Wine prefix at $WINEPREFIX (is wine32 installed?)" >&2
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
