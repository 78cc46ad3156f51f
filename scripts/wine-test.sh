#!/usr/bin/env bash
# The Windows build and its tests under Wine, as continuous integration runs
# them: the 32-bit preset with warnings as errors, the core's unit tests and
# the Win32 layer's tests under a fresh 32-bit prefix (the serial ones against
# the modem emulator on COM12), the value reader against the platform's, and
# the 64-bit preset compiled only.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
jobs=$(nproc)
start=$(date +%s)

# The emulator runs beside Wine, so it is built for this machine.
mkdir -p build/host-tools
g++ -std=c++20 -O1 -Itools/modemsim -Isrc tools/modemsim/*.cpp -o build/host-tools/nubotest-modemsim

echo "== mingw-i686: build"
rm -rf build/mingw-i686/wine
cmake --preset mingw-i686 -DNUBOTEST_WERROR=ON \
      -DNUBO_MODEMSIM="$PWD/build/host-tools/nubotest-modemsim" >/dev/null
cmake --build --preset mingw-i686 -j"$jobs"
echo "== mingw-i686: tests under Wine"
status=0
ctest --preset mingw-i686 -j"$jobs" || status=$?
grep -h '^compared' build/mingw-i686/bin/wine_profile.out || true
NUBO_WINE_DIR="$PWD/build/mingw-i686/wine" scripts/wine.sh stop
[ "$status" = 0 ] || exit "$status"

echo "== mingw-x64: compile"
cmake --preset mingw-x64 -DNUBOTEST_WERROR=ON >/dev/null
cmake --build --preset mingw-x64 -j"$jobs"
echo "== Windows build and Wine tests: $(($(date +%s) - start)) s"
