#!/usr/bin/env bash
# Takes pictures of the editor on the demo workspace under a virtual X display:
#   scripts/screenshot.sh [OUT_DIR] [NPC_INDEX]     (default: screenshots/, NPC 1)
# SHOPKEEPER_SCREEN sets the virtual screen's size (default 1024x768).
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-screenshots}
bash scripts/setup.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target shopkeeper-screenshot
# Work on a copy: the pictures must not change the bundled sample data.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r demo/workspace "$work/"
xvfb-run -a -s "-screen 0 ${SHOPKEEPER_SCREEN:-1024x768}x24" build/src/gui/shopkeeper-screenshot "$work/workspace" "$out" "${2:-1}"
