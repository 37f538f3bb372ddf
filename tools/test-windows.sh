#!/usr/bin/env bash
# Builds the Windows program and its tests with MinGW-w64 and runs the tests
# under Wine in a fresh prefix made for this run (removed again at the end).
#   ORV_WINDOWS_BUILD_DIR  build folder (default build-windows)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
# The window tests and the program's own run need an X display; one Xvfb
# serves the whole run.
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1600x1200x24" "$0" "$@"
fi
cd "$here"
build=${ORV_WINDOWS_BUILD_DIR:-$here/build-windows}
jobs=${ORV_JOBS:-$(nproc)}

cmake --preset windows -B "$build" >/dev/null
cmake --build "$build" -j"$jobs"

eval "$(tools/wine-prefix.sh start)"
trap 'tools/wine-prefix.sh stop' EXIT
ctest --test-dir "$build" --output-on-failure --timeout 120 -j"$jobs"

# The program against the Linux simulator, driven by pointer clicks, and the
# command line against several of them.
#   ORV_SIM  the Linux simulator to use (default: build/orvane-sim, built if missing)
sim=${ORV_SIM:-$here/build/orvane-sim}
if [ ! -x "$sim" ]; then
  cmake --preset default >/dev/null
  cmake --build --preset default --target orvane-sim
fi
ORV_SIM="$sim" tools/test-windows-gui.sh "$build"
ORV_SIM="$sim" tools/test-windows-cli.sh "$build"
tools/test-windows-package.sh "$build"
