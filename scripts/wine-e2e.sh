#!/usr/bin/env bash
# The Windows program under Wine: the unattended scenarios against the
# emulator with the golden logs of the Linux runs, and the wizard on Xvfb in
# both styles and three languages, with screenshots of every page in
# build/default/artefacts/wine-wizard. Builds what is missing. The 32-bit
# program in a 32-bit prefix, or where this machine runs no 32-bit program
# the 64-bit one in a 64-bit prefix (scripts/wine.sh decides).
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=scripts/wine.sh
. scripts/wine.sh
echo "== Wine end-to-end: $NUBO_WINE_PRESET in a $NUBO_WINE_ARCH prefix${NUBO_WINE_NO32:+ ($NUBO_WINE_NO32)}"
exe="$PWD/build/$NUBO_WINE_PRESET/bin/nubotest.exe"
if [ ! -f "$exe" ]; then
  cmake --preset "$NUBO_WINE_PRESET" >/dev/null
  cmake --build --preset "$NUBO_WINE_PRESET" -j"$(nproc)" --target nubotest
fi
echo "   $exe: $(file -b "$exe")"
cmake --preset default -DNUBOTEST_TESTS=ON -DNUBOTEST_WINE_EXE="$exe" >/dev/null
cmake --build --preset default -j"$(nproc)" --target e2e_wine nubotest-modemsim
ctest --preset default -R '^Wine(Unattended|Wizard)\.' -j2 --output-on-failure
