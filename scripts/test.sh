#!/usr/bin/env bash
# Installs what is missing, builds one preset (default: "default") and runs
# the whole test suite. NUBOTEST_WERROR=ON turns warnings into errors.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
preset=${1:-default}
cmake --preset "$preset" -DNUBOTEST_TESTS=ON -DNUBOTEST_WERROR="${NUBOTEST_WERROR:-OFF}" >/dev/null
cmake --build --preset "$preset" -j"$(nproc)"
ctest --preset "$preset" -j"$(nproc)"
