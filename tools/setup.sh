#!/usr/bin/env bash
# Installs what building, testing and the demo need on Debian 12 (only the
# packages that are missing), then configures and builds the default preset.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-serialport-dev qt6-qpa-plugins libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth fonts-arphic-uming fonts-dejavu-core imagemagick
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
  googletest wine fonts-wqy-microhei
  nsis xdotool unzip jq groff-base
  clang libclang-rt-14-dev
  dpkg-dev file lintian appstream desktop-file-utils
  nlohmann-json3-dev qt6-charts-dev poppler-utils
)
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
cmake --preset default >/dev/null
cmake --build --preset default -j"$(nproc)"
