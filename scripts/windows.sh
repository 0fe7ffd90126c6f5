#!/usr/bin/env bash
# Builds Shopkeeper for 64-bit Windows on this Debian machine and tests it under Wine:
#   1. installs what it needs (scripts/setup.sh: MinGW-w64, Wine, NSIS, ...),
#   2. builds the Windows libraries once from Debian's sources (scripts/windows-deps.sh, cached
#      outside the checkout),
#   3. cross-builds shopkeeper.exe, shopkeeper-cli.exe and their tests in Release (build-windows/),
#   4. runs the tests under Wine (the GUI ones with Qt's offscreen platform),
#   5. packs build-windows/Shopkeeper-VERSION-win64.zip and Shopkeeper-VERSION-win64.exe, the installer,
#      and checks the installer under Wine: a silent install, the installed shopkeeper-cli.exe
#      answers --version, and the uninstaller leaves nothing behind.
# Options: --no-tests, --no-package; --core builds and tests only the core and shopkeeper-cli, which
# need no Qt (the longest library to build), and packs nothing. SHOPKEEPER_WINDOWS_BUILD names
# another build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
here=$(pwd)
build=${SHOPKEEPER_WINDOWS_BUILD:-build-windows}
run_tests=1
package=1
gui=ON
libraries=()
for arg in "$@"; do
  case $arg in
    --no-tests) run_tests=0 ;;
    --no-package) package=0 ;;
    --core) gui=OFF package=0 libraries=(pcre2 icu json gtest dictionaries) ;;
    *) echo "usage: scripts/windows.sh [--no-tests] [--no-package] [--core]" >&2; exit 2 ;;
  esac
done

bash scripts/setup.sh
started=$(date +%s)
prefixes=$(bash scripts/windows-deps.sh "${libraries[@]}" | tail -n 1)
echo "windows: libraries ready after $(($(date +%s) - started)) s"
export SHOPKEEPER_WINDOWS_PREFIX=$prefixes

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DSHOPKEEPER_BUILD_GUI=$gui -DSHOPKEEPER_BUILD_BENCH=OFF -DSHOPKEEPER_BUILD_TESTS="$([ $run_tests = 1 ] && echo ON || echo OFF)" \
  "${launcher[@]}"
cmake --build "$build"
echo "windows: built after $(($(date +%s) - started)) s"

failed=()
if [ $run_tests = 1 ]; then
  # One Wine prefix for the build, made before the tests start at once in it.
  WINEPREFIX=$here/$build/wineprefix WINEDEBUG=-all /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 || true
  # One server for the whole run: a test that starts while an idle server is shutting down loses
  # its connection ("recvmsg: Connection reset by peer").
  WINEPREFIX=$here/$build/wineprefix /usr/lib/wine/wineserver -p || true
  QT_QPA_PLATFORM=offscreen ctest --test-dir "$build" --output-on-failure -j "$(nproc)" ||
    failed+=("Windows tests under Wine")
  WINEPREFIX=$here/$build/wineprefix /usr/lib/wine/wineserver -k 2>/dev/null || true
  echo "windows: tested after $(($(date +%s) - started)) s"
fi

if [ $package = 1 ]; then
  if (cd "$build" && cpack -G "ZIP;NSIS64"); then
    bash scripts/windows-installer-check.sh "$build/Shopkeeper-"*"-win64.exe" || failed+=("installer check")
  else
    failed+=("Windows packages")
  fi
  ls -l "$build"/Shopkeeper-*-win64.*
fi

if [ ${#failed[@]} -gt 0 ]; then
  printf 'FAILED: %s\n' "${failed[@]}"
  exit 1
fi
echo "windows: all done after $(($(date +%s) - started)) s"
