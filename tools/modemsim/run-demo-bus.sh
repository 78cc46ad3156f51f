#!/usr/bin/env bash
# The emulated modem together with a ModemManager stand-in on a private D-Bus
# that reports the emulated model as installed, so that a run against the
# emulator can pass its registration check. Runs until SIGTERM or SIGINT.
#
# usage: run-demo-bus.sh [--bin DIR] [--state DIR] [--tapi-name TEXT | --no-modem]
#                        [emulator options...]
#
#   --bin DIR         where nubotest-modemsim and nubotest-mmstandin are
#                     (default: build/default/bin of this source tree)
#   --state DIR       where to leave the files below (default: a new temporary
#                     directory, removed on exit; a given one is kept)
#   --tapi-name TEXT  the model the stand-in reports (default: the emulator's
#                     model name, for descriptions whose ModemTapiName is it)
#   --no-modem        the stand-in runs but reports no installed modem
#
# Once everything answers it prints three lines and writes them, in the
# form NAME=VALUE for a shell to source, to STATE/env (the device path alone
# also to STATE/device, the bus address to STATE/bus), then creates STATE/ready:
#   NUBO_DEVICE=/dev/pts/N                  the modem's pseudo-terminal
#   DBUS_SYSTEM_BUS_ADDRESS=unix:path=...   the private bus, for nubotest
#   NUBO_INSTALLED_MODEM=NUBO 56K-PRO       what the stand-in reports
# Exit status: 0 after SIGTERM or SIGINT, 1 when something could not start
# or ended by itself, 2 for a wrong option.
set -uo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
bin="$here/../../build/default/bin"
state=""
tapi_name=""
register=1
sim_args=()
while [ $# -gt 0 ]; do
    case "$1" in
        --bin) bin="${2:?--bin needs a directory}"; shift 2 ;;
        --state) state="${2:?--state needs a directory}"; shift 2 ;;
        --tapi-name) tapi_name="${2?--tapi-name needs a text}"; shift 2 ;;
        --no-modem) register=0; shift ;;
        -h|--help) sed -n '2,25p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
        *) sim_args+=("$1"); shift ;;
    esac
done

sim="$bin/nubotest-modemsim"
standin="$bin/nubotest-mmstandin"
for program in "$sim" "$standin"; do
    if [ ! -x "$program" ]; then
        echo "run-demo-bus: $program is not built" >&2
        exit 1
    fi
done
if ! command -v dbus-daemon >/dev/null; then
    echo "run-demo-bus: dbus-daemon is not installed" >&2
    exit 1
fi

own_state=0
if [ -z "$state" ]; then
    state="$(mktemp -d "${TMPDIR:-/tmp}/nubo-demo-bus.XXXXXX")"
    own_state=1
fi
mkdir -p "$state"
rm -f "$state/ready" "$state/env"

if [ -z "$tapi_name" ]; then
    tapi_name="$("$sim" "${sim_args[@]}" --print-name)" || exit 2
fi

pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
    [ "$own_state" = 1 ] && rm -rf "$state"
}
stop() {
    cleanup
    exit 0
}
fail() {
    echo "run-demo-bus: $1" >&2
    cleanup
    exit 1
}
trap stop TERM INT

# Waits up to five seconds for a line matching $2 in file $1.
await() {
    local i
    for i in $(seq 50); do
        grep -q "$2" "$1" 2>/dev/null && return 0
        sleep 0.1
    done
    return 1
}

# Our children write to files only: a caller reading our output sees its end
# when we end, not when the last child does.
dbus-daemon --session --nofork --print-address=3 3>"$state/bus.addr" \
    </dev/null >/dev/null 2>"$state/dbus.err" &
pids+=($!)
await "$state/bus.addr" . || fail "the private bus did not start"
bus="$(head -n1 "$state/bus.addr")"

standin_args=(--address "$bus")
[ "$register" = 1 ] && standin_args+=(--model "$tapi_name")
"$standin" "${standin_args[@]}" </dev/null >"$state/standin.out" 2>"$state/standin.err" &
pids+=($!)
await "$state/standin.out" ready || fail "the ModemManager stand-in did not answer"

"$sim" "${sim_args[@]}" </dev/null >"$state/modemsim.out" 2>"$state/modemsim.err" &
pids+=($!)
await "$state/modemsim.out" . || fail "the emulator did not start: $(cat "$state/modemsim.err")"
device="$(head -n1 "$state/modemsim.out")"

[ "$register" = 1 ] || tapi_name=""
{
    printf 'NUBO_DEVICE=%q\n' "$device"
    printf 'DBUS_SYSTEM_BUS_ADDRESS=%q\n' "$bus"
    printf 'NUBO_INSTALLED_MODEM=%q\n' "$tapi_name"
} >"$state/env"
printf '%s\n' "$device" >"$state/device"
printf '%s\n' "$bus" >"$state/bus"
cat "$state/env"
touch "$state/ready"

# The first child that ends by itself ends the show.
wait -n
fail "a child ended by itself"
