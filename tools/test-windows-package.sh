#!/usr/bin/env bash
# Makes the zip and the installer with cpack and checks them: the zip holds
# the programs and their papers; the installer installs for the user alone
# (program folder, Start-menu entry, uninstall entry under HKCU, on request
# the folder on the user's PATH) and its uninstaller takes all of it away
# again. Runs in tools/wine-prefix.sh's prefix, and nothing of it may reach
# the host user's home.
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
for f in orvane.exe orvane-cli.exe orvane-cli.html README.txt; do
  grep -qx "$f" <<<"$listing" || fail "$f is not in the zip"
done
if grep -qiv -e '^orvane\.exe$' -e '^orvane-cli\.exe$' -e '^orvane-cli\.html$' -e '^README\.txt$' -e '^LICENSE$' \
     <<<"$listing"; then
  fail "the zip holds more than the programs and their papers: $listing"
fi
# The Windows read-me, with Windows line ends for Notepad on Windows 7.
readme=$(unzip -p "$zip" README.txt)
grep -q 'orvane-cli.exe' <<<"$readme" || fail "README.txt does not describe the Windows programs"
[ "$(tr -cd '\r' <<<"$readme" | wc -c)" -ge "$(($(wc -l <<<"$readme") - 1))" ] || fail "README.txt lacks CRLF line ends"
unzip -p "$zip" orvane-cli.html | grep -q 'factory-reset' || fail "orvane-cli.html holds no manual"
# One file each to hand out: nothing but the system's own libraries is imported
# (GDI+, which writes the trend's PNG, is one of them since Windows XP, and so
# is the spooler's winspool.drv, asked whether a printer is there).
for exe in orvane.exe orvane-cli.exe; do
  imports=$(x86_64-w64-mingw32-objdump -p "$build/$exe" | awk '/DLL Name:/ { print tolower($3) }')
  if grep -qv -e '^kernel32\.dll$' -e '^user32\.dll$' -e '^gdi32\.dll$' -e '^advapi32\.dll$' -e '^comctl32\.dll$' \
       -e '^comdlg32\.dll$' -e '^shell32\.dll$' -e '^msvcrt\.dll$' -e '^gdiplus\.dll$' -e '^winspool\.drv$' \
       <<<"$imports"; then
    fail "$exe needs DLLs beside it: $imports"
  fi
done

# The version resource, and the manifest: common controls 6, asInvoker, and
# no compatibility section (that would change what discovery's version gate
# reads on Windows 10 and 11).
strings -el "$build/orvane.exe" | grep -qx '3.2.0' || fail "no version 3.2.0 in the version resource"
manifest=$(strings "$build/orvane.exe" | tr -d '\r')
for word in 'Microsoft.Windows.Common-Controls' 'asInvoker' '<dpiAware'; do
  grep -qF "$word" <<<"$manifest" || fail "the manifest lacks $word"
done
! grep -qF 'supportedOS' <<<"$manifest" || fail "the manifest declares supported systems"
# The command line's own manifest keeps the version gate where the window's does
# (MinGW's default one would declare every system up to 10).
cli_manifest=$(strings "$build/orvane-cli.exe" | tr -d '\r')
grep -qF 'asInvoker' <<<"$cli_manifest" || fail "orvane-cli.exe has no manifest of its own"
! grep -qF 'supportedOS' <<<"$cli_manifest" || fail "orvane-cli.exe's manifest declares supported systems"

users=$WINEPREFIX/drive_c/users/${USER:-$(id -un)}
[ -d "$users" ] || users=$(find "$WINEPREFIX/drive_c/users" -mindepth 1 -maxdepth 1 -type d ! -name Public | head -1)
installed="$users/AppData/Local/Programs/Orvane Revuvuvi"
menu="$users/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Orvane Revuvuvi"
settings="$users/AppData/Roaming/Orvane"  # what the program keeps for the user (%APPDATA%\Orvane)
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvane Revuvuvi'

