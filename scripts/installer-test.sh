#!/usr/bin/env bash
# The Windows installer under Wine, as a service script would use it: builds
# it, installs it silently into a fresh 32-bit prefix, checks the files, the
# Start-menu entry and the Add/Remove Programs entry, runs the installed
# program unattended against the emulated modem on COM5 (judged by its log
# against the Linux run's golden log), uninstalls it silently and checks that
# nothing of it is left. Builds the installer as the README tells a user to,
# in a fresh copy of the sources (so no earlier configure with other options
# can hide a fault of the first one), and the emulator when it is missing.
# The installer is a 32-bit program: where this machine runs none (see
# scripts/wine.sh), it is built and looked at but not run, and the output says so.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$(date +%s)
# shellcheck source=scripts/wine.sh
. scripts/wine.sh
fresh="$PWD/build/installer-fresh"
work="$fresh/test"
sim="$PWD/build/host-tools/nubotest-modemsim"
golden="$PWD/tests/e2e/modemtests/golden/every-test-passes.log"
title="NUBO Modem Installation Test"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\nubotest'
modem_key='HKLM\SYSTEM\CurrentControlSet\Control\Class\{4D36E96D-E325-11CE-BFC1-08002BE10318}\0000'

sim_pid=""
fail() {
    echo "installer-test: $*" >&2
    exit 1
}
cleanup() {
    [ -z "${WINEPREFIX:-}" ] || wineserver -k 2>/dev/null || true
    [ -z "$sim_pid" ] || kill "$sim_pid" 2>/dev/null || true
}
trap cleanup EXIT

echo "-- build: cmake --preset mingw-i686, then the target installer, in a fresh copy"
rm -rf "$fresh"
mkdir -p "$fresh/src"
tar -c --exclude=./build --exclude=./.git . | tar -x -C "$fresh/src"
if ! (cd "$fresh/src" && cmake --preset mingw-i686 && cmake --build --preset mingw-i686 --target installer -j2) \
        >"$fresh/build.out" 2>&1; then
    tail -20 "$fresh/build.out" >&2
    fail "the installer does not build on a fresh configure (whole output: $fresh/build.out)"
fi
out="$fresh/src/build/mingw-i686"
setup="$(ls "$out"/nubotest-*-setup.exe)"
version="$(basename "$setup" -setup.exe)"
version="${version#nubotest-}"
zip="$out/nubotest-$version-win32.zip"
ls -l "$setup" "$zip"
echo "   $(basename "$setup"): $(file -b "$setup")"
file -b "$setup" | grep -q '^PE32 executable.*Intel 80386.*Nullsoft' || fail "not a 32-bit NSIS installer"
# The zip is packed from the folder the installer is made from.
packed="$(sed -n 's|^ *File "${STAGE}/\(.*\)"|\1|p' packaging/windows/nubotest.nsi)"
mkdir "$fresh/unpacked"
(cd "$fresh/unpacked" && cmake -E tar xf "$zip")
for file in $packed; do
    [ -f "$fresh/unpacked/nubotest/$file" ] || fail "the zip lacks nubotest/$file"
done
echo "   $(basename "$zip") holds" $packed
file -b "$fresh/unpacked/nubotest/nubotest.exe" | grep -q '^PE32 executable.*Intel 80386' ||
    fail "the zip's nubotest.exe is not the 32-bit program"
if [ "$NUBO_WINE_ARCH" != win32 ]; then
    echo "-- installer test NOT RUN under Wine: the installer is a 32-bit program and" \
         "$NUBO_WINE_NO32; checked only that it builds and is a 32-bit NSIS installer" \
         "($(stat -c %s "$setup") bytes) and the zip's contents" \
         "($(($(date +%s) - start)) s)"
    rm -rf "$fresh"
    exit 0
