#!/usr/bin/env bash
# The run command: builds the program and shows it working, as a user would see it.
# A stand-in for the service's viewer is opened, then the notice; screenshots are saved of the notice,
# of its context menu (a right click on it) and of the About box (the menu's entry, clicked); then
# the stand-in is closed and the notice goes at its next check.
# Without a display (no DISPLAY) everything happens on a virtual one (Xvfb, 1024x768).
# Where 32-bit programs cannot run, the 64-bit build of the same source is shown (see wine-arch.sh).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

if [ "${1:-}" = "--inside" ]; then
  build=$root/build/$2
  run() { tools/wine-run.sh "$@"; }
  shot() {
    if command -v import >/dev/null; then
      import -display "$DISPLAY" -window root "$1" && echo "Screenshot: $1"
    fi
  }
  run "$build/notice_driver.exe" open-viewer || { echo "run: the stand-in viewer did not appear" >&2; exit 1; }
  run "$build/Tarvolin.exe" &
  notice=$!
  run "$build/notice_driver.exe" wait-notice || { echo "run: the notice did not appear" >&2; exit 1; }
  echo "The notice is shown at the bottom right of the screen while the viewer is open."
  sleep 1
  shot "$build/screenshot.png"
  # Where a person would click: the driver reads the places off the windows, xdotool clicks there.
  read -r x y < <(run "$build/notice_driver.exe" where-notice | tr -d '\r')
  xdotool mousemove "$x" "$y" click 3
  read -r x y < <(run "$build/notice_driver.exe" where-menu | tr -d '\r')
  shot "$build/screenshot-menu.png"
  xdotool mousemove "$x" "$y" click 1
  run "$build/notice_driver.exe" wait-about && sleep 1 && shot "$build/screenshot-about.png"
  run "$build/notice_driver.exe" close-about || true
  # Long enough for at least one check (every 5 s) to find the viewer and keep the notice.
  sleep 4
  echo "Closing the viewer..."
  run "$build/notice_driver.exe" close-viewer
  wait "$notice"
  echo "The notice has ended."
  exit 0
fi

bash tools/setup.sh
# shellcheck source=wine-arch.sh
. tools/wine-arch.sh
wine_arch_decide || { echo "$WINE_ARCH_LINE" >&2; exit 1; }
wine_arch_line shown
arch=$WINE_ARCH
cmake --preset "windows-$arch" >/dev/null
cmake --build --preset "windows-$arch" --target Tarvolin viewer_standin notice_driver -- -s >/dev/null

session=(--arch "$arch" --screen 1024x768 --wine-dir "build/$arch/wine-show")
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then session+=(--display "$DISPLAY"); fi
exec tools/wine-session.sh "${session[@]}" -- "$root/tools/run.sh" --inside "$arch"
