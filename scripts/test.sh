#!/usr/bin/env bash
# Sets up the machine, builds everything and runs every test.
#   scripts/test.sh              a normal build in build-test/
#   scripts/test.sh --sanitize   the same under AddressSanitizer + UndefinedBehaviorSanitizer
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

build=build-test
options=()
if [ "${1:-}" = "--sanitize" ]; then
  build=build-asan
  options=(-DSHOPKEEPER_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DSHOPKEEPER_BUILD_BENCH=OFF)
  export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
  export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
fi

cmake -S . -B "$build" -G Ninja "${options[@]}"
cmake --build "$build"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
