#!/usr/bin/env bash
# The Windows build and its tests under Wine, as continuous integration runs
# them: the 32-bit preset with warnings as errors, the core's unit tests and
# the Win32 layer's tests under a fresh 32-bit prefix (the serial ones against
# the modem emulator on COM12), the value reader against the platform's, and
# the 64-bit preset compiled only. Where this machine runs no 32-bit program
# (scripts/wine.sh decides), the two swap: the 64-bit preset is tested under a
# 64-bit prefix and the 32-bit one, which is shipped, is compiled only.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
# shellcheck source=scripts/wine.sh
. scripts/wine.sh
jobs=$(nproc)
start=$(date +%s)
tested=$NUBO_WINE_PRESET
compiled=mingw-x64
[ "$tested" = mingw-i686 ] || compiled=mingw-i686
echo "== Wine tests: $tested in a $NUBO_WINE_ARCH prefix${NUBO_WINE_NO32:+ ($NUBO_WINE_NO32)}"

# The emulator runs beside Wine, so it is built for this machine.
mkdir -p build/host-tools
g++ -std=c++20 -O1 -Itools/modemsim -Isrc tools/modemsim/*.cpp -o build/host-tools/nubotest-modemsim

echo "== $tested: build"
rm -rf "build/$tested/wine"
cmake --preset "$tested" -DNUBOTEST_WERROR=ON -DNUBOTEST_TESTS=ON \
      -DNUBO_MODEMSIM="$PWD/build/host-tools/nubotest-modemsim" >/dev/null
cmake --build --preset "$tested" -j"$jobs"
echo "== $tested: tests under Wine ($NUBO_WINE_ARCH prefix)"
status=0
ctest --preset "$tested" -j"$jobs" || status=$?
grep -h '^compared' "build/$tested/bin/wine_profile.out" || true
NUBO_WINE_DIR="$PWD/build/$tested/wine" scripts/wine.sh stop
[ "$status" = 0 ] || exit "$status"

echo "== $compiled: compile"
# Without the tests the C compiler that GoogleTest wants goes unused: no warning for that.
cmake --preset "$compiled" --no-warn-unused-cli -DNUBOTEST_WERROR=ON -DNUBOTEST_TESTS=OFF >/dev/null
cmake --build --preset "$compiled" -j"$jobs"
echo "== Windows build and Wine tests ($tested tested in a $NUBO_WINE_ARCH prefix," \
     "$compiled compiled): $(($(date +%s) - start)) s"
