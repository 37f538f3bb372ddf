#!/usr/bin/env bash
# Runs every test: the whole suite, the core layers again under
# AddressSanitizer and UndefinedBehaviorSanitizer, and the Windows program
# with its tests, built with MinGW-w64 and run under Wine.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/tools/setup.sh"
cd "$here"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
chmod 700 "$XDG_RUNTIME_DIR"

echo "== Windows program and tests under Wine"
tools/test-windows.sh

echo "== Core layers under AddressSanitizer and UBSan"
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j"$(nproc)"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --preset sanitize -j"$(nproc)"

echo "== Whole suite"
ctest --preset default -j"$(nproc)"
