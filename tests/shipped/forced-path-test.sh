#!/usr/bin/env bash
# The test command asked for the 32-bit path (TARVOLIN_ARCH=x86) on a machine that runs 64-bit programs
# only must fail at once, saying why, before it builds anything. Such a machine is made here in a mount
# namespace of this test's own, where the 32-bit Wine loader is a file the kernel refuses to start
# ("Exec format error"), as such a machine refuses every 32-bit program.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$root"
# shellcheck source=../../tools/wine-arch.sh
. tools/wine-arch.sh
if [ "$(id -u)" -ne 0 ] || ! unshare -m true 2>/dev/null; then
  echo "skipped: making a machine that runs 64-bit programs only needs root and mount namespaces"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# An ELF header for a machine the kernel has no loader for.
printf '\177ELF\1\1\1\0\0\0\0\0\0\0\0\0\2\0\377\0' >"$work/foreign"
chmod +x "$work/foreign"
on_64_bit_only_machine() {
  unshare -m bash -c 'mount --bind "$1" "$2" && shift 2 && exec "$@"' _ "$work/foreign" "$wine_arch_loader32" "$@"
}

failures=0
check() {
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}

inside=$(on_64_bit_only_machine env -u TARVOLIN_ARCH bash tools/wine-arch.sh)
echo "  unforced, inside: $inside"
check "inside, the path choice sees a machine that runs 64-bit programs only" \
  test "${inside#this machine runs 64-bit programs only: }" != "$inside"
# Where 32-bit programs run natively, the namespace is what makes the difference.
if wine_arch_native32; then
  outside=$(env -u TARVOLIN_ARCH bash tools/wine-arch.sh)
  echo "  unforced, outside: $outside"
  check "outside, the same choice sees that 32-bit programs run" test "${outside#32-bit programs run here}" != "$outside"
fi

status=0
out=$(on_64_bit_only_machine env TARVOLIN_ARCH=x86 bash tools/test.sh 2>&1) || status=$?
printf '  forced x86, inside (status %s):\n%s\n' "$status" "$(sed 's/^/    /' <<<"$out")"
check "it fails with status 1, not the 126 of a program that cannot start" test "$status" -eq 1
check "it says why, in one sentence" grep -q -x "TARVOLIN_ARCH=x86: this machine runs 64-bit programs only (32-bit Wine cannot start here), so the shipped 32-bit build cannot be tested here; leave TARVOLIN_ARCH unset, or set it to x64" <<<"$out"
check "it stops before building anything" bash -c '! grep -q "^== build" <<<"$1"' _ "$out"

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
