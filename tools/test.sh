#!/usr/bin/env bash
# Runs every test: the whole suite, the core layers again under
# AddressSanitizer and UndefinedBehaviorSanitizer, and the Windows program
# with its tests, built with MinGW-w64 and run under Wine.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/tools/setup.sh" test
cd "$here"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
chmod 700 "$XDG_RUNTIME_DIR"

echo "== Windows program and tests under Wine"
tools/test-windows.sh

# One clang build serves both: the core layers' tests and the fuzz targets.
echo "== Core layers under AddressSanitizer and UBSan (clang), with the fuzz targets"
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j"$(nproc)"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --preset sanitize -j"$(nproc)"

echo "== The window, the serial link and the command line (the layers' own tests ran above)"
ctest --preset default -j"$(nproc)"

echo "== The tool reads a device with 1 GB of address space"
tools/check-low-memory.sh build/orvane

echo "== Soak: a virtual day of polling, writes and views with line faults"
timeout --kill-after=10 300 build/soak/orvane-soak --hours 24

echo "== Fuzz targets, 5 s each (the sanitize build above)"
tools/fuzz.sh 5

echo "== Release checks: the Debian package (lintian), AppStream metadata, desktop entry"
tools/package-check.sh build
