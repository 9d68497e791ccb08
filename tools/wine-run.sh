#!/usr/bin/env bash
# Runs one Windows executable under Wine; CTest uses it as the cross-compiling emulator:
#   wine-run.sh [--wine-dir DIR] program.exe [args...]
# Inside a session of the requested screen size (TARVOLIN_SCREEN, default 1024x768) it just runs the
# program; otherwise it wraps the program in a session of its own (see wine-session.sh).
# The program gets the Korean locale (ANSI code page 949) unless TARVOLIN_LOCALE names another one,
# e.g. en_US.UTF-8 for code page 1252.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
wine_dir=${TARVOLIN_WINE_DIR:-}
if [ "${1:-}" = "--wine-dir" ]; then wine_dir=$2; shift 2; fi
[ $# -gt 0 ] || { echo "usage: $0 [--wine-dir DIR] program.exe [args...]" >&2; exit 2; }
screen=${TARVOLIN_SCREEN:-1024x768}

if [ "${TARVOLIN_SESSION_SCREEN:-}" = "$screen" ] && [ -n "${TARVOLIN_SESSION_PREFIX:-}" ] &&
   [ -n "${TARVOLIN_SESSION_CPU:-}" ]; then
  export WINEPREFIX=$TARVOLIN_SESSION_PREFIX
  locale=${TARVOLIN_LOCALE:-ko_KR.UTF-8}
  # On the session's CPU, with its wineserver and X server (see wine-session.sh).
  exec taskset -c "$TARVOLIN_SESSION_CPU" env LC_ALL="$locale" LANG="$locale" wine "$@"
fi
args=(--screen "$screen")
[ -n "$wine_dir" ] && args+=(--wine-dir "$wine_dir")
# Back through this script inside the new session, so the program gets the Korean locale there too.
exec "$here/wine-session.sh" "${args[@]}" -- "$here/wine-run.sh" "$@"
