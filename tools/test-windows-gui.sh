#!/usr/bin/env bash
# The Windows program as a technician meets it: orvane.exe under Wine on an X
# display, talking to orvane-sim on a pseudo-terminal mapped as COM3, driven
# by pointer clicks (xdotool) and read back from outside the process by
# orvane-probe. Runs inside the prefix of tools/wine-prefix.sh, on a display.
#   tools/test-windows-gui.sh BUILD_DIR
#   ORV_SIM              the Linux simulator (default build/orvane-sim)
#   ORV_SCREENSHOT_DIR   where the screenshots go (default BUILD_DIR/screenshots)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?usage: $0 BUILD_DIR}" && pwd)
sim=${ORV_SIM:-$here/build/orvane-sim}
shots=${ORV_SCREENSHOT_DIR:-$build/screenshots}
: "${WINEPREFIX:?run inside tools/wine-prefix.sh}" "${ORV_WINE_PORTS:?}" "${DISPLAY:?needs a display}"
export WINEDEBUG=-all

exe=$build/orvane.exe
probe_exe=$build/tests/orvane-probe.exe
standin=$build/tests/standin/CP210xManufacturing.dll
for f in "$exe" "$probe_exe" "$standin" "$sim"; do
  [ -e "$f" ] || { echo "gui-test: missing $f" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/orv-gui.XXXXXX")
mkdir -p "$shots" "$work/bridge" "$work/nobridge"
pids=()
cleanup() {
  local p
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wine reg delete 'HKLM\SYSTEM\CurrentControlSet\Enum\USB\Vid_10c4&Pid_ea60' /f >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "gui-test: $*" >&2
  [ -f "$work/sim.log" ] && { echo "--- simulator log" >&2; tail -20 "$work/sim.log" >&2; }
  import -window root "$shots/windows-failure.png" 2>/dev/null || true
  exit 1
}

main_title='ZEZorezu-v3.2-J'
box_title='orvane'  # message boxes carry the program file's name

probe() { timeout 30 wine "$probe_exe" "$@"; }
# field TITLE ID COLUMN: one value of a control (columns as orvane-probe dump prints them)
# (Wine's console ends lines with CR LF.)
field() { probe dump "$1" | tr -d '\r' | awk -F'\t' -v id="$2" -v col="$3" '$1 == id { print $col; exit }'; }
# until_field TITLE ID COLUMN VALUE SECONDS
until_field() {
  local deadline=$((SECONDS + $5)) value=
  while ((SECONDS < deadline)); do
    value=$(field "$1" "$2" "$3" || true)
    [ "$value" = "$4" ] && return 0
    sleep 0.2
  done
  fail "control $2 of '$1': column $3 is '$value', expected '$4'"
}
click() {
  local x y
  read -r x y < <(probe dump "$1" | tr -d '\r' | awk -F'\t' -v id="$2" '$1 == id { print $7, $8; exit }')
  [ -n "${x:-}" ] || fail "no control $2 in '$1' to click"
  xdotool mousemove "$x" "$y" click 1
}
# expect_box TEXT: a message box shows TEXT; answered with a click on OK
expect_box() {
  probe wait "$box_title" 20 || fail "no message box (expected '$1')"
  until_field "$box_title" 65535 9 "$1" 10
  click "$box_title" 1
  probe gone "$box_title" 10 || fail "the box '$1' did not close"
}
close_program() {
  click "$main_title" 1  # "Exit"
  probe gone "$main_title" 10 || fail "the window did not close on Exit"
  wait "$1" 2>/dev/null || true
}

# The dialog asks for the Song face; the free one stands in for it.
{
  printf 'Windows Registry Editor Version 5.00\r\n\r\n'
  printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\r\n'
  printf '"宋体"="AR PL UMing CN"\r\n"SimSun"="AR PL UMing CN"\r\n\r\n'
  # The bridge's port as the USB driver records it.
  printf '[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\USB\\Vid_10c4&Pid_ea60\\ORVGUI0001\\Device Parameters]\r\n'
  printf '"PortName"="COM3"\r\n'
} | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$work/setup.reg"
timeout 60 wine regedit /S "$work/setup.reg"

cp "$exe" "$work/bridge/"
cp "$standin" "$work/bridge/"
cp "$exe" "$work/nobridge/"

echo "gui-test: start-up finds the bridge on COM3 and reads the block"
"$sim" --link "$ORV_WINE_PORTS/com3" >"$work/sim.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -L "$ORV_WINE_PORTS/com3" ] && break; sleep 0.1; done
[ -L "$ORV_WINE_PORTS/com3" ] || fail "orvane-sim made no port"
ORV_STANDIN_BRIDGES='10c4:ea60:ORVGUI0001' timeout 120 wine "$work/bridge/orvane.exe" >/dev/null 2>&1 &
app=$!
pids+=($app)
probe wait "$main_title" 30 || fail "no main window"
until_field "$main_title" 1023 3 0 15          # "connection" disabled: the block arrived
[ "$(field "$main_title" 1064 6)" = 3 ] || fail "COM3 is not selected"
[ "$(field "$main_title" 1003 9)" = 1300.0000 ] || fail "range high is '$(field "$main_title" 1003 9)'"

echo "gui-test: a write goes out byte-exact and succeeds"
click "$main_title" 1007                        # "External Cu50"
until_field "$main_title" 1007 5 1 5
click "$main_title" 1053                        # its "Update"
expect_box 'Update Success !'
# Function 16, length 2, address 2 (cjcMode), 0 for the external sensor, CRC-8/MAXIM.
grep -qi -- '-> 00 10 02 02 00 E6' "$work/sim.log" || fail "the CJC write did not reach the device as 00 10 02 02 00 E6"
import -window root "$shots/windows-standard.png"

echo "gui-test: Ctrl+P prints the device report; without a printer one message says so"
click "$main_title" 1003
xdotool key ctrl+p
expect_box 'Cannot print "Device Report": no printer is installed. Add one in the Windows settings (Windows 10 and 11 have "Microsoft Print to PDF") and try again.'

echo "gui-test: the trend opened with Ctrl+T during the poll plots the readings beside the dialog"
click "$main_title" 1031                        # "Auto Upload"
click "$main_title" 1003                        # the keys go to a control that has the focus
xdotool key ctrl+t
trend_title='Trend - Orvane Revuvuvi'
probe wait "$trend_title" 10 || fail "Ctrl+T opened no trend window"
# The statistics line counts the readings plotted.
deadline=$((SECONDS + 30))
until field "$trend_title" 111 9 | grep -Eq 'Ambient temperature .*\(2[0-9] readings\)'; do
  ((SECONDS < deadline)) || fail "the trend shows no 20 readings: '$(field "$trend_title" 111 9)'"
  sleep 0.5
done
read -r tl tt tr tb < <(probe rect "$trend_title" | tr -d '\r')
for id in 1031 1032 1; do                        # the poll buttons and "Exit" stay uncovered
  read -r bx by < <(probe dump "$main_title" | tr -d '\r' | awk -F'\t' -v id="$id" '$1 == id { print $7, $8; exit }')
  if ((bx >= tl && bx < tr && by >= tt && by < tb)); then fail "the trend covers control $id"; fi
done
import -window root "$shots/windows-trend.png"
click "$main_title" 1032                        # "Stop Upload"

echo "gui-test: Ctrl+K opens the check; a run reads the device, polls and keeps its set-up in %APPDATA%"
xdotool key ctrl+k                              # the dialog is active since "Stop Upload"
check_title='Calibration Check - Orvane Revuvuvi'
probe wait "$check_title" 10 || fail "Ctrl+K opened no check window"
click "$check_title" 142                        # "As Found"
until_field "$check_title" 147 9 'As found: point 1 of 5, 0 % of the range' 10
until_field "$main_title" 1031 3 0 5            # the run's poll holds "Auto Upload"
deadline=$((SECONDS + 10))
until field "$check_title" 151 9 | grep -q ' ℃$'; do  # the live measured value
  ((SECONDS < deadline)) || fail "the check shows no measured value: '$(field "$check_title" 151 9)'"
  sleep 0.3
done
users=$WINEPREFIX/drive_c/users/${USER:-$(id -un)}
[ -d "$users" ] || users=$(find "$WINEPREFIX/drive_c/users" -mindepth 1 -maxdepth 1 -type d ! -name Public | head -1)
grep -q '"format": "orvane-check-setup"' "$users/AppData/Roaming/Orvane/check-setup.json" ||
  fail "the set-up is not kept in %APPDATA%\\Orvane"
import -window root "$shots/windows-check.png"
click "$check_title" 159                        # "Abort"
until_field "$check_title" 147 9 'No run in progress.' 5
until_field "$main_title" 1031 3 1 5            # the poll is the user's again
rm -rf "$users/AppData/Roaming/Orvane"
close_program "$app"

echo "gui-test: without a bridge the user is asked to choose and COM2 is preselected"
timeout 120 wine "$work/nobridge/orvane.exe" >/dev/null 2>&1 &
app=$!
pids+=($app)
expect_box 'Auto Connected to Device fail, Please designated ports!'
probe wait "$main_title" 20 || fail "no main window after the message"
until_field "$main_title" 1064 6 2 5
[ "$(field "$main_title" 1064 9)" = COM2 ] || fail "the port list does not show COM2"
[ "$(field "$main_title" 1092 3)" = 0 ] || fail "Load Buffer is enabled before any write"
close_program "$app"

echo "gui-test: the factory window on the simulated transmitter"
timeout 120 wine "$work/nobridge/orvane.exe" --simulate --factory >/dev/null 2>&1 &
app=$!
pids+=($app)
probe wait "$main_title" 30 || fail "no factory window"
until_field "$main_title" 1023 3 0 15
until_field "$main_title" 1051 4 1 5            # the factory panel is shown
sleep 0.5
import -window root "$shots/windows-factory.png"
close_program "$app"

echo "gui-test: --version answers in a message box and ends"
timeout 60 wine "$work/nobridge/orvane.exe" --version >/dev/null 2>&1 &
app=$!
pids+=($app)
expect_box 'orvane (Orvane Revuvuvi) 3.2.0'
wait "$app" || fail "orvane.exe --version did not end cleanly"

echo "gui-test: passed; screenshots in $shots"
