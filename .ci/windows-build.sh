#!/bin/sh
# Cross-compiles the layers that must build for Windows (protocol, dialog
# core, port discovery with its Win32 backend) with MinGW-w64. Tests are not
# run here: they need Linux doubles and fixtures, and no Windows runtime is
# part of CI.
set -eu

here=$(cd "$(dirname "$0")/.." && pwd)
build=${ORV_MINGW_BUILD_DIR:-$here/build-mingw}
jobs=${ORV_JOBS:-2}

if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1 &&
   ! command -v x86_64-w64-mingw32-g++ >/dev/null 2>&1; then
  echo "windows-build: x86_64-w64-mingw32-g++ not found (apt-get install -y mingw-w64)" >&2
  exit 1
fi

generator=
if command -v ninja >/dev/null 2>&1; then generator="-G Ninja"; fi

# shellcheck disable=SC2086
cmake -S "$here" -B "$build" $generator \
  -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=Release \
  -DORVANE_WITH_QT=OFF -DORVANE_TESTS=OFF -DORVANE_BENCH=OFF

cmake --build "$build" -j"$jobs" --target orvane_protocol orvane_core orvane_discovery
echo "windows-build: orvane_protocol, orvane_core and orvane_discovery built in $build"
