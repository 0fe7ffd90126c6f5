#!/usr/bin/env bash
# Checks the Windows installer under Wine, in a Wine prefix of its own: a silent install (/S) into
# a folder named with Chinese characters, the Start-menu entry, the installed
# shopkeeper-cli.exe answering --version, the installed editor starting (offscreen) on a workspace
# made by the installed shopkeeper-cli.exe, then the uninstaller leaving no file of ours behind.
#   scripts/windows-installer-check.sh INSTALLER.exe
set -euo pipefail
installer=$(realpath "$1")
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
prefix=$(mktemp -d)
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
cleanup() {
  "$wineserver" -k 2>/dev/null || true
  rm -rf "$prefix"
}
trap cleanup EXIT
fail() { echo "installer check: $*" >&2; exit 1; }

"$wine" wineboot -i >/dev/null 2>&1 || true
"$wineserver" -w
snapshot() { (cd "$prefix/drive_c" && find . -path ./windows -prune -o -print | sort); }
before=$(snapshot)

# NSIS takes /D only unquoted, and Wine quotes an argument with a space: no space in this one.
folder='C:\商店工具'
unix_folder="$prefix/drive_c/商店工具"
"$wine" "$installer" /S "/D=$folder"
"$wineserver" -w
for f in shopkeeper.exe shopkeeper-cli.exe Qt6Core.dll qt.conf plugins/platforms/qwindows.dll \
  translations/qtbase_zh_CN.qm Uninstall.exe; do
  [ -f "$unix_folder/$f" ] || fail "$f was not installed"
done
find "$prefix/drive_c" -path '*Start Menu*' -name 'Shopkeeper.lnk' | grep -q . || fail "no Start-menu entry"

version=$("$wine" "$folder\\shopkeeper-cli.exe" --version | tr -d '\r')
echo "installed: $version"
[[ $version == "shopkeeper-cli "* ]] || fail "the installed shopkeeper-cli.exe did not answer --version"

# The installed editor starts on a workspace the installed tool made, and is still running after
# some seconds: its DLLs, plugins (through qt.conf) and translations are where it looks.
"$wine" "$folder\\shopkeeper-cli.exe" make-workspace 'C:\演示 工作区' --shops 5 --npcs 3 >/dev/null
QT_QPA_PLATFORM=offscreen "$wine" "$folder\\shopkeeper.exe" 'C:\演示 工作区' >"$prefix/editor.log" 2>&1 &
editor=$!
sleep 8
kill -0 "$editor" 2>/dev/null || { cat "$prefix/editor.log"; fail "the installed editor did not keep running"; }
"$wineserver" -k
wait "$editor" 2>/dev/null || true
rm -rf "$prefix/drive_c/演示 工作区"

"$wine" "$folder\\Uninstall.exe" /S
"$wineserver" -w
[ ! -e "$unix_folder" ] || fail "the uninstaller left $(cd "$unix_folder" && find . -type f | head -5)"
after=$(snapshot)
# Wine's own files (its temporary folder, caches) are no concern of the uninstaller's.
left=$(comm -13 <(echo "$before") <(echo "$after") | grep -v -e '/Temp' -e '/Application Data' || true)
[ -z "$left" ] || fail "left behind: $left"
if "$wine" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Shopkeeper' >/dev/null 2>&1; then
  fail "the uninstall entry is still in the registry"
fi
echo "installer check: install, start-menu entry, --version, editor start and uninstall all fine"
