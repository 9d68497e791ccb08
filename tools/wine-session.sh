#!/usr/bin/env bash
# Runs one command inside a Wine session of its own and tears the session down afterwards:
#   wine-session.sh [--arch x86|x64] [--screen WxH] [--wine-dir DIR] [--display :N] -- command [args...]
# The session is Wine for programs of the given architecture (x86 unless told; see wine-arch.sh),
# a virtual X display (Xvfb) of the given size, unless --display names one,
# a private Wine prefix DIR/prefix-WxH with the Korean ANSI code page (949), Wine's debug output off,
# and a persistent wineserver booted once. Every Wine process started inside shares it, so each one
# costs tens of milliseconds instead of a prefix boot.
# The session's own processes (Xvfb, the wineserver, every Wine process) share one CPU; see below.
# Only what this script started is stopped: its own Xvfb (by pid) and its own prefix's wineserver.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=wine-arch.sh
. "$here/wine-arch.sh"
arch=x86
screen=${TARVOLIN_SCREEN:-1024x768}
wine_dir=${TARVOLIN_WINE_DIR:-$PWD/wine}
display=""
while [ $# -gt 0 ]; do
  case "$1" in
    --arch) arch=$2; shift 2 ;;
    --screen) screen=$2; shift 2 ;;
    --wine-dir) wine_dir=$2; shift 2 ;;
    --display) display=$2; shift 2 ;;
    --) shift; break ;;
    *) break ;;
  esac
done
[ $# -gt 0 ] || { echo "usage: $0 [--arch x86|x64] [--screen WxH] [--wine-dir DIR] [--display :N] -- command [args...]" >&2; exit 2; }
[[ $screen =~ ^[0-9]+x[0-9]+$ ]] || { echo "wine-session: bad screen size '$screen'" >&2; exit 2; }
wine_arch_use "$arch" || exit 2

# Wine takes the Windows locale from the locale variables: ko_KR gives GetACP() == 949 even where
# the Linux locale is not generated. They are set only for Wine's own processes (wine-run.sh does
# the same), since a shell would warn on every start that it cannot set that locale.
korean=(env LC_ALL=ko_KR.UTF-8 LANG=ko_KR.UTF-8)
# A Wine program talks to the wineserver and the X server in many small round trips. Spread over
# several CPUs of a virtual machine, each one waits for an idle CPU to wake up (measured here: a
# registry walk took 75 s spread, 8.5 s on one CPU), so the session keeps to the last CPU it may use.
# What runs beside the session (CTest, compilers) keeps every CPU.
cpu=$(sed -n 's/^Cpus_allowed_list:[[:space:]]*//p' /proc/self/status | tr ',-' '\n\n' | tail -n 1)
on_session_cpu=(taskset -c "$cpu")
export WINEDEBUG=-all
# No desktop menu entries, and no offer to install Mono or Gecko while the prefix is created.
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree,mshtml="
export WINEARCH=win64
mkdir -p "$wine_dir"
export WINEPREFIX
WINEPREFIX=$(cd "$wine_dir" && pwd)/prefix-$screen

# One session per prefix at a time: a second one waits here instead of sharing (and then stopping)
# the first one's wineserver. Children do not inherit the lock (9>&-), so it dies with this script.
exec 9>"$WINEPREFIX.lock"
flock -w 900 9 || { echo "wine-session: $WINEPREFIX is busy" >&2; exit 1; }

xvfb_pid=""
server_started=""
child_pid=""
cleanup() {
  local status=$?
  trap - EXIT INT TERM HUP
  if [ -n "$child_pid" ] && kill -0 "$child_pid" 2>/dev/null; then
    kill "$child_pid" 2>/dev/null || true
    wait "$child_pid" 2>/dev/null || true
  fi
  if [ -n "$server_started" ]; then
    wineserver -k </dev/null >/dev/null 2>&1 || true
    wineserver -w </dev/null >/dev/null 2>&1 || true
  fi
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

if [ -z "$display" ]; then
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  # -displayfd picks a free display number and reports it once the server accepts connections.
  "${on_session_cpu[@]}" Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp -noreset 3>"$fifo" 9>&- </dev/null >/dev/null 2>&1 &
  xvfb_pid=$!
  read -r -t 30 number <"$fifo" || { rm -f "$fifo"; echo "wine-session: Xvfb did not start" >&2; exit 1; }
  rm -f "$fifo"
  display=":$number"
fi
export DISPLAY=$display

new_prefix=""
[ -f "$WINEPREFIX/system.reg" ] || new_prefix=1
mkdir -p "$WINEPREFIX"
"${on_session_cpu[@]}" "${korean[@]}" wineserver -p </dev/null >/dev/null 2>&1 9>&-
server_started=1
# Boot the prefix's services now, detached from our pipes: helper processes that inherit a test
# runner's stdout keep it waiting until they exit.
"${on_session_cpu[@]}" "${korean[@]}" "$wine" wineboot </dev/null >/dev/null 2>&1 9>&-
if [ -n "$new_prefix" ] || [ ! -f "$WINEPREFIX/.tarvolin-configured" ]; then
  "${on_session_cpu[@]}" "${korean[@]}" env TARVOLIN_WINE="$wine" "$here/wine-configure.sh" </dev/null >/dev/null 2>&1
  touch "$WINEPREFIX/.tarvolin-configured"
fi

export TARVOLIN_SESSION_SCREEN=$screen TARVOLIN_SESSION_PREFIX=$WINEPREFIX TARVOLIN_SESSION_CPU=$cpu \
  TARVOLIN_SESSION_ARCH=$arch
# In the background, so that a signal to this script is handled at once and not after the command.
"$@" 9>&- &
child_pid=$!
wait "$child_pid"
