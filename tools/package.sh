#!/usr/bin/env bash
# The package command: installs what is missing, builds the shipped 32-bit program and makes the
# release ZIP, build/release-x86/package/Tarvolin-<version>-win32.zip, which holds Tarvolin.exe and README.md
# and nothing else. It builds the program alone, without tests. Run the tests first (tools/test.sh):
# this command only builds and packs.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

bash tools/setup.sh
cmake --preset release-x86 >/dev/null
cmake --build --preset release-x86 -j "$(nproc)" --target package -- -s

zip=$(ls -t build/release-x86/package/Tarvolin-*-win32.zip | head -n 1)
contents=$(cmake -E tar tf "$zip" | sed 's|^[^/]*/||' | grep -v '/$' | sort | tr '\n' ' ')
if [ "$contents" != "README.md Tarvolin.exe " ]; then
  echo "package: unexpected contents of $zip: $contents" >&2
  exit 1
fi
echo "Package: $zip"
