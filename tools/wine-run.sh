#!/usr/bin/env bash
# Runs a Windows program under Wine in the prefix that tools/wine-prefix.sh
# made (CMake's emulator for the Windows build). Refuses to run without one,
# so a test run never touches the user's own ~/.wine.
set -euo pipefail
if [ -z "${WINEPREFIX:-}" ] || [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "wine-run: no Wine prefix; run under tools/wine-prefix.sh (see tools/test-windows.sh)" >&2
  exit 125
fi
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}"
exec wine "$@"
