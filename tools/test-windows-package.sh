#!/usr/bin/env bash
# Makes the zip and the installer with cpack and checks them: the zip holds
# the program and its papers; the installer installs for the user alone
# (program folder, Start-menu entry, uninstall entry under HKCU) and its
# uninstaller takes all of it away again. Runs in tools/wine-prefix.sh's prefix.
#   tools/test-windows-package.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:?usage: $0 BUILD_DIR}" && pwd)
: "${WINEPREFIX:?run inside tools/wine-prefix.sh}"
export WINEDEBUG=-all
version=3.2.0
zip=$build/orvane-$version-win64.zip
setup=$build/orvane-$version-win64-setup.exe

fail() { echo "package-test: $*" >&2; exit 1; }

rm -f "$zip" "$setup"
(cd "$build" && timeout 300 cpack >/dev/null) || fail "cpack failed"
[ -f "$zip" ] && [ -f "$setup" ] || fail "cpack made no $zip or $setup"
listing=$(unzip -Z1 "$zip")
for f in orvane.exe README.md; do
  grep -qx "$f" <<<"$listing" || fail "$f is not in the zip"
done
if grep -qiv -e '^orvane\.exe$' -e '^README\.md$' -e '^LICENSE$' <<<"$listing"; then
  fail "the zip holds more than the program and its papers: $listing"
fi
# One file to hand out: nothing but the system's own libraries is imported
# (GDI+, which writes the trend's PNG, is one of them since Windows XP).
imports=$(x86_64-w64-mingw32-objdump -p "$build/orvane.exe" | awk '/DLL Name:/ { print tolower($3) }')
if grep -qv -e '^kernel32\.dll$' -e '^user32\.dll$' -e '^gdi32\.dll$' -e '^advapi32\.dll$' -e '^comctl32\.dll$' \
     -e '^comdlg32\.dll$' -e '^shell32\.dll$' -e '^msvcrt\.dll$' -e '^gdiplus\.dll$' <<<"$imports"; then
  fail "orvane.exe needs DLLs beside it: $imports"
fi

# The version resource, and the manifest: common controls 6, asInvoker, and
# no compatibility section (that would change what discovery's version gate
# reads on Windows 10 and 11).
strings -el "$build/orvane.exe" | grep -qx '3.2.0' || fail "no version 3.2.0 in the version resource"
manifest=$(strings "$build/orvane.exe" | tr -d '\r')
for word in 'Microsoft.Windows.Common-Controls' 'asInvoker' '<dpiAware'; do
  grep -qF "$word" <<<"$manifest" || fail "the manifest lacks $word"
done
! grep -qF 'supportedOS' <<<"$manifest" || fail "the manifest declares supported systems"

users=$WINEPREFIX/drive_c/users/${USER:-$(id -un)}
[ -d "$users" ] || users=$(find "$WINEPREFIX/drive_c/users" -mindepth 1 -maxdepth 1 -type d ! -name Public | head -1)
installed="$users/AppData/Local/Programs/Orvane Revuvuvi"
menu="$users/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Orvane Revuvuvi"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvane Revuvuvi'

timeout 60 wine "$setup" /S || fail "the installer failed"
[ -f "$installed/orvane.exe" ] || fail "no orvane.exe in $installed"
[ -f "$menu/Orvane Revuvuvi.lnk" ] || fail "no Start-menu entry in $menu"
timeout 30 wine reg query "$key" /v UninstallString >/dev/null 2>&1 || fail "no uninstall entry under HKCU"

# The uninstaller copies itself away and runs from there: wait for its work.
timeout 60 wine "$installed/Uninstall.exe" /S || fail "the uninstaller failed"
for _ in $(seq 100); do [ ! -e "$installed" ] && [ ! -e "$menu" ] && break; sleep 0.1; done
[ ! -e "$installed" ] && [ ! -e "$menu" ] || fail "the uninstaller left files behind"
! timeout 30 wine reg query "$key" >/dev/null 2>&1 || fail "the uninstaller left its HKCU entry"
echo "package-test: $(basename "$zip") and $(basename "$setup") passed"
