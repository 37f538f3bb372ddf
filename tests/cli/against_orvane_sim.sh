#!/usr/bin/env bash
# orvane-cli against orvane-sim processes on pseudo-terminals, the way a
# production bench script uses them: read one device to a file, write it to
# several others (one silent, one answering garbage, one that keeps its old
# values), verify, and check the exit status and messages of each refusal.
set -uo pipefail
cli=$1
sim=$2
work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
export XDG_CONFIG_HOME=$work/config
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Starts a simulated device in this shell (so cleanup can stop it) and sets
# the variable NAME to its port path.
start_sim() {
    local name=$1
    shift
    "$sim" --quiet --delay 5 "$@" >"$work/$name.out" 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do
        grep -q '^port ' "$work/$name.out" 2>/dev/null && break
        sleep 0.05
    done
    printf -v "$name" '%s' "$(awk '/^port /{print $2; exit}' "$work/$name.out")"
}
# Every run of the program gets a watchdog on top of its own time-outs.
run() { timeout 30 "$cli" "$@" >"$work/out" 2>"$work/err"; echo $?; }
expect() {  # expect STATUS WHAT -- ARGS...
    local want=$1 what=$2
    shift 3
    local got
    got=$(run "$@")
    [ "$got" = "$want" ] || { fail "$what: exit $got, expected $want"; cat "$work/err"; }
}

start_sim src --link "$XDG_CONFIG_HOME/orvane/ports/COM7"
start_sim a
start_sim b
start_sim silent --silent
start_sim garbled --bad-checksum
start_sim keeper --keep-block
for p in "$src" "$a" "$b" "$silent" "$garbled" "$keeper"; do
    [ -n "$p" ] || { echo "FAIL: a simulator did not start"; exit 1; }
done

expect 0 "set on the source device via COM7" -- --port COM7 set inputType=pt100 wireCount=3 rangeZero=-50 rangeFull=250 dampingLevel=2
expect 0 "read the source to a file" -- --port COM7 read -o "$work/plant.json"
grep -v '^saved to' "$work/out" >"$work/source.txt"
grep -q '"format": "orvane-configuration"' "$work/plant.json" || fail "saved file is not a configuration file"

expect 1 "write to four, two of them broken" -- --timeout-scale 0.5 --port "$a" --port "$b" --port "$silent" --port "$garbled" write "$work/plant.json"
grep -q "^orvane-cli: $silent: time-out" "$work/err" || fail "silent device not named"
grep -q "^orvane-cli: $garbled: bad-answer: .*bad checksum" "$work/err" || fail "garbled device not named"
grep -q "^summary: 2 of 4 ports succeeded" "$work/err" || fail "summary missing"
[ "$(grep -c '^verified' "$work/out")" = 2 ] || fail "the two good devices were not verified"

for p in "$a" "$b"; do
    expect 0 "read back $p" -- --port "$p" read
    diff -u "$work/source.txt" "$work/out" || fail "$p does not hold the source's settings"
done

expect 1 "a device that keeps its old values" -- --port "$keeper" write "$work/plant.json"
grep -q "mismatch: .*inputType: wrote pt100, the device holds tc-k" "$work/err" || fail "mismatch not reported"

start_sim quiet_restart --silent-restart
expect 0 "restart of a device that resets without acknowledging" -- --port "$quiet_restart" restart
grep -qx "restarted" "$work/out" || fail "restart: no 'restarted'"
expect 1 "restart of a silent device" -- --timeout-scale 0.2 --port "$silent" restart
grep -q "^orvane-cli: $silent: time-out: no answer to a parameter read within 1 s of the restart" "$work/err" || fail "restart of a silent device not named"
expect 2 "factory reset without --yes" -- --port "$a" factory-reset
expect 2 "one device named twice" -- --port COM7 --port "$src" read
expect 2 "COM0" -- --port COM0 read
expect 2 "a file that is not a configuration" -- --port "$a" write /etc/hostname
expect 0 "measure as CSV" -- --port "$a" measure --count 2 --interval 0.1 --csv
[ "$(wc -l <"$work/out")" = 3 ] || fail "measure --csv: expected a header and 2 lines"
# A check driven through standard input: a device reading 650 degC, one
# point at half of 0..1300, the empty line taking the nominal value.
start_sim at650 --input 650
start_sim off13 --input 650 --offset-error 13
expect 0 "check within tolerance" -- --port "$at650" check --points 50 --readings 2 --record "$work/check.json" <<<""
grep -q '^result: pass' "$work/out" || fail "check: no passing result"
grep -q '"format": "orvane-calibration-check"' "$work/check.json" || fail "check: no record saved"
expect 1 "check of a device reading 1 % of span high" -- --port "$off13" check --points 50 --readings 2 <<<""
expect 2 "check with a reference that is no number" -- --port "$at650" check --points 50 --readings 2 <<<"abc"
# The adapter pulled while readings run: the port fails at once, named.
start_sim doomed
doomed_pid=${pids[-1]}
(sleep 0.8; kill "$doomed_pid") &
expect 1 "device gone during measure" -- --port "$doomed" measure --count 50 --interval 0.1
grep -q "^orvane-cli: $doomed: port: the line hung up" "$work/err" || fail "hang-up not reported"
# Ctrl-C and kill: the reading on the line is finished, nothing more is
# sent, and what was taken is reported, as the document under --json.
for sig in INT TERM; do
    timeout 30 "$cli" --json --port "$a" measure --count 100 --interval 0.2 >"$work/out" 2>"$work/err" &
    cli_pid=$!
    sleep 1.5
    kill -"$sig" "$cli_pid"
    wait "$cli_pid"
    status=$?
    [ "$status" = 130 ] || fail "SIG$sig: exit $status, expected 130"
    grep -q '"interrupted": true' "$work/out" || fail "SIG$sig: the document is not marked as interrupted"
    grep -q '"measured":' "$work/out" || fail "SIG$sig: the readings taken are not in the document"
    grep -q "^orvane-cli: $a: interrupted" "$work/err" || fail "SIG$sig: the port is not named as interrupted"
done
# One version, the window's form: program (product) version.
"$sim" --version | grep -qx 'orvane-sim (Orvane Revuvuvi) [0-9.]*' || fail "orvane-sim --version"
expect 0 "version" -- --version
grep -qx "orvane-cli (Orvane Revuvuvi) $("$sim" --version | awk '{print $NF}')" "$work/out" || fail "--version"
expect 0 "help" -- --help
if ! ls /sys/bus/usb-serial/drivers/cp210x/ttyUSB* >/dev/null 2>&1; then
    expect 1 "auto without a bridge" -- read
    grep -q "no USB serial bridge" "$work/err" || fail "auto: no message"
    expect 0 "ports without a bridge" -- ports
    grep -qx "COM7	$src	link	-" "$work/out" || fail "ports: the link COM7 is not listed"
fi

[ "$failures" = 0 ] && echo "all passed"
exit $((failures > 0))
