#!/usr/bin/env bash
# Builds the tool and starts it against the simulated transmitter. Without a
# display it runs under a virtual X server and writes a screenshot instead.
# Installs only what building and running it needs; tools/test.sh the rest.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/tools/setup.sh" run
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$here/build/orvane" --simulate "$@"
fi
shot="$here/screenshots/orvane-simulated.png"
mkdir -p "$(dirname "$shot")"
xvfb-run -a -s "-screen 0 1600x1200x24" "$here/build/orvane" --simulate --screenshot "$shot" "$@"
echo "No display here: the tool ran under xvfb-run against the simulated transmitter."
echo "Screenshot written to $shot"
