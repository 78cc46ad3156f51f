#!/usr/bin/env bash
# Installs what is missing, builds the program and shows an unattended run:
# the log it wrote and its exit code.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default -j"$(nproc)"
bin=build/default/bin
log=build/default/demo.log
set +e
env -u DISPLAY -u WAYLAND_DISPLAY "$bin/nubotest" /P:COM2 "/L:$log"
code=$?
set -e
echo "---- $log"
cat "$log"
echo "---- exit code $code"
