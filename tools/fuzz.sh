#!/usr/bin/env bash
# Builds the fuzz targets (clang, AddressSanitizer, UBSan; the `sanitize`
# build, which also holds the core layers' tests) and runs each for a bounded
# time, starting from the seed corpus in fuzz/corpus/<name>.
#
#   tools/fuzz.sh               every target for 20 s (what the test script runs)
#   tools/fuzz.sh 1800          every target for half an hour
#   tools/fuzz.sh 600 text sysfs   only those targets
#
# New inputs found are kept in build-sanitize/corpus/<name> and reused next
# time; a failing input is saved in build-sanitize/artifacts/ and the run fails.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"

seconds=${1:-20}
shift || true
targets=("$@")
if ((${#targets[@]} == 0)); then
  targets=(receive param_block text line_settings sysfs sim_framing config_file cli_command_line cli_answers recording check_record certificate)
fi

build=build-sanitize
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j"$(nproc)" $(printf -- '--target fuzz_%s ' "${targets[@]}")

mkdir -p "$build/artifacts"

# One target: its own log, a line of stats, or the tail of the log on failure.
run_target() {
  local name=$1 bin=$build/fuzz/fuzz_$1 work=$build/corpus/$1
  mkdir -p "$work"
  # The watchdog covers a target that stops answering libFuzzer's own timer.
  if ! timeout --kill-after=10 $((seconds + 120)) "$bin" \
      -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
      -print_final_stats=1 -artifact_prefix="$build/artifacts/$name-" \
      "$work" "fuzz/corpus/$name" >"$build/fuzz_$name.log" 2>&1; then
    echo "fuzz_$name FAILED; the tail of $build/fuzz_$name.log:"
    tail -40 "$build/fuzz_$name.log"
    return 1
  fi
  echo "== fuzz_$name for ${seconds} s"
  grep -E "^stat::number_of_executed_units" "$build/fuzz_$name.log" | sed 's/^stat::/  /' || true
}

# The targets are single-threaded: one a core at a time halves the wall time.
jobs=$(nproc)
status=0
pids=()
for name in "${targets[@]}"; do
  run_target "$name" &
  pids+=($!)
  if ((${#pids[@]} >= jobs)); then
    wait "${pids[0]}" || status=1
    pids=("${pids[@]:1}")
  fi
done
for pid in "${pids[@]}"; do
  wait "$pid" || status=1
done
exit $status
