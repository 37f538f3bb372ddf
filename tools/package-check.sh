#!/usr/bin/env bash
# Release checks on a built tree (default: build/): the Debian package made
# by CPack must pass lintian with no error or warning, the AppStream metadata
# appstreamcli and the desktop entry desktop-file-validate.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)

cd "$build"
rm -f orvane_*.deb
timeout 300 cpack -G DEB >/dev/null
deb=$(ls orvane_*.deb)
echo "lintian $deb"
status=0
report=$(timeout 300 lintian --fail-on error,warning --display-level '>=warning' "$deb" 2>&1) || status=$?
# lintian says it would rather not run as root; the checks are the same.
grep -v 'running with root privileges' <<<"$report" || true
if ((status != 0)); then
  echo "lintian found errors or warnings in $deb" >&2
  exit 1
fi

cd "$here"
timeout 60 appstreamcli validate --no-net packaging/*.metainfo.xml
timeout 60 desktop-file-validate packaging/orvane.desktop
echo "package checks passed"
