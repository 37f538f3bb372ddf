#!/bin/sh
# Writes screenshots of the standard and the factory window, each connected to
# the simulated transmitter, into the folder given as the first argument.
# Usage: tools/screenshots.sh OUTDIR [path/to/orvane]
# Uses Xvfb when it is installed (the real xcb platform), else Qt's offscreen
# platform.
set -eu
out=${1:?usage: $0 OUTDIR [orvane binary]}
bin=${2:-$(dirname "$0")/../build/orvane}
mkdir -p "$out"
runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
export XDG_RUNTIME_DIR="$runtime"

shoot() {
    if command -v xvfb-run >/dev/null 2>&1; then
        xvfb-run -a -s "-screen 0 1600x1200x24" "$bin" --simulate "$@"
    else
        QT_QPA_PLATFORM=offscreen "$bin" --simulate "$@"
    fi
}

shoot --screenshot "$out/orvane-standard.png"
shoot --factory --screenshot "$out/orvane-factory.png"
echo "wrote $out/orvane-standard.png $out/orvane-factory.png"
