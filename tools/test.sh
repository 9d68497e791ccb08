#!/usr/bin/env bash
# The test command: installs what is missing, builds the program for 32-bit Windows (the shipped
# build) and 64-bit Windows, then runs the tests under Wine, each suite in a session of its own
# (virtual display, private prefix, Korean code page). Which suites run depends on the machine
# (see tools/wine-arch.sh; TARVOLIN_ARCH forces a path):
#   32-bit programs run here  the 32-bit suite, then the 64-bit suite without the tests that do not
#                             depend on the build (the release, the fuzzer, the path choice)
#   64-bit programs only      the 64-bit suite, whose checks of the shipped 32-bit program run it
#                             under emulation (or are skipped, saying why, where that is not possible)
# Extra arguments go to CTest, e.g. `tools/test.sh -R EndToEnd`.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
# shellcheck source=wine-arch.sh
. tools/wine-arch.sh

bash tools/setup.sh
wine_arch_decide || { echo "$WINE_ARCH_LINE" >&2; exit 1; }
trap wine_arch_emulation_end EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
[ "$WINE_ARCH" = x64 ] && wine_arch_emulation_begin
wine_arch_line
export TARVOLIN_SHIPPED_SKIP_WHY=$WINE_ARCH_SKIP_WHY

jobs=$(nproc)
for preset in windows-x86 windows-x64; do
  echo "== build $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs" -- -s
done

status=0
suite() {
  local arch=$1
  shift
  echo "== test windows-$arch under Wine"
  tools/wine-session.sh --arch "$arch" --wine-dir "build/$arch/wine" -- ctest --preset "windows-$arch" "$@" || status=1
}
if [ "$WINE_ARCH" = x86 ]; then
  suite x86 "$@"
  suite x64 --label-exclude any-arch "$@"
else
  suite x64 "$@"
fi
exit "$status"
