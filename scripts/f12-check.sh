#!/usr/bin/env bash
# F12 end to end, as a user does it: a stand-in game client (KVX.exe, under Wine) holds an item ID
# where the game keeps the one under the mouse; the real editor, on an X server of this script's
# own, opens a shop, adds two rows, puts the cursor into an empty cell, switches the capture and
# the fill on; F12 is pressed with xdotool; the save then holds the ID in that cell, which
# shopkeeper-cli shows.
#   scripts/f12-check.sh linux BUILD     the Linux editor (it reads the game under Wine itself, as root)
#   scripts/f12-check.sh windows BUILD   the Windows editor under Wine, in the same Wine prefix as the game
# Screenshots of each step land in BUILD/f12-check/.
set -euo pipefail
kind=$1
build=$(realpath "$2")
here=$(cd "$(dirname "$0")/.." && pwd)
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
out=$build/f12-check
rm -rf "$out"
mkdir -p "$out"
work=$(mktemp -d)
export WINEPREFIX=$work/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# The editor's settings and history stay in this check's folder.
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
fail() { echo "f12 check: $*" >&2; exit 1; }

pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  "$wineserver" -k 2>/dev/null || true
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

case $kind in
  linux)
    cli=("$build/src/cli/shopkeeper-cli")
    kvx=$build/f12-check/KVX.exe
    x86_64-w64-mingw32-g++ -std=c++20 -O1 -static -o "$kvx" "$here/tests/core/capture/KvxStandIn.cpp"
    ;;
  windows)
    cli=("$wine" "$build/src/cli/shopkeeper-cli.exe")
    kvx=$build/tests/core/capture/KVX.exe
    ;;
  *) echo "usage: scripts/f12-check.sh linux|windows BUILD" >&2; exit 2 ;;
esac

# An X server of our own.
exec {fd}<> <(:)
Xvfb -displayfd "$fd" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
read -r -t 20 number <&"$fd" || fail "Xvfb did not start"
export DISPLAY=:$number
"$wine" wineboot -i >/dev/null 2>&1 || true
"$wineserver" -p || true

item=2147480001
workspace="$work/游戏 数据"
"${cli[@]}" make-workspace "$(if [ "$kind" = windows ]; then "$wine" winepath -w "$workspace" | tr -d '\r'; else echo "$workspace"; fi)" \
  --shops 3 --npcs 3 --seed 12 >/dev/null
[ -d "$workspace/itemshop" ] || fail "no workspace was made"

"$wine" "$kvx" "$item" >"$work/kvx.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do grep -q holds "$work/kvx.log" && break; sleep 0.2; done
grep -q holds "$work/kvx.log" || fail "KVX.exe did not start: $(cat "$work/kvx.log")"

if [ "$kind" = windows ]; then
  "$wine" "$build/src/gui/shopkeeper.exe" "$("$wine" winepath -w "$workspace" | tr -d '\r')" >"$work/editor.log" 2>&1 &
else
  QT_QPA_PLATFORM=xcb "$build/src/gui/shopkeeper" "$workspace" >"$work/editor.log" 2>&1 &
fi
pids+=($!)
window=$(xdotool search --sync --onlyvisible --name 'NPC商店编辑器' | head -n 1) || fail "the editor's window did not show"
sleep 2
shot() { import -window root "$out/$1.png" 2>/dev/null || true; }
click() { # x y inside the window
  xdotool mousemove --window "$window" "$1" "$2" click 1
  sleep "${3:-1}"
}
shot 1-started
click 53 53 4      # 载入NPC
click 189 54 1     # the NPC list, the first NPC below the prompt
xdotool key Down Return
sleep 3
shot 2-opened
click 520 492 1    # 增加两行: two empty rows at the end of the page
xdotool key ctrl+End
sleep 0.5
click 233 506 1    # 启用F12
click 342 506 1    # 自动填入
shot 3-ready
xdotool key F12
sleep 2
shot 4-captured
xdotool key ctrl+s
sleep 4
shot 5-saved

shop=$("${cli[@]}" npcs "$(if [ "$kind" = windows ]; then "$wine" winepath -w "$workspace" | tr -d '\r'; else echo "$workspace"; fi)" |
  head -n 1 | cut -f1 | tr -d '\r')
shown=$("${cli[@]}" show "$(if [ "$kind" = windows ]; then "$wine" winepath -w "$workspace" | tr -d '\r'; else echo "$workspace"; fi)" "$shop")
grep -q "\"$item\"" <<<"$shown" || { cat "$work/editor.log"; fail "the saved shop $shop does not hold the captured item $item (screenshots in $out)"; }
echo "f12 check ($kind): F12 put item $item into $shop, saved (screenshots in $out)"
