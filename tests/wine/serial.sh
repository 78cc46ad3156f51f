#!/usr/bin/env bash
# Runs the Win32 serial tests against the modem emulator: the emulator on a
# pseudo-terminal, that pseudo-terminal mapped to a COM port of the shared
# prefix (above COM9, where the plain device name would not open), the tests
# under Wine, the emulator ended. Usage: serial.sh <emulator> <test exe> <port>
set -euo pipefail
emulator=$1 exe=$2 port=$3
source "$(dirname "$0")/../../scripts/wine.sh"
work=$(dirname "$exe")/serial
mkdir -p "$work"
"$emulator" >"$work/emulator.out" 2>"$work/emulator.err" &
emulator_pid=$!
trap 'kill $emulator_pid 2>/dev/null || true; wait $emulator_pid 2>/dev/null || true' EXIT
for _ in $(seq 50); do
    [ -s "$work/emulator.out" ] && break
    sleep 0.1
done
device=$(head -1 "$work/emulator.out")
[ -c "$device" ] || { echo "serial.sh: the emulator gave no device" >&2; exit 1; }
wine_map_ports "$port=$device"
# A copy of its own, so that its report does not replace the other run's.
cp "$exe" "$work/win32_serial.exe"
NUBO_COM_PORT=$port wine_gtest "$work/win32_serial.exe" --gtest_filter='Win32Serial.*'
