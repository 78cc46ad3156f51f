#!/usr/bin/env bash
# Times the built program, unattended and without a screen, against the
# emulated modem: a start-up alone (a port that does not exist), a quick run,
# a silent port and slow answers. For each it prints the wall time beside the
# waits the protocol mandates (half a second of settling per conversation, the
# echo waits of a silent port) and the modem's own answer delays, what is left
# over after the start-up, the CPU time and the peak memory. Medians of
# BENCH_RUNS runs (default 5). Builds the two programs when they are missing.
#
# usage: scripts/bench.sh [build directory, default build/default]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/default}"
runs="${BENCH_RUNS:-5}"
bin="$build/bin"
if [ ! -x "$bin/nubotest" ] || [ ! -x "$bin/nubotest-modemsim" ]; then
    cmake --preset default >/dev/null
    cmake --build --preset default -j"$(nproc)" --target nubotest nubotest-modemsim >/dev/null
fi
if [ ! -x /usr/bin/time ]; then
    echo "bench: /usr/bin/time is missing (Debian package \"time\")" >&2
    exit 1
fi

work="$(mktemp -d "${TMPDIR:-/tmp}/nubo-bench.XXXXXX")"
sim_pid=""
stop_sim() {
    if [ -n "$sim_pid" ]; then
        kill "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
        sim_pid=""
    fi
}
trap 'stop_sim; rm -rf "$work"' EXIT

# The emulator with the given options; its device path is in $port.
start_sim() {
    stop_sim
    "$bin/nubotest-modemsim" "$@" >"$work/sim.out" 2>&1 &
    sim_pid=$!
    port=""
    for _ in $(seq 100); do
        port="$(head -n 1 "$work/sim.out" 2>/dev/null || true)"
        [ -n "$port" ] && break
        sleep 0.05
    done
    [ -n "$port" ] || { echo "bench: the emulator did not start" >&2; exit 1; }
}

ms() {  # "0m0.021s" -> 21
    local m=${1%%m*} s=${1#*m}
    s=${s%s}
    awk -v m="$m" -v s="$s" 'BEGIN { printf "%d", (m * 60 + s) * 1000 + 0.5 }'
}

median() { tr ' ' '\n' | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# One run of the program: wall ms, CPU ms (user + system of the program and
# the timing wrapper around it), peak resident KB and exit status, in $work/one.
run_once() {
    local t0 t1
    t0=$(date +%s%N)
    (
        code=0
        unset DISPLAY WAYLAND_DISPLAY
        export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$work/no-bus"
        /usr/bin/time -f %M -o "$work/rss" "$bin/nubotest" "$@" >/dev/null 2>&1 || code=$?
        echo "$code" >"$work/status"
        times >"$work/times"
    )
    t1=$(date +%s%N)
    read -r user sys < <(tail -n 1 "$work/times")
    echo "$(((t1 - t0) / 1000000)) $(($(ms "$user") + $(ms "$sys"))) $(tail -n 1 "$work/rss") $(cat "$work/status")" \
        >"$work/one"
}

startup=0
# name, mandated protocol waits (ms), the modem's answer delays (ms), arguments
bench() {
    local name=$1 mandated=$2 modem=$3
    shift 3
    local walls="" cpus="" rss=0 status=""
    for _ in $(seq "$runs"); do
        run_once "$@"
        read -r wall cpu kb status <"$work/one"
        walls="$walls $wall"
        cpus="$cpus $cpu"
        if ((kb > rss)); then rss=$kb; fi
    done
    wall=$(echo "$walls" | median)
    cpu=$(echo "$cpus" | median)
    [ "$name" = "start-up" ] && startup=$wall
    local code=$((status > 127 ? status - 256 : status))
    printf '%-14s %6d %6d %6d %6d %6d %6.2f %6.1f %5d\n' "$name" "$wall" "$mandated" "$modem" \
        "$((wall - mandated - modem - startup))" "$cpu" \
        "$(awk -v c="$cpu" -v w="$wall" 'BEGIN { print 100 * c / w }')" \
        "$(awk -v k="$rss" 'BEGIN { print k / 1024 }')" "$code"
}

echo "nubotest unattended, no screen; medians of $runs runs; times in ms; $(nproc) CPUs, load $(cut -d' ' -f1 /proc/loadavg)"
printf '%-14s %6s %6s %6s %6s %6s %6s %6s %5s\n' scenario wall waits modem over cpu 'cpu%' 'MB' exit
bench start-up 0 0 "/P:$work/no-such-port" "/L:$work/run.log"
# Identification, RAM test and checksum test: three conversations, each
# settling for 500 ms; the emulator answers each of five commands after 20 ms.
start_sim
bench quick 1500 100 "/P:$port" "/L:$work/run.log"
# No echo ever: 500 ms settling, then eleven echo waits of 500 ms with ten
# 10 ms pauses to reopen the port.
start_sim --silent
bench silent-port 6100 0 "/P:$port" "/L:$work/run.log"
# Every answer 200 ms late (still before the engine sends a scroll CR).
start_sim --reply-delay=200
bench slow-answers 1500 1000 "/P:$port" "/L:$work/run.log"
echo "over: wall - waits - modem - start-up. Exit 1: the registration check fails, as no"
echo "ModemManager answers; -2: no modem."
