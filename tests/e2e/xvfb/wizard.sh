#!/usr/bin/env bash
# Drives the interactive wizard under Xvfb with xdotool: Return on every page
# (Next is the default button) until the program ends, then checks its log.
# Arguments: program, emulator, artefact directory. Exit 77: tools missing.
# On any failure the program's output is printed and kept as
# <artefacts>/xvfb-wizard.out, beside any sanitizer report
# (<artefacts>/xvfb-wizard-sanitizer.<pid>), which is printed too.
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

# Sanitizer reports go straight to the artefacts, which CI keeps, and not to
# the program's output in the temporary folder, which goes with it.
mkdir -p "$artefacts"
reports="$artefacts/xvfb-wizard-sanitizer"
rm -f "$reports".* "$artefacts/xvfb-wizard.out" "$artefacts/xvfb-wizard.log"
for var in TSAN_OPTIONS ASAN_OPTIONS UBSAN_OPTIONS; do
  export "$var=${!var:-} log_path=$reports"
done
fail() {
  echo "FAILED: $*"
  if [ -e "$work/out.txt" ]; then
    cp "$work/out.txt" "$artefacts/xvfb-wizard.out"
    echo "--- the program's output, kept as $artefacts/xvfb-wizard.out"
    cat "$work/out.txt"
  fi
  [ -s "$work/xvfb.err" ] && { echo "--- xvfb-run"; cat "$work/xvfb.err"; }
  [ -s "$work/sim.err" ] && { echo "--- the emulator"; cat "$work/sim.err"; }
  for report in "$reports".*; do
    [ -e "$report" ] && { echo "--- sanitizer report $report"; cat "$report"; }
  done
  exit 1
}

cp "$program" "$work/nubotest"
for ext in ini dat HLP; do cp "$program.$ext" "$work/" 2>/dev/null || true; done
"$emulator" >"$work/sim.out" 2>"$work/sim.err" &
sim_pid=$!
for _ in $(seq 50); do [ -s "$work/sim.out" ] && break; sleep 0.1; done
pty=$(head -n1 "$work/sim.out")
[ -n "$pty" ] || { echo "emulator did not start"; cat "$work/sim.err"; exit 1; }

# Writes the program's exit status to $work/status and, when the walk went
# wrong, what went wrong to $work/why.
cat >"$work/drive.sh" <<'INNER'
set -u
work=$1
NUBOTEST_PORTS=$2 NUBOTEST_REPORT="$work/report.json" "$work/nubotest" >"$work/out.txt" 2>&1 &
pid=$!
ended() { wait $pid; echo $? >"$work/status"; }
# Bounded by the clock, not by a count of tries: under load one xdotool call
# may take seconds, and the test's own time limit would cut the walk short
# before anything below could tell why.
win=""
deadline=$((SECONDS + 30))
while [ $SECONDS -lt $deadline ]; do
  kill -0 $pid 2>/dev/null || break
  win=$(xdotool search --name 'NUBO modem installation test' 2>/dev/null | head -n1)
  [ -n "$win" ] && break
  sleep 0.1
done
if [ -z "$win" ]; then
  if kill -0 $pid 2>/dev/null; then
    echo "no wizard window after 30 s" >"$work/why"
    kill $pid
  else
    echo "the program ended before its window appeared" >"$work/why"
  fi
  ended
  exit 1
fi
timeout 10 xdotool windowfocus --sync "$win" 2>/dev/null || true
# Return presses the default button; on a page whose Next or Finish is still
# disabled (search or tests under way) the press does nothing, so keep pressing.
deadline=$((SECONDS + 110))
while [ $SECONDS -lt $deadline ]; do
  kill -0 $pid 2>/dev/null || break
  xdotool key --window "$win" Return 2>/dev/null || true
  sleep 0.5
done
if kill -0 $pid 2>/dev/null; then echo "the wizard is still open after $SECONDS s" >"$work/why"; kill $pid; fi
ended
INNER
# Two servers started at once may race for the same display number, and the
# program then finds no server; only that is worth another try, elsewhere.
for attempt in 1 2 3; do
  rm -f "$work/status" "$work/why" "$work/out.txt"
  xvfb-run -a -s "-screen 0 1024x768x24" bash "$work/drive.sh" "$work" "$pty" 2>"$work/xvfb.err" || true
  grep -qs "could not connect to display" "$work/out.txt" || grep -qs "Xvfb failed to start" "$work/xvfb.err" ||
    break
  [ "$attempt" = 3 ] || { echo "display clash: retrying with another display"; sleep 1; }
done
[ -e "$work/status" ] || fail "the wizard did not run"
status=$(cat "$work/status")
[ ! -e "$work/why" ] || fail "$(cat "$work/why") (exit status $status)"
compgen -G "$reports.*" >/dev/null && fail "a sanitizer report (exit status $status)"

log="$work/nubotest.log"
[ -f "$log" ] || fail "no log (exit status $status)"
cp "$log" "$artefacts/xvfb-wizard.log"
echo "exit status $status"
cat "$log"
grep -q "Detected modem      : NUBO 56K-PRO ($pty)" "$log" || fail "modem not found"
# Finish, not Cancel: no cancel line, not the cancel code.
if grep -q "Program canceled by user" "$log" || [ "$status" = 251 ]; then
  fail "the wizard was cancelled"
fi
# The interactive run's report tells the same outcome.
python3 - "$work/report.json" "$status" <<'PY' || fail "the report does not match"
import json, sys
r = json.load(open(sys.argv[1]))
assert r["mode"] == "interactive" and r["exit"]["code"] & 0xFF == int(sys.argv[2]), r
PY
echo "ok"