# A home of its own for the installer and uninstaller: whatever lands there
# would have landed in the host user's home (desktop entries, menus).
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME=$home XDG_DATA_HOME=$home/.local/share XDG_CONFIG_HOME=$home/.config
# The user's PATH as the registry holds it (empty when there is none).
user_path() {
  timeout 30 wine reg query 'HKCU\Environment' /v Path 2>/dev/null | tr -d '\r' |
    awk '$1 == "Path" { sub(/^[ \t]*Path[ \t]+REG_[A-Z_]+[ \t]+/, ""); print }'
}
set_user_path() { timeout 30 wine reg add 'HKCU\Environment' /v Path /t REG_EXPAND_SZ /d "$1" /f >/dev/null; }
windows_dir='C:\users\'"$(basename "$users")"'\AppData\Local\Programs\Orvane Revuvuvi'

set_user_path 'C:\tools;D:\bench'
timeout 60 wine "$setup" /S /ADDTOPATH || fail "the installer failed"
[ -f "$installed/orvane.exe" ] || fail "no orvane.exe in $installed"
[ -f "$installed/orvane-cli.exe" ] || fail "no orvane-cli.exe in $installed"
[ -f "$menu/Orvane Revuvuvi.lnk" ] || fail "no Start-menu entry in $menu"
timeout 30 wine reg query "$key" /v UninstallString >/dev/null 2>&1 || fail "no uninstall entry under HKCU"
[ "$(user_path)" = 'C:\tools;D:\bench;'"$windows_dir" ] || fail "PATH after the install: '$(user_path)'"
# From any console, by name alone.
timeout 30 wine cmd /c 'orvane-cli --version' 2>/dev/null | tr -d '\r' | grep -qx 'orvane-cli (Orvane Revuvuvi) 3.2.0' ||
  fail "orvane-cli does not run by name from a new console"

# What the program writes there: the check's set-up, and the temporary file
# a save cut short by a crash leaves.
mkdir -p "$settings"
printf '{"format": "orvane-check-setup", "version": 1}\n' >"$settings/check-setup.json"
: >"$settings/.check-setup.json.tmp-0123456789abcdef"

# The uninstaller copies itself away and runs from there: wait for its work.
timeout 60 wine "$installed/Uninstall.exe" /S || fail "the uninstaller failed"
for _ in $(seq 100); do [ ! -e "$installed" ] && [ ! -e "$menu" ] && [ ! -e "$settings" ] && break; sleep 0.1; done
[ ! -e "$installed" ] && [ ! -e "$menu" ] && [ ! -e "$settings" ] || fail "the uninstaller left files behind"
! timeout 30 wine reg query "$key" >/dev/null 2>&1 || fail "the uninstaller left its HKCU entry"
! timeout 30 wine reg query 'HKCU\Software\Orvane' >/dev/null 2>&1 || fail "the uninstaller left HKCU\Software\Orvane"
[ "$(user_path)" = 'C:\tools;D:\bench' ] || fail "PATH after the uninstall: '$(user_path)'"

# A PATH longer than the installer can hold is left exactly as it is, by the
# installer and by the uninstaller.
long=$(for i in $(seq 70); do printf 'C:\\tools\\dir%03d;' "$i"; done)'C:\end'
set_user_path "$long"
timeout 60 wine "$setup" /S /ADDTOPATH || fail "the installer failed with a long PATH"
[ "$(user_path)" = "$long" ] || fail "the installer changed a PATH of ${#long} characters"
# A file of the user's own beside the program's is not the uninstaller's to take.
mkdir -p "$settings"
printf '{}\n' >"$settings/check-setup.json"
printf 'bench notes\n' >"$settings/notes.txt"
timeout 60 wine "$installed/Uninstall.exe" /S || fail "the uninstaller failed"
for _ in $(seq 100); do [ ! -e "$installed" ] && [ ! -e "$settings/check-setup.json" ] && break; sleep 0.1; done
[ "$(user_path)" = "$long" ] || fail "the uninstaller changed a PATH of ${#long} characters"
[ ! -e "$settings/check-setup.json" ] || fail "the uninstaller left the check's set-up"
[ "$(cat "$settings/notes.txt" 2>/dev/null)" = 'bench notes' ] || fail "the uninstaller took a file of the user's"
rm -rf "$settings"
timeout 30 wine reg delete 'HKCU\Environment' /v Path /f >/dev/null 2>&1 || true
left=$(find "$home" -mindepth 1 | head -5)
[ -z "$left" ] || fail "the installer wrote into the user's home: $left"
echo "package-test: $(basename "$zip") and $(basename "$setup") passed"
