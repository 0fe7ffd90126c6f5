#!/usr/bin/env bash
# Sets up the machine, builds Shopkeeper and opens the editor on the bundled demo workspace.
# Without a display it lists the demo's NPC shops with the command-line tool instead.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake -S . -B build -G Ninja
cmake --build build --target shopkeeper shopkeeper-cli

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/src/gui/shopkeeper demo/workspace
fi
echo "No display: listing the demo workspace's NPC shops instead (shop file, TAB, NPC name)."
exec build/src/cli/shopkeeper-cli npcs demo/workspace
