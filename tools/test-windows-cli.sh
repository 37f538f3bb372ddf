#!/usr/bin/env bash
# orvane-cli.exe under Wine against orvane-sim processes on pseudo-terminals
# mapped as COM3 to COM6: every command on one port, then on four at once
# (one silent, one answering with bad checksums), the JSON documents parsed
# back, discovery through a stand-in bridge library, a device pulled
# mid-run, and the calibration check fed through standard input. Runs inside
# the prefix of tools/wine-prefix.sh.
#   tools/test-windows-cli.sh BUILD_DIR
#   ORV_SIM   the Linux simulator (default build/orvane-sim)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?usage: $0 BUILD_DIR}" && pwd)
sim=${ORV_SIM:-$here/build/orvane-sim}
: "${WINEPREFIX:?run inside tools/wine-prefix.sh}" "${ORV_WINE_PORTS:?}"
export WINEDEBUG=-all

cli_exe=$build/orvane-cli.exe
standin=$build/tests/standin/CP210xManufacturing.dll
for f in "$cli_exe" "$standin" "$sim"; do
  [ -e "$f" ] || { echo "cli-test: missing $f" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/orv-cli.XXXXXX")
mkdir -p "$work/bridge"
cp "$cli_exe" "$standin" "$work/bridge/"
declare -A sims=()
cleanup() {
  local p
  for p in "${sims[@]}"; do kill "$p" 2>/dev/null || true; done
  wine reg delete 'HKLM\SYSTEM\CurrentControlSet\Enum\USB\Vid_10c4&Pid_ea60' /f >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

failures=0
fail() { echo "cli-test: FAIL: $*" >&2; failures=$((failures + 1)); }

# start_sim N OPTIONS...: a simulated device behind COMn.
start_sim() {
  local n=$1
  shift
  rm -f "$ORV_WINE_PORTS/com$n"
  "$sim" --quiet --delay 5 --link "$ORV_WINE_PORTS/com$n" "$@" >"$work/sim$n.log" 2>&1 &
  sims[$n]=$!
  for _ in $(seq 100); do [ -L "$ORV_WINE_PORTS/com$n" ] && return 0; sleep 0.05; done
  fail "orvane-sim made no port for COM$n"
}

# cli ARGS...: runs the program; its output (without Wine's CRs) lands in
# $work/out and $work/err, its exit status in $status.
status=0
cli() {
  status=0
  timeout 60 wine "$work/bridge/orvane-cli.exe" "$@" >"$work/out.raw" 2>"$work/err.raw" || status=$?
  tr -d '\r' <"$work/out.raw" >"$work/out"
  tr -d '\r' <"$work/err.raw" >"$work/err"
}
# expect STATUS WHAT -- ARGS...
expect() {
  local want=$1 what=$2
  shift 3
  cli "$@"
  [ "$status" = "$want" ] || { fail "$what: exit $status, expected $want"; sed 's/^/    /' "$work/err" >&2; }
}
has() { grep -q -- "$2" "$work/$1" || fail "$3 (no '$2' in std$1)"; }

# COM3 resets without acknowledging a restart; otherwise both COM3 and COM4
# are healthy devices. COM5 never answers, COM6 answers with bad checksums.
start_sim 3 --silent-restart
start_sim 4
start_sim 5 --silent
start_sim 6 --bad-checksum
t0=$SECONDS

echo "cli-test: every command on COM3"
expect 0 "--version" -- --version
has out '^orvane-cli (Orvane Revuvuvi) 3\.2\.0$' "--version"
expect 0 "--help" -- --help
has out '^Usage: orvane-cli' "--help"
expect 0 "set" -- --port COM3 set inputType=pt100 wireCount=2 rangeZero=-50 rangeFull=250 dampingLevel=4
has out '^rangeZero=-50.0 ℃ written and verified$' "set"
expect 0 "read" -- --port COM3 read
has out '^inputType         pt100$' "read"
has out '^rangeFull         250.0 ℃$' "read"
has err '^COM3: done$' "read's progress"
# A file name outside the ANSI code page, as a technician may well choose.
expect 0 "read -o" -- --port COM3 read -o 'Z:'"${work//\//\\}"'\工厂配置.json'
[ -f "$work/工厂配置.json" ] || fail "read -o wrote no $work/工厂配置.json"
jq -e '.format == "orvane-configuration" and .settings.rangeFull.value == 250' "$work/工厂配置.json" >/dev/null ||
  fail "the saved configuration does not hold the device's settings"
expect 0 "factory-reset" -- --port COM3 factory-reset --yes
has out '^factory settings restored$' "factory-reset"
expect 0 "write" -- --port COM3 write 'Z:'"${work//\//\\}"'\工厂配置.json'
has out '^wrote the 5 settings that differed from the file' "write"
has out '^verified' "write's verification"
expect 0 "measure --csv" -- --port COM3 measure --count 2 --interval 0.1 --csv
[ "$(wc -l <"$work/out")" = 3 ] || fail "measure --csv: expected a header and 2 lines"
has out '^port,time,measured,ambient,unit,rv0,rv1,rv2,rv3,rv4$' "measure --csv header"
has out '^COM3,[^,]*,[^,]*,[^,]*,℃,' "measure --csv line"
expect 0 "restart without an acknowledgement" -- --port COM3 restart
has out '^restarted$' "restart"
expect 2 "factory-reset without --yes" -- --port COM3 factory-reset
expect 2 "COM0" -- --port COM0 read
expect 2 "one port twice" -- --port COM3 --port com3 read
expect 1 "a port Wine does not map" -- --port COM9 read
has err '^orvane-cli: COM9: port: cannot open COM9' "the missing port"
echo "cli-test: one port took $((SECONDS - t0)) s"

echo "cli-test: every command on four ports at once, one silent, one garbled"
t0=$SECONDS
four=(--json --timeout-scale 0.25 --port COM3 --port COM4 --port COM5 --port COM6)
for command in "read" "set offsetCorrection=-3" "write Z:${work//\//\\}\\工厂配置.json" "measure --count 2 --interval 0" \
               "restart" "factory-reset --yes"; do
  read -r -a words <<<"$command"
  expect 1 "$command on four" -- "${four[@]}" "${words[@]}"
  jq -e --arg c "${words[0]}" '
      .command == $c and .exit == 1 and .ok == false
      and .summary == {ports: 4, succeeded: 2, failed: 2}
      and ([.ports[].port] == ["COM3", "COM4", "COM5", "COM6"])
      and .ports[0].ok and .ports[1].ok
      and .ports[2].error.kind == "time-out" and .ports[3].error.kind == "bad-answer"' "$work/out" >/dev/null ||
    { fail "$command on four: the JSON document is not as expected"; sed 's/^/    /' "$work/out" >&2; }
  has err '^orvane-cli: COM5: time-out: ' "$command: the silent port"
  has err '^orvane-cli: COM6: bad-answer: .*bad checksum' "$command: the garbled port"
  has err '^summary: 2 of 4 ports succeeded; failed: COM5 (time-out), COM6 (bad-answer)$' "$command: summary"
  if [ "${words[0]}" = restart ]; then
    jq -e '.ports[0].acknowledged == false and .ports[1].acknowledged == true' "$work/out" >/dev/null ||
      fail "restart on four: COM3 resets unacknowledged, COM4 acknowledges"
  fi
done
echo "cli-test: four ports took $((SECONDS - t0)) s"

echo "cli-test: auto and ports through the bridge library and the registry"
{
  printf 'Windows Registry Editor Version 5.00\r\n\r\n'
  printf '[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\USB\\Vid_10c4&Pid_ea60\\ORVCLI0001\\Device Parameters]\r\n'
  printf '"PortName"="COM4"\r\n'
} | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$work/setup.reg"
timeout 60 wine regedit /S "$work/setup.reg"
export ORV_STANDIN_BRIDGES='10c4:ea60:ORVCLI0001'
expect 0 "ports" -- --json ports
jq -e '.bridges == [{"port": "COM4", "path": "COM4", "vendor-id": "10c4", "product-id": "ea60", "serial": "ORVCLI0001"}]' \
  "$work/out" >/dev/null || fail "ports: $(cat "$work/out")"
expect 0 "read on auto" -- read
has err '^auto (COM4): done$' "auto"
unset ORV_STANDIN_BRIDGES
expect 1 "auto without a bridge" -- read
has err 'no USB serial bridge' "auto without a bridge"

echo "cli-test: the device on COM4 goes away during measure"
(sleep 1; kill "${sims[4]}") &
puller=$!
expect 1 "device gone" -- --port COM4 measure --count 50 --interval 0.1
has err '^orvane-cli: COM4: port: the line hung up waiting for the measurement answer' "the hang-up"
wait "$puller"

echo "cli-test: the calibration check, references on standard input"
kill "${sims[5]}" "${sims[6]}" 2>/dev/null || true
start_sim 5 --input 650
start_sim 6 --input 650 --offset-error 13
printf '\n' >"$work/references"
expect 0 "check within tolerance" -- --port COM5 check --points 50 --readings 2 \
  --record 'Z:'"${work//\//\\}"'\check.json' <"$work/references"
has out '^result: pass, every point within 0.25 % of span$' "check's result"
has err '^COM5: point 1 of 1 (50 %): apply 650.0 ℃$' "check's value to apply"
jq -e '.format == "orvane-calibration-check" and .result == "pass" and (.runs[0].points | length) == 1' \
  "$work/check.json" >/dev/null || fail "check: the record saved is not the run"
expect 1 "check of a device reading 1 % of span high" -- --json --port COM6 check --points 50 --readings 2 \
  <"$work/references"
jq -e '.exit == 1 and .ports[0].result == "fail" and .ports[0].error.kind == "check-failed"' "$work/out" >/dev/null ||
  fail "check of a device out of tolerance: $(cat "$work/out")"
expect 2 "check with a reference that is no number" -- --port COM5 check --points 50 --readings 2 <<<"abc"
has err 'refused: The reference value "abc" is not a number' "check's refusal"

((failures == 0)) || { echo "cli-test: $failures failed" >&2; exit 1; }
echo "cli-test: passed"
