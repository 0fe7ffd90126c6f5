#!/bin/sh
# Runs a cross-built Windows program under Wine: the emulator of the Windows build's tests and
# build steps (cmake/WineEmulator.cmake). Set by it:
#   SHOPKEEPER_WINE        the Wine loader
#   SHOPKEEPER_WINE_DLLS   ':'-separated folders of the DLLs the programs need (ICU, Qt, MinGW)
#   WINEPREFIX             the build's own Wine prefix
# Console programs run without a display unless SHOPKEEPER_WINE_DISPLAY=1.
set -e
path=
old_ifs=$IFS
IFS=:
for dir in $SHOPKEEPER_WINE_DLLS; do
  path="${path:+$path;}Z:$dir"
done
IFS=$old_ifs
export WINEPATH="$path"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Gecko or Mono dialogs; a crash ends the program instead of starting the debugger.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winedbg.exe=d}"
if [ "${SHOPKEEPER_WINE_DISPLAY:-}" != 1 ]; then
  unset DISPLAY WAYLAND_DISPLAY
fi
exec "$SHOPKEEPER_WINE" "$@"
