#!/usr/bin/env bash
# Installs what is missing on Debian 12 (only the packages that are missing),
# then configures and builds the default preset.
#
#   tools/setup.sh run    what building and running the tool needs (tools/run.sh)
#   tools/setup.sh test   that and everything the tests need (tools/test.sh):
#                         GoogleTest, clang, MinGW-w64, Wine, NSIS, lintian, ...
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
purpose=${1:-test}

# Building and running the window, the command line and the simulator; a
# virtual X server and fonts for a machine without a display.
run_packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-serialport-dev qt6-qpa-plugins libgl-dev
  nlohmann-json3-dev
  xvfb xauth fonts-dejavu-core fonts-arphic-uming
)
# The tests: unit tests and benchmarks, screenshots, the Windows program
# under Wine and its installer, the fuzz and sanitizer build, the package
# checks and the report's text.
test_packages=(
  libgtest-dev libgmock-dev libbenchmark-dev googletest
  imagemagick poppler-utils
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
  wine fonts-wqy-microhei nsis xdotool unzip jq groff-base
  clang libclang-rt-14-dev
  dpkg-dev file lintian appstream desktop-file-utils
)
case $purpose in
  run) packages=("${run_packages[@]}") ;;
  test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
  *) echo "usage: $0 run|test" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" apt-get update
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
fi

cd "$here"
# Without GoogleTest the build leaves the tests out. The test command runs the Qt-free layers' tests in its sanitizer build
# and under Wine, so here it builds only the tests of the window, the serial
# link and the command line.
tests=(-DORVANE_TESTS=OFF)
[ "$purpose" = test ] && tests=(-DORVANE_TESTS=ON -DORVANE_CORE_TESTS=OFF)
cmake --preset default "${tests[@]}" >/dev/null
cmake --build --preset default -j"$(nproc)"
