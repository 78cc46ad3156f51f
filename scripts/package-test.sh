#!/usr/bin/env bash
# Builds the Debian package, checks its man page, its changelog's version and
# lintian's verdict (no errors), installs it with apt-get,
# runs the installed /usr/bin/nubotest unattended as an unprivileged user
# against the emulated modem, compares its exit code with the same run of the
# build tree's program, then purges the package and checks that none of its
# files is left. As root, after the default preset has been built.
set -euo pipefail
cd "$(dirname "$0")/.."
user=nubotest-ci
number=03047110
fail() {
    echo "package-test: $*" >&2
    exit 1
}

echo "-- man page"
warnings="$(MANWIDTH=80 man --warnings -l packaging/linux/nubotest.1 2>&1 >/dev/null)"
[ -z "$warnings" ] || fail "the man page renders with warnings: $warnings"

echo "-- package"
cmake --build --preset default --target package >/dev/null
deb="$(ls "$PWD"/build/default/nubotest_*.deb)"
dpkg-deb -c "$deb"
if dpkg-deb -c "$deb" | grep -qE 'modemsim|mmstandin|test_|unit_|gtest'; then
    fail "the package carries the emulator or tests"
fi
version="$(dpkg-deb -f "$deb" Version)"
latest="$(dpkg-parsechangelog -l packaging/linux/changelog -S Version)"
[ "$version" = "$latest" ] || fail "the package is $version, its changelog's latest entry $latest"
echo "-- lintian"
status=0
findings="$(lintian --fail-on error "$deb" 2>&1)" || status=$?
grep -v '^running with root privileges' <<<"$findings" || true
[ "$status" = 0 ] || fail "lintian finds errors in the package (status $status)"
dpkg -P nubotest >/dev/null 2>&1 || true
if ! out="$(DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" 2>&1)"; then
    fail "apt-get install failed: $out"
fi
files="$(dpkg -L nubotest)"

id "$user" >/dev/null 2>&1 || useradd --create-home "$user"
home="$(getent passwd "$user" | cut -d: -f6)"
rm -rf "$home/.local/state/nubotest"

# The test user may not reach the checkout: the emulator, the stand-in and
# the build tree's program with its data files go to a folder of its own.
work="$(mktemp -d)"
bus_pid=""
cleanup() {
    if [ -n "$bus_pid" ]; then
        kill "$bus_pid" 2>/dev/null || true
        wait "$bus_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
mkdir "$work/bin" "$work/state"
cp build/default/bin/nubotest build/default/bin/nubotest.{ini,dat,HLP} \
   build/default/bin/nubotest-modemsim build/default/bin/nubotest-mmstandin \
   tools/modemsim/run-demo-bus.sh "$work/bin/"
chown -R "$user" "$work"
chmod 755 "$work"

runuser -u "$user" -- "$work/bin/run-demo-bus.sh" --bin "$work/bin" --state "$work/state" \
    >"$work/bus.out" 2>&1 &
bus_pid=$!
for _ in $(seq 100); do
    [ -e "$work/state/ready" ] && break
    sleep 0.1
done
[ -e "$work/state/ready" ] || fail "the emulator did not start: $(cat "$work/bus.out")"
# shellcheck disable=SC1091
. "$work/state/env"

as_user() {
    runuser -u "$user" -- env -i HOME="$home" PATH=/usr/bin:/bin \
        DBUS_SYSTEM_BUS_ADDRESS="$DBUS_SYSTEM_BUS_ADDRESS" "$@"
}

echo "-- installed run as $user"
set +e
as_user /usr/bin/nubotest "/P:$NUBO_DEVICE" "/T:$number" 2>"$work/stderr"
installed=$?
as_user "$work/bin/nubotest" "/P:$NUBO_DEVICE" "/T:$number" 2>/dev/null
built=$?
set -e
log="$home/.local/state/nubotest/nubotest.log"
cat "$work/stderr"
echo "exit code: installed $installed, build tree $built"
[ "$installed" = "$built" ] || fail "exit codes differ"
[ -f "$log" ] || fail "no log at $log"
grep -q "END OF THE MODEM TESTS" "$log" || fail "the tests did not run: $(cat "$log")"
grep -qF "$log" "$work/stderr" || fail "stderr does not name $log"

echo "-- purge"
dpkg -P nubotest >/dev/null
left=0
while IFS= read -r path; do
    [ -d "$path" ] && [ ! -L "$path" ] && continue
    if [ -e "$path" ] || [ -L "$path" ]; then
        echo "left behind: $path" >&2
        left=1
    fi
done <<<"$files"
for dir in /usr/lib/nubotest /etc/nubotest; do
    [ ! -e "$dir" ] || { echo "left behind: $dir" >&2; left=1; }
done
[ "$left" = 0 ] || fail "the purge left files behind"
echo "-- package test passed: $(wc -l <<<"$files") paths installed and removed"
