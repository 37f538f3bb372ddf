#!/usr/bin/env bash
# Runs the tool against its simulated transmitter with about 1 GB of address
# space, as on a small industrial PC or under strict overcommit, and checks
# that the window shows the device's parameter block: its screenshot must
# match one taken without the limit, and must not look like a window that
# never read the block.
# Usage: tools/check-low-memory.sh [path/to/orvane]
set -euo pipefail
bin=${1:-$(dirname "$0")/../build/orvane}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=offscreen

# The screenshot waits at most a few seconds for the block; the watchdog is
# for a tool that hangs outright.
shoot() { timeout 60 "$bin" "$@"; }

shoot --simulate --screenshot "$work/free.png"
(ulimit -v 1000000 && shoot --simulate --screenshot "$work/limited.png")
# Without a device the window keeps its empty fields: what a failed read looks like.
shoot --screenshot "$work/empty.png" 2>/dev/null

differ() {  # prints how many pixels two pictures differ in
    compare -metric AE "$1" "$2" null: 2>&1 >/dev/null | cut -d' ' -f1 || true
}
to_free=$(differ "$work/limited.png" "$work/free.png")
empty_to_free=$(differ "$work/empty.png" "$work/free.png")
echo "pixels differing from the unlimited run: $to_free (an unread window: $empty_to_free)"
# A read block fills a dozen fields with text; a blinking caret is a few
# pixels. Pictures that cannot be compared (another size) count as different.
[[ $to_free =~ ^[0-9]+$ ]] || to_free=999999
[[ $empty_to_free =~ ^[0-9]+$ ]] || empty_to_free=999999
if [ "$to_free" -gt 50 ] || [ "$empty_to_free" -le 200 ]; then
    echo "the block was not read under the memory limit" >&2
    exit 1
fi
