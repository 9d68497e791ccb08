#!/usr/bin/env bash
# The test command: installs what is missing, builds the program for 32-bit Windows (the shipped
# build) and 64-bit Windows (compile and link only), then runs every test under Wine in a session
# of its own (virtual display, private prefix, Korean code page). Extra arguments go to CTest,
# e.g. `tools/test.sh -R EndToEnd`.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

bash tools/setup.sh
jobs=$(nproc)
for preset in windows-x86 windows-x64; do
  echo "== build $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs" -- -s
done
echo "== test windows-x86 under Wine"
tools/wine-session.sh --wine-dir build/x86/wine -- ctest --preset windows-x86 "$@"
