#!/usr/bin/env bash
# A throw-away Wine prefix for the Windows tests.
#
#   eval "$(tools/wine-prefix.sh start)"   makes one in a temporary folder and
#                                          prints the variables to use it
#   tools/wine-prefix.sh stop              ends its server and removes it
#
# The prefix gets a CJK fallback for the dialog fonts, COM3 to COM6 mapped to
# fixed links under $ORV_WINE_PORTS (tests point them at pseudo-terminals),
# and a warm server: a persistent wineserver plus one idle program, so each
# test program starts in a fraction of a second instead of several.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

start() {
  local dir pfx
  dir=$(mktemp -d "${TMPDIR:-/tmp}/orv-wine.XXXXXX")
  pfx="$dir/pfx"
  mkdir -p "$dir/ports"
  # No Mono or Gecko prompts, and no menu builder: it would write desktop
  # entries for installed programs into the host user's home.
  export WINEPREFIX="$pfx" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  # The server's stderr gets thousands of lines when a pseudo-terminal hangs up.
  timeout 180 wineboot --init >"$dir/wineboot.log" 2>&1 || {
    echo "wine-prefix: wineboot failed, see $dir/wineboot.log" >&2; exit 1; }

  local reg="$dir/setup.reg" face
  {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink]\r\n'
    for face in "Tahoma" "Arial" "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif" "SimSun" "宋体"; do
      # REG_MULTI_SZ as UTF-16LE hex: "wqy-microhei.ttc,WenQuanYi Micro Hei" plus two NULs
      printf '"%s"=hex(7):%s\r\n' "$face" \
        "$(printf 'wqy-microhei.ttc,WenQuanYi Micro Hei\0\0' | iconv -f UTF-8 -t UTF-16LE | od -An -tx1 -v | tr -s ' \n' ',' | sed 's/^,//;s/,$//')"
    done
    # Windows 10, what technicians run: the version query then answers by the
    # program's manifest as it does there.
    printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine]\r\n"Version"="win10"\r\n'
    printf '\r\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\r\n'
    for n in 3 4 5 6; do
      printf '"COM%s"="%s"\r\n' "$n" "$(printf '%s' "$dir/ports/com$n" | sed 's/\\/\\\\/g')"
    done
  } | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$reg"
  timeout 60 wine regedit /S "$reg" >>"$dir/wineboot.log" 2>&1
  # The port mapping is read when the server starts.
  wineserver -k || true
  wineserver -w || true

  wineserver -p 2>"$dir/wineserver.log"
  x86_64-w64-mingw32-gcc -O1 -s -mconsole -o "$dir/idle.exe" -x c - <<'C'
#include <windows.h>
int main(void) { Sleep(INFINITE); return 0; }
C
  (wine "$dir/idle.exe" >/dev/null 2>&1 & echo $! >"$dir/idle.pid")
  printf 'export WINEPREFIX=%q WINEDEBUG=-all WINEDLLOVERRIDES=%q ORV_WINE_DIR=%q ORV_WINE_PORTS=%q\n' \
    "$pfx" "mscoree,mshtml=;winemenubuilder.exe=d" "$dir" "$dir/ports"
}

stop() {
  local dir="${ORV_WINE_DIR:-}"
  [ -n "$dir" ] && [ -d "$dir" ] || return 0
  export WINEPREFIX="$dir/pfx"
  if [ -f "$dir/idle.pid" ]; then kill "$(cat "$dir/idle.pid")" 2>/dev/null || true; fi
  wineserver -k 2>/dev/null || true
  timeout 30 wineserver -w 2>/dev/null || true
  rm -rf "$dir"
}

case "${1:-}" in
  start) start ;;
  stop) stop ;;
  *) echo "usage: $0 start|stop" >&2; exit 2 ;;
esac
