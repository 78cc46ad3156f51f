#!/usr/bin/env bash
# Drives the interactive wizard under Xvfb with xdotool: Return on every page
# (Next is the default button) until the program ends, then checks its log.
# Arguments: program, emulator, artefact directory. Exit 77: tools missing.
set -euo pipefail
program=$1 emulator=$2 artefacts=$3
for tool in xvfb-run xdotool; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool missing"; exit 77; }
done

work=$(mktemp -d)
sim_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

cp "$program" "$work/nubotest"
for ext in ini dat HLP; do cp "$program.$ext" "$work/" 2>/dev/null || true; done
"$emulator" >"$work/sim.out" 2>"$work/sim.err" &
sim_pid=$!
for _ in $(seq 50); do [ -s "$work/sim.out" ] && break; sleep 0.1; done
pty=$(head -n1 "$work/sim.out")
[ -n "$pty" ] || { echo "emulator did not start"; cat "$work/sim.err"; exit 1; }

cat >"$work/drive.sh" <<'INNER'
set -u
work=$1
NUBOTEST_PORTS=$2 NUBOTEST_REPORT="$work/report.json" "$work/nubotest" >"$work/out.txt" 2>&1 &
pid=$!
win=""
for _ in $(seq 300); do
  win=$(xdotool search --name 'NUBO modem installation test' 2>/dev/null | head -n1)
  [ -n "$win" ] && break
  sleep 0.1
done
[ -n "$win" ] || { echo "no wizard window"; kill $pid; exit 1; }
xdotool windowfocus --sync "$win" 2>/dev/null || true
# Return presses the default button; on a page whose Next or Finish is still
# disabled (search or tests under way) the press does nothing, so keep pressing.
for _ in $(seq 240); do
  kill -0 $pid 2>/dev/null || break
  xdotool key --window "$win" Return 2>/dev/null || true
  sleep 0.5
done
if kill -0 $pid 2>/dev/null; then echo "wizard still open"; kill $pid; exit 1; fi
wait $pid
echo $? >"$work/status"
INNER
# Two servers started at once may race for the same display number; then
# the server does not come up, and a second try picks another.
for _ in 1 2 3; do
  xvfb-run -a -s "-screen 0 1024x768x24" bash "$work/drive.sh" "$work" "$pty" && break
  [ -e "$work/status" ] && break
  echo "retrying with another display"
  sleep 1
done
[ -e "$work/status" ] || { echo "the wizard did not run"; cat "$work/out.txt" 2>/dev/null; exit 1; }

status=$(cat "$work/status")
log="$work/nubotest.log"
mkdir -p "$artefacts" && cp "$log" "$artefacts/xvfb-wizard.log"
echo "exit status $status"
cat "$log"
grep -q "Detected modem      : NUBO 56K-PRO ($pty)" "$log" || { echo "modem not found"; exit 1; }
# Finish, not Cancel: no cancel line, not the cancel code.
if grep -q "Program canceled by user" "$log" || [ "$status" = 251 ]; then
  echo "the wizard was cancelled"; exit 1
fi
# The interactive run's report tells the same outcome.
python3 - "$work/report.json" "$status" <<'PY' || { echo "report does not match"; exit 1; }
import json, sys
r = json.load(open(sys.argv[1]))
assert r["mode"] == "interactive" and r["exit"]["code"] & 0xFF == int(sys.argv[2]), r
PY
echo "ok"
