#!/usr/bin/env bash
# Builds the fuzz preset and runs every libFuzzer target for a bounded time
# (FUZZ_SECONDS each, default 60) from its seed corpus in tests/fuzz/corpus.
# The corpus in the repository is only read; what the fuzzer adds goes to the
# build tree. Ends non-zero on the first crash, leak, hang or sanitizer report.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-60}
targets=(fuzz_commandline fuzz_ini fuzz_dialdata fuzz_request fuzz_identify)
[ $# -gt 0 ] && targets=("$@")

cmake --preset fuzz -DNUBOTEST_WERROR="${NUBOTEST_WERROR:-OFF}" >/dev/null
cmake --build --preset fuzz -j"$(nproc)"

root=$PWD
work=$root/build/fuzz/run
mkdir -p "$work"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
# One target per core at a time: each still gets its full time.
fuzz_one() {
  local t=$1 corpus=$work/$1/corpus scratch=$work/$1/scratch
  rm -rf "$scratch"
  mkdir -p "$corpus" "$scratch"
  # The command-line target opens the logs it invents relative to here.
  (cd "$scratch" && TMPDIR=$scratch "$root/build/fuzz/bin/$t" \
     -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
     -artifact_prefix="$work/$t/" "$corpus" "$root/tests/fuzz/corpus/$t" \
     >"$work/$t/log" 2>&1)
}
declare -A pid_of
failed=()
for t in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$(nproc)" ]; do wait -n || true; done
  echo "== fuzz $t for ${seconds}s"
  fuzz_one "$t" &
  pid_of[$t]=$!
done
for t in "${targets[@]}"; do
  wait "${pid_of[$t]}" || failed+=("$t")
done
for t in "${failed[@]}"; do
  tail -n 60 "$work/$t/log" >&2
  echo "fuzz target $t failed; the input is in $work/$t/" >&2
done
[ ${#failed[@]} -eq 0 ] || exit 1
echo "== fuzz summary"
for t in "${targets[@]}"; do
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$t/log")
  echo "$t: $runs executions in ${seconds}s, corpus $(ls "$work/$t/corpus" | wc -l) inputs"
done | tee "$work/summary.txt"
