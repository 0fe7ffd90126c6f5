#!/usr/bin/env bash
# Sets up the machine, builds everything and runs every test.
#   scripts/test.sh              a normal build in build-test/, then a Release build of the core,
#                                the CLI and their tests in build-release/, then a short run of every
#                                fuzz target in build-fuzz/ (clang), then the Windows build tested
#                                under Wine (scripts/windows.sh; see below for when it leaves out the editor)
#   scripts/test.sh --sanitize   the normal build and tests under AddressSanitizer + UndefinedBehaviorSanitizer
# SHOPKEEPER_FUZZ_ROUNDTRIP_GATE=OFF leaves out the read-save-read round-trip fuzz target and its findings;
# SHOPKEEPER_FUZZ_SECONDS sets how long each fuzz target runs (default 5).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

gate=(-DSHOPKEEPER_FUZZ_ROUNDTRIP_GATE="${SHOPKEEPER_FUZZ_ROUNDTRIP_GATE:-ON}")
build=build-test
options=()
if [ "${1:-}" = "--sanitize" ]; then
  build=build-asan
  options=(-DSHOPKEEPER_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DSHOPKEEPER_BUILD_BENCH=OFF)
  export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
  export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
fi

# Every stage runs even when an earlier one failed; the script fails if any did.
failed=()

cmake -S . -B "$build" -G Ninja "${options[@]}" "${gate[@]}"
cmake --build "$build"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" || failed+=("tests in $build")

# The install: into a temporary prefix, checked as a desktop would read it, then packed as a .deb.
install_check() (
  prefix=$(mktemp -d)
  trap 'rm -rf "$prefix"' EXIT
  cmake --install "$build" --prefix "$prefix/usr" || return 1
  desktop-file-validate "$prefix"/usr/share/applications/*.desktop || return 1
  appstreamcli validate --no-net "$prefix"/usr/share/metainfo/*.metainfo.xml || return 1
  for f in usr/bin/shopkeeper usr/bin/shopkeeper-cli usr/bin/shopkeeper-probe \
    usr/share/man/man1/shopkeeper.1.gz usr/share/man/man1/shopkeeper-cli.1.gz usr/share/man/man1/shopkeeper-probe.1.gz \
    usr/share/doc/shopkeeper/copyright usr/share/doc/shopkeeper/changelog.gz \
    usr/share/icons/hicolor/scalable/apps/shopkeeper.svg usr/share/icons/hicolor/48x48/apps/shopkeeper.png; do
    [ -f "$prefix/$f" ] || { echo "install: $f is missing"; return 1; }
  done
  "$prefix/usr/bin/shopkeeper-cli" --version || return 1
  "$prefix/usr/bin/shopkeeper" --version || return 1
  (cd "$build" && cpack -G DEB -B "$prefix/deb") || return 1
  deb=$(ls "$prefix"/deb/*.deb)
  dpkg-deb --info "$deb" | grep -E '^ (Package|Version|Section|Depends):'
  dpkg-deb -c "$deb"
  for f in ./usr/bin/shopkeeper ./usr/bin/shopkeeper-cli ./usr/bin/shopkeeper-probe ./usr/share/doc/shopkeeper/copyright; do
    dpkg-deb -c "$deb" | awk '{print $NF}' | grep -qx "$f" || { echo "deb: $f is missing"; return 1; }
  done
  # Debian's own checks of a package: no error and no warning may remain.
  lintian --fail-on error,warning "$deb" || { echo "deb: lintian found problems"; return 1; }
)
if [ "${1:-}" != "--sanitize" ]; then
  install_check || failed+=("install check")
fi

if [ "${1:-}" != "--sanitize" ]; then
  # Release: optimised builds warn where the default build does not, so one is built every time.
  # The GUI is left out: building it a second time adds minutes to every run, and the default
  # build above already compiles it optimised (-O2) with warnings as errors.
  cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DSHOPKEEPER_BUILD_GUI=OFF \
    -DSHOPKEEPER_BUILD_BENCH=OFF "${gate[@]}"
  if cmake --build build-release; then
    ctest --test-dir build-release --output-on-failure -j "$(nproc)" || failed+=("tests in build-release")
  else
    failed+=("Release build")
  fi

  # Fuzzing: each target for a few seconds from the generator's seeds, then its saved findings.
  cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++-16 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DSHOPKEEPER_FUZZ=ON -DSHOPKEEPER_BUILD_TESTS=OFF -DSHOPKEEPER_BUILD_BENCH=OFF -DSHOPKEEPER_BUILD_GUI=OFF \
    -DSHOPKEEPER_FUZZ_SECONDS="${SHOPKEEPER_FUZZ_SECONDS:-5}" "${gate[@]}"
  if cmake --build build-fuzz; then
    ctest --test-dir build-fuzz --output-on-failure -j "$(nproc)" || failed+=("fuzz targets")
    log=build-fuzz/Testing/Temporary/LastTest.log
    if [ -f "$log" ]; then
      echo "fuzz executions:"
      awk '/^[0-9]+\/[0-9]+ Testing: /{name=$3} /stat::number_of_executed_units/{print "  " name ": " $2}' "$log"
    fi
  else
    failed+=("fuzz build")
  fi
fi

# Windows: the cross-build and its tests under Wine. Qt for Windows takes well over an hour to
# build on two cores, which on a fresh machine would take the run past CI's limit, and the editor's
# Windows build has not yet been through a whole run: by default the stage builds and tests the core
# and shopkeeper-cli only, and says so. SHOPKEEPER_WINDOWS=full runs the whole scripts/windows.sh
# (Qt built when missing, the editor, its tests and the packages); SHOPKEEPER_WINDOWS=off leaves the
# stage out.
if [ "${1:-}" != "--sanitize" ] && [ "${SHOPKEEPER_WINDOWS:-core}" != off ]; then
  windows_started=$(date +%s)
  if [ "${SHOPKEEPER_WINDOWS:-core}" = full ]; then
    bash scripts/windows.sh || failed+=("Windows build")
  else
    echo "test: NOTE: the Windows stage builds and tests only the core and shopkeeper-cli under Wine:"
    echo "test: no editor, no GUI tests, no installer (SHOPKEEPER_WINDOWS=full runs them)."
    bash scripts/windows.sh --core || failed+=("Windows build (core and CLI)")
  fi
  echo "test: the Windows stage took $(($(date +%s) - windows_started)) s"
fi

if [ ${#failed[@]} -gt 0 ]; then
  printf 'FAILED: %s\n' "${failed[@]}"
  exit 1
fi
echo "all tests passed"
