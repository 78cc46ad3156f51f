#!/usr/bin/env bash
# Drives the Windows wizard under Wine on Xvfb with xdotool, from the welcome
# page to Finish against the emulator, in both wizard styles and in English,
# German and Russian at 96 DPI, and at 144 and 192 DPI in one style and
# language each, and keeps a screenshot of every page once it has settled:
# <artefacts>/wine-wizard/<style>-<language>[-<dpi>]-<n>-<page>.png.
# Arguments: nubotest.exe, emulator, artefact directory. Exit 77: tools missing.
set -euo pipefail
exe=$1 emulator=$2 artefacts=$3
wine_sh="$(cd "$(dirname "$0")/../../.." && pwd)/scripts/wine.sh"
for tool in wine xvfb-run xdotool import localedef; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool missing"; exit 77; }
done
[ -f "$exe" ] || { echo "skipped: $exe missing"; exit 77; }

work=$(mktemp -d)
shots="$artefacts/wine-wizard"
sim_pid=""
cleanup() {
  WINEPREFIX="$work/wineprefix" wineserver -k 2>/dev/null || true
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
rm -rf "$shots" && mkdir -p "$shots"

# The machine has only the C locale; Wine takes its UI language from LANG.
locales="$artefacts/locale" && mkdir -p "$locales"
for l in de_DE ru_RU; do
  [ -d "$locales/$l.UTF-8" ] || localedef -i "$l" -f UTF-8 "$locales/$l.UTF-8"
done

# <style>-<language>[-<dpi>]: larger DPIs in one style and language each,
# where pixel sizes given for 96 DPI would overlap or clip first.
runs=${NUBO_WINE_WIZARD_RUNS:-"old-en old-de old-ru new-en new-de new-ru new-ru-144 old-en-144 new-en-192 old-de-192"}
mkdir "$work/app"
cp "$exe" "$work/app/nubotest.exe"
for ext in ini dat HLP; do cp "${exe%.exe}.$ext" "$work/app/" 2>/dev/null || true; done
"$emulator" >"$work/sim.out" 2>"$work/sim.err" &
sim_pid=$!
for _ in $(seq 50); do [ -s "$work/sim.out" ] && break; sleep 0.1; done
pty=$(head -n1 "$work/sim.out")
model=$("$emulator" --print-name)
[ -n "$pty" ] || { echo "emulator did not start"; cat "$work/sim.err"; exit 1; }
cat >"$work/drive.sh" <<'INNER'
set -u
work=$1 shots=$2 locales=$3 pty=$4 model=$5 wine_sh=$6 runs=$7
# Here, where the display is set: the first Wine process after the server's
# start, the one that mapping the port starts, fixes it for the server.
source "$wine_sh"
wine_prefix "$work" || exit 1
wine reg add 'HKLM\SYSTEM\CurrentControlSet\Control\Class\{4D36E96D-E325-11CE-BFC1-08002BE10318}\0000' \
  /v Model /d "$model" /f >"$work/reg.out" 2>&1
wine_map_ports "COM99=$pty" || exit 1

# Waits until two screenshots 0.4 s apart differ in no more pixels than a
# blinking caret has, then keeps the last as $1.
settle() {
  import -window root "ppm:$work/last.ppm" 2>/dev/null
  for _ in $(seq 100); do
    sleep 0.4
    import -window root "ppm:$work/now.ppm" 2>/dev/null
    [ "$(compare -metric AE "$work/last.ppm" "$work/now.ppm" null: 2>&1)" -lt 40 ] && break
    mv "$work/now.ppm" "$work/last.ppm"
  done
  convert "$work/now.ppm" "$1"
}

failed=0
for name in $runs; do
    IFS=- read -r style lang dpi <<<"$name"
    case $lang in en) locale=C ;; de) locale=de_DE.UTF-8 ;; ru) locale=ru_RU.UTF-8 ;; esac
    # The program reads the display's DPI when it starts.
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "${dpi:-96}" /f \
      >>"$work/reg.out" 2>&1
    run="$work/$name" && mkdir -p "$run" && rm -f "$work/app/nubotest.log"
    SECONDS=0
    LOCPATH="$locales" LANG=$locale NUBOTEST_WIZARD_STYLE=$style \
      wine "$work/app/nubotest.exe" </dev/null >"$run/out.txt" 2>&1 &
    pid=$!
    win=""
    for _ in $(seq 150); do
      win=$(xdotool search --onlyvisible --class nubotest.exe 2>/dev/null | head -n1)
      [ -n "$win" ] && break
      sleep 0.1
    done
    [ -n "$win" ] || { echo "$name: no wizard window"; kill $pid; failed=1; continue; }
    # Next and Finish sit at the same place in both styles, 150 and 24
    # pixels (at 96 DPI) from the sheet's lower right corner; Return would
    # press the focused button instead, Back on the search page.
    eval "$(xdotool getwindowgeometry --shell "$win")"
    scale=${dpi:-96}
    n=1
    for page in welcome:. port:. "search:Search modem .INI" "test:END OF THE MODEM TESTS"; do
      for _ in $(seq 120); do grep -q "${page#*:}" "$work/app/nubotest.log" 2>/dev/null && break; sleep 0.5; done
      settle "$shots/$name-$n-${page%%:*}.png"
      # The machine's own ports come first: choose the emulator's, the last.
      [ "$n" = 2 ] && xdotool key Down Tab End && settle "$shots/$name-$n-port.png"
      xdotool mousemove $((X + WIDTH - 150 * scale / 96)) $((Y + HEIGHT - 24 * scale / 96)) click 1
      sleep 0.3
      n=$((n + 1))
    done
    for _ in $(seq 20); do kill -0 $pid 2>/dev/null || break; sleep 0.5; done
    if kill -0 $pid 2>/dev/null; then echo "$name: wizard still open"; kill $pid; failed=1; fi
    wait $pid
    echo $? >"$run/status"
    cp "$work/app/nubotest.log" "$run/nubotest.log" 2>/dev/null
    echo "$name: $SECONDS s"
done
exit $failed
INNER
# Two servers started at once may race for the same display number; then
# the server does not come up, and a second try picks another.
for _ in 1 2 3; do
  xvfb-run -a -s "-screen 0 1280x1024x24" bash "$work/drive.sh" "$work" "$shots" "$locales" \
    "$pty" "$model" "$wine_sh" "$runs" && break
  [ -e "$work/old-en/status" ] && break
  echo "retrying with another display"
  sleep 1
done

result=0
for name in $runs; do
  run="$work/$name"
  log="$run/nubotest.log"
  cp "$log" "$shots/$name.log" 2>/dev/null || { echo "$name: no log"; result=1; continue; }
  echo "$name: exit status $(cat "$run/status")"
  grep -q "Detected modem      : $model (COM99)" "$log" || { echo "$name: modem not found"; result=1; }
  grep -q "END OF THE MODEM TESTS" "$log" || { echo "$name: tests did not end"; result=1; }
  # Finish, not Cancel: no cancel line, not the cancel code.
  if grep -q "Program canceled by user" "$log" || [ "$(cat "$run/status")" = 251 ]; then
    echo "$name: the wizard was cancelled"; result=1
  fi
done
ls "$shots"
exit $result
