#!/usr/bin/env bash
# The benchmark command: builds the program, its floor and the benchmark programs (32-bit, or 64-bit
# where 32-bit programs cannot run: see wine-arch.sh), then measures the notice against the floor built
# for the same architecture under Wine and prints the table (Markdown), preceded by the machine it ran
# on. Not part of the tests: it passes or fails nothing.
#   tools/bench.sh [--quick]
# --quick: fewer repetitions and a short idle window, to try the command out (about a minute).
# The session is a Wine prefix of its own (build/<arch>/wine-bench), apart from the tests' prefix.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

if [ "${1:-}" = "--inside" ]; then
  shift
  exec tools/wine-run.sh "build/$TARVOLIN_SESSION_ARCH/tarvolin_bench.exe" "$@"
fi

bash tools/setup.sh
# shellcheck source=wine-arch.sh
. tools/wine-arch.sh
wine_arch_decide || { echo "$WINE_ARCH_LINE" >&2; exit 1; }
wine_arch_line measured >&2
arch=$WINE_ARCH
echo "== build windows-$arch" >&2
cmake --preset "windows-$arch" -DTARVOLIN_INSTRUMENTS=ON >/dev/null
cmake --build --preset "windows-$arch" -j "$(nproc)" --target tarvolin_bench -- -s >/dev/null

cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n1)
echo "Machine: $(nproc) x ${cpu:-unknown CPU}, $(awk '/MemTotal/ {printf "%.0f GiB", $2/1048576}' /proc/meminfo) RAM," \
  "$(uname -sr), $("$(wine_arch_loader "$arch")" --version) (WoW64 prefix), $arch build, Xvfb 1024x768, load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo
echo "Date: $(date -u '+%Y-%m-%d %H:%M UTC'), commit $(git rev-parse --short HEAD 2>/dev/null || echo unknown)"
echo
# The driver exits with 3 when the session's desktop does not work (rare, right after the prefix
# boots): one more try in a fresh session.
for try in 1 2; do
  status=0
  tools/wine-session.sh --arch "$arch" --wine-dir "build/$arch/wine-bench" -- bash tools/bench.sh --inside "$@" || status=$?
  [ "$status" -eq 3 ] && [ "$try" -eq 1 ] && { echo "bench: trying again in a fresh session" >&2; continue; }
  exit "$status"
done
