#!/usr/bin/env bash
# Runs one Windows executable under Wine; CTest uses it as the cross-compiling emulator:
#   wine-run.sh [--wine-dir DIR] [--arch x86|x64] program.exe [args...]
# --arch names the program's architecture (the session's unless given; see wine-arch.sh): a 32-bit
# program in a 64-bit session runs in the same prefix with 32-bit Wine, natively or under the emulator
# the test command registered.
# Inside a session of the requested screen size (TARVOLIN_SCREEN, default 1024x768) it just runs the
# program; otherwise it wraps the program in a session of its own (see wine-session.sh).
# The program gets the Korean locale (ANSI code page 949) unless TARVOLIN_LOCALE names another one,
# e.g. en_US.UTF-8 for code page 1252.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
wine_dir=${TARVOLIN_WINE_DIR:-}
arch=""
while [ $# -gt 0 ]; do
  case "$1" in
    --wine-dir) wine_dir=$2; shift 2 ;;
    --arch) arch=$2; shift 2 ;;
    *) break ;;
  esac
done
[ $# -gt 0 ] || { echo "usage: $0 [--wine-dir DIR] [--arch x86|x64] program.exe [args...]" >&2; exit 2; }
screen=${TARVOLIN_SCREEN:-1024x768}
arch=${arch:-${TARVOLIN_SESSION_ARCH:-x86}}

if [ "${TARVOLIN_SESSION_SCREEN:-}" = "$screen" ] && [ -n "${TARVOLIN_SESSION_PREFIX:-}" ] &&
   [ -n "${TARVOLIN_SESSION_CPU:-}" ]; then
  # shellcheck source=wine-arch.sh
  . "$here/wine-arch.sh"
  wine_arch_use "$arch"
  export WINEPREFIX=$TARVOLIN_SESSION_PREFIX
  locale=${TARVOLIN_LOCALE:-ko_KR.UTF-8}
  # On the session's CPU, with its wineserver and X server (see wine-session.sh).
  exec taskset -c "$TARVOLIN_SESSION_CPU" env LC_ALL="$locale" LANG="$locale" "$wine" "$@"
fi
args=(--screen "$screen")
[ -n "$wine_dir" ] && args+=(--wine-dir "$wine_dir")
args+=(--arch "$arch")
# Back through this script inside the new session, so the program gets the Korean locale there too.
exec "$here/wine-session.sh" "${args[@]}" -- "$here/wine-run.sh" "$@"
