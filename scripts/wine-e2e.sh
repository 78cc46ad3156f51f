#!/usr/bin/env bash
# The Windows program under Wine: the unattended scenarios against the
# emulator with the golden logs of the Linux runs, and the wizard on Xvfb in
# both styles and three languages, with screenshots of every page in
# build/default/artefacts/wine-wizard. Builds what is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
exe="$PWD/build/mingw-i686/bin/nubotest.exe"
if [ ! -f "$exe" ]; then
  cmake --preset mingw-i686 >/dev/null
  cmake --build --preset mingw-i686 -j"$(nproc)" --target nubotest
fi
cmake --preset default -DNUBOTEST_TESTS=ON -DNUBOTEST_WINE_EXE="$exe" >/dev/null
cmake --build --preset default -j"$(nproc)" --target e2e_wine nubotest-modemsim
ctest --preset default -R '^Wine(Unattended|Wizard)\.' -j2 --output-on-failure
