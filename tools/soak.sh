#!/usr/bin/env bash
# The long run: builds the 32-bit program (64-bit where 32-bit programs cannot run) and drives the
# running notice through many forced paints and watch checks inside a Wine session of its own, then
# reports whether what the program holds (GDI objects, windows, kernel handles, private bytes) grew.
# Then the same run, shorter, against a test build that leaks on purpose, which must be reported as
# grown.
#   tools/soak.sh [paints] [checks]     (default 10000 each)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
paints=${1:-10000}
checks=${2:-10000}

bash tools/setup.sh
# shellcheck source=wine-arch.sh
. tools/wine-arch.sh
wine_arch_decide || { echo "$WINE_ARCH_LINE" >&2; exit 1; }
wine_arch_line measured
arch=$WINE_ARCH
cmake --preset "windows-$arch" -DTARVOLIN_INSTRUMENTS=ON >/dev/null
cmake --build --preset "windows-$arch" -j 2 --target Tarvolin viewer_standin soak_driver leaky_notice -- -s
tools/wine-session.sh --arch "$arch" --wine-dir "build/$arch/wine-soak" -- bash -c '
  status=0
  echo "== Tarvolin.exe, '"$paints"' paints and '"$checks"' checks"
  tools/wine-run.sh build/'"$arch"'/soak_driver.exe --paints '"$paints"' --checks '"$checks"' || status=$?
  echo "== leaky_notice.exe (leaks on purpose), 1000 paints and 1000 checks"
  leaky=0
  tools/wine-run.sh build/'"$arch"'/soak_driver.exe --program leaky_notice.exe --paints 1000 --checks 1000 || leaky=$?
  if [ "$leaky" -ne 1 ]; then echo "the leaking build was not reported as grown (exit $leaky)"; status=3; fi
  exit $status'