fi
echo "-- installer under Wine: $NUBO_WINE_ARCH prefix"
if [ ! -x "$sim" ]; then
    mkdir -p "$(dirname "$sim")"
    g++ -std=c++20 -O1 -Itools/modemsim -Isrc tools/modemsim/*.cpp -o "$sim"
fi

echo "-- prefix, emulator on COM5"
rm -rf "$work"
mkdir -p "$work"
unset DISPLAY
export LANG=C
wine_prefix "$work"
programs="$WINEPREFIX/drive_c/Program Files"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"
(cd "$programs" && find . | sort) >"$work/programs.before"
"$sim" --connect-delay=500 >"$work/sim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 100); do
    device="$(head -1 "$work/sim.out")"
    [ -n "$device" ] && break
    sleep 0.1
done
[ -n "$device" ] || fail "the emulator did not start: $(cat "$work/sim.out")"
model="$("$sim" --connect-delay=500 --print-name)"
# No display: the pages need no pictures. The emulated model is an installed modem.
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >"$work/configure.out" 2>&1
wine reg add "$modem_key" /v Model /d "$model" /f >>"$work/configure.out" 2>&1
wine_map_ports "COM5=$device"

echo "-- silent install"
status=0
wine "$setup" /S >"$work/install.out" 2>&1 || status=$?
[ "$status" = 0 ] || fail "the installer ended with $status: $(cat "$work/install.out")"
for file in nubotest.exe nubotest.ini nubotest.dat nubotest.HLP uninstall.exe; do
    [ -f "$programs/nubotest/$file" ] || fail "not installed: C:\\Program Files\\nubotest\\$file"
done
[ -f "$menu/$title.lnk" ] || fail "no Start-menu entry \"$title\""
wine reg query "$key" >"$work/key.out" 2>&1 || fail "no uninstall entry: $(cat "$work/key.out")"
tr -d '\r' <"$work/key.out" | grep -E '^ +[A-Za-z]+ +REG_' | sed 's/^ */   /'
expect_value() {
    grep -qE "^ +$1 +REG_SZ +$2\\s*$" "$work/key.out" || fail "uninstall entry: $1 is not $2"
}
expect_value DisplayName "$title"
expect_value DisplayVersion "$version"
expect_value Publisher NUBO
expect_value UninstallString '"C:\\Program Files\\nubotest\\uninstall.exe"'
expect_value QuietUninstallString '"C:\\Program Files\\nubotest\\uninstall.exe" /S'

echo "-- installed program, unattended"
log="Z:${work//\//\\}\\run.log"
status=0
timeout 120 wine 'C:\Program Files\nubotest\nubotest.exe' /P:COM5 /T:0123 "/L:$log" \
    >"$work/run.out" 2>&1 || status=$?
[ -f "$work/run.log" ] || fail "no log (exit status $status): $(cat "$work/run.out")"
log_pattern="$(printf '%s' "$log" | sed 's/[][\\/.*^$]/\\&/g')"
sed -e 's/^[0-9][0-9]:[0-9][0-9]:[0-9][0-9] - //' \
    -e 's/^\(Startdate *: \)[0-9][0-9]\.[0-9][0-9]\.[0-9]\{4\}/\1<date>/' \
    -e "s/$log_pattern/<log>/g" -e 's/COM5/<port>/g' -e 's/\r$//' -e 's/\r/\\r/g' \
    "$work/run.log" >"$work/run.normalised"
diff -u "$golden" "$work/run.normalised" || fail "the log differs from $golden"
[ "$status" = 0 ] || fail "exit status $status, the log says every test passed"
echo "log equals $(basename "$golden"), exit status $status"

# The uninstaller copies itself to the temporary folder, starts that copy and
# returns at once; with _?= it runs where it is and returns when done. So a
# script runs a copy of it in place, as the README says.
echo "-- silent uninstall"
cat >"$work/uninstall.bat" <<'EOF'
copy /y "%ProgramFiles%\nubotest\uninstall.exe" "%TEMP%\nubotest-uninstall.exe"
"%TEMP%\nubotest-uninstall.exe" /S _?=%ProgramFiles%\nubotest
set status=%ERRORLEVEL%
del "%TEMP%\nubotest-uninstall.exe"
exit %status%
EOF
status=0
wine cmd /c "Z:${work//\//\\}\\uninstall.bat" >"$work/uninstall.out" 2>&1 || status=$?
[ "$status" = 0 ] || fail "the uninstaller ended with $status: $(cat "$work/uninstall.out")"
(cd "$programs" && find . | sort) >"$work/programs.after"
diff -u "$work/programs.before" "$work/programs.after" || fail "left under Program Files"
[ ! -e "$menu/$title.lnk" ] || fail "the Start-menu entry is left"
if wine reg query "$key" >"$work/key-after.out" 2>&1; then
    fail "the uninstall entry is left: $(cat "$work/key-after.out")"
fi
echo "-- installer test passed: installed, ran, uninstalled; nothing left ($(($(date +%s) - start)) s)"
wineserver -k 2>/dev/null || true
wineserver -w
rm -rf "$fresh"
