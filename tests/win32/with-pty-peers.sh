#!/usr/bin/env bash
# Runs a Windows test program with device peers behind the COM ports that
# tools/wine-prefix.sh mapped: COM3 answers, COM4 hangs up mid-answer, COM5
# is mapped to a path where nothing is. COM6 and up stay unmapped.
#   with-pty-peers.sh PEER COMMAND...
set -euo pipefail
peer=$1; shift
ports=${ORV_WINE_PORTS:?run under tools/wine-prefix.sh (tools/test-windows.sh does)}

pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; wait 2>/dev/null || true; }
trap cleanup EXIT

"$peer" "$ports/com3" & pids+=($!)
"$peer" "$ports/com4" --hangup-after 10 & pids+=($!)
rm -f "$ports/com5"; ln -s "$ports/nothing-here" "$ports/com5"

for _ in $(seq 100); do
  [ -L "$ports/com3" ] && [ -L "$ports/com4" ] && break
  sleep 0.05
done
ORV_PTY_PEERS=1 timeout 100 "$@"
