#!/usr/bin/env bash
# Starts a 32-bit program as a user starts the shipped one, inside the current Wine session, and checks
# from outside what a user would see: its notice appears at the bottom right of the screen, ends at its
# first check (no service window is open), and the program exits with status 0.
#   run-shipped.sh [--expect-failure] BUILD_DIR PROGRAM.exe [args...]
# The program runs with 32-bit Wine: natively where 32-bit programs run, else under the emulator the
# test command registered. Exit status 0: passed; 1: failed; 77: it cannot run here (said why).
# --expect-failure turns it into the check of the check: it passes only when a program that shows no
# notice is reported as failing (after a second start, under emulation).
set -euo pipefail
expect_failure=""
if [ "${1:-}" = --expect-failure ]; then expect_failure=1; shift; fi
build=${1:?usage: $0 [--expect-failure] BUILD_DIR PROGRAM.exe [args...]}
program=${2:?usage: $0 [--expect-failure] BUILD_DIR PROGRAM.exe [args...]}
shift 2
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=../../tools/wine-arch.sh
. "$root/tools/wine-arch.sh"
run=$root/tools/wine-run.sh

if wine_arch_native32; then
  how=natively
  notice_within=60
elif [ -n "$(wine_arch_i386_entries)" ]; then
  # Each 32-bit process start costs about a minute of CPU under emulation.
  how="under emulation"
  notice_within=400
else
  echo "skipped: the shipped 32-bit program cannot run here (${TARVOLIN_SHIPPED_SKIP_WHY:-no emulator is registered for 32-bit programs; tools/test.sh registers one where it can})"
  exit 77
fi

now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f", b - a }'; }
rect() { "$run" "$build/notice_driver.exe" notice-rect 2>/dev/null | tr -d '\r'; }

# One start: 0 passed, 1 failed, 2 no notice came.
attempt() {
  local started shown place status=0
  started=$(now)
  "$run" --arch x86 "$program" "$@" &
  local pid=$!
  until place=$(rect) && [ -n "$place" ]; do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid" || status=$?
      echo "the program ended (status $status) after $(elapsed "$started") s without showing its notice"
      return 2
    fi
    if [ "$(elapsed "$started" | cut -d. -f1)" -ge "$notice_within" ]; then
      kill "$pid" 2>/dev/null || true
      wait "$pid" 2>/dev/null || true
      echo "no notice within $notice_within s"
      return 2
    fi
    sleep 0.5
  done
  shown=$(now)
  echo "notice shown $(elapsed "$started") s after the start, at $place (left top width height)"
  local width=${TARVOLIN_SESSION_SCREEN%x*} height=${TARVOLIN_SESSION_SCREEN#*x} failed=0
  # The notice's place: 242 x 90, against the right edge, its bottom 60 above the screen's.
  local want="$((width - 242)) $((height - 150)) 242 90"
  if [ "$place" != "$want" ]; then
    echo "FAILED: the notice is at $place, not at $want on a ${TARVOLIN_SESSION_SCREEN} screen"
    failed=1
  fi
  # Its first check comes 5 s after the first paint; a later one would come 5 s after that.
  while [ -n "$(rect)" ]; do
    if [ "$(elapsed "$shown" | cut -d. -f1)" -ge 10 ]; then
      echo "FAILED: the notice is still shown 10 s after it appeared: its first check did not end it"
      kill "$pid" 2>/dev/null || true
      wait "$pid" 2>/dev/null || true
      return 1
    fi
    sleep 0.2
  done
  echo "notice gone $(elapsed "$shown") s after it was shown"
  wait "$pid" || status=$?
  if [ "$status" -ne 0 ]; then
    echo "FAILED: the program exited with status $status"
    failed=1
  fi
  return "$failed"
}

echo "running $(basename "$program") with 32-bit Wine, $how"
result=0 starts=1
attempt "$@" || result=$?
if [ "$result" -eq 2 ] && [ "$how" != natively ]; then
  # Now and then the emulated loader exits at once and no window comes: one more start tells that
  # apart from a program that shows no notice.
  echo "starting it a second time: under emulation the loader now and then ends before the program starts"
  result=0 starts=2
  attempt "$@" || result=$?
fi
if [ -n "$expect_failure" ]; then
  if [ "$result" -eq 2 ] && { [ "$how" = natively ] || [ "$starts" -eq 2 ]; }; then
    echo "passed: the check reports a program that shows no notice as failing"
    exit 0
  fi
  echo "FAILED: a program that shows no notice was not reported as failing (result $result after $starts start(s))"
  exit 1
fi
[ "$result" -eq 0 ] && echo "passed" || echo "FAILED: $(basename "$program") did not show and end its notice as it should"
[ "$result" -eq 0 ]
