#!/usr/bin/env bash
# Installs what the demo needs, builds the program, the emulator and the
# installed-modem stand-in (no tests), and shows a whole unattended
# run against the emulated modem: the emulator on a pseudo-terminal and a
# ModemManager stand-in on a private bus that reports the emulated model as
# installed, then nubotest /P: /T: /L:, its log and its exit code.
# Any arguments go to the emulator (e.g. --dial=no-carrier, --crc-fail).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh demo
# Without the tests the build needs no test framework; scripts/test.sh turns them on again.
cmake --preset default -DNUBOTEST_TESTS=OFF >/dev/null
cmake --build --preset default -j"$(nproc)" --target nubotest nubotest-modemsim nubotest-mmstandin
bin=build/default/bin
log=build/default/demo.log
number="${NUBO_DEMO_NUMBER:-03047110}"

state="$(mktemp -d "${TMPDIR:-/tmp}/nubo-demo.XXXXXX")"
tools/modemsim/run-demo-bus.sh --bin "$bin" --state "$state" --connect-delay=1000 "$@" \
    >"$state/demo-bus.out" 2>&1 &
bus_pid=$!
cleanup() {
    kill "$bus_pid" 2>/dev/null || true
    wait "$bus_pid" 2>/dev/null || true
    rm -rf "$state"
}
trap cleanup EXIT
for _ in $(seq 100); do
    [ -e "$state/ready" ] && break
    if ! kill -0 "$bus_pid" 2>/dev/null; then break; fi
    sleep 0.1
done
if [ ! -e "$state/ready" ]; then
    echo "The emulator and its bus did not start:" >&2
    cat "$state/demo-bus.out" >&2
    exit 1
fi
# shellcheck disable=SC1091
. "$state/env"

echo "Emulated modem on $NUBO_DEVICE."
echo "The registration check asks a ModemManager stand-in on a private D-Bus"
echo "($DBUS_SYSTEM_BUS_ADDRESS), which reports \"$NUBO_INSTALLED_MODEM\" as installed."
echo "Running: nubotest /P:$NUBO_DEVICE /T:$number /L:$log"
set +e
env -u DISPLAY -u WAYLAND_DISPLAY DBUS_SYSTEM_BUS_ADDRESS="$DBUS_SYSTEM_BUS_ADDRESS" \
    NUBOTEST_REPORT="$state/report.json" "$bin/nubotest" "/P:$NUBO_DEVICE" "/T:$number" "/L:$log"
status=$?
set -e

# The exit code is a signed 32-bit value; the shell sees its low eight bits.
code=$((status > 127 ? status - 256 : status))
# The program's own words for it, from its run report.
meaning=$(sed -n 's/^ *"meaning": "\(.*\)"$/\1/p' "$state/report.json" 2>/dev/null)
echo "---- $log"
tr -d '\r' <"$log"
printf -- '---- exit code %d (0x%02X): %s\n' "$code" "$((code & 0xff))" "$meaning"

# With a screen, the same modem through the interactive wizard: a search of
# "all ports" reaches the emulator through NUBOTEST_PORTS.
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "Opening the interactive wizard against the emulated modem on $NUBO_DEVICE ..."
    set +e
    NUBOTEST_PORTS="$NUBO_DEVICE" DBUS_SYSTEM_BUS_ADDRESS="$DBUS_SYSTEM_BUS_ADDRESS" \
        "$bin/nubotest"
    status=$?
    set -e
    echo "---- the wizard ended with exit code $((status > 127 ? status - 256 : status));" \
         "its log: $bin/nubotest.log"
fi
