#!/usr/bin/env bash
# Installs what building and testing needs, and nothing that is already there.
# Safe to run again: when everything is present it prints nothing and changes nothing.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

packages=(
  cmake make
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine wine32:i386 wine64
  xvfb xauth x11-utils
  # Real pointer and keyboard input on the virtual display, for the run command and the tests.
  xdotool
  googletest
  fonts-nanum
  imagemagick
  procps
  # Releases: Authenticode signing and checking, and the certificates of the tests' throwaway signer.
  osslsigncode openssl
  strip-nondeterminism
  # The caption fuzzer is built for this machine: clang with libFuzzer and AddressSanitizer.
  clang libclang-rt-dev
)

# The packages of the list that are not fully installed ("install ok installed"), in $missing.
find_missing() {
  missing=()
  local p
  for p in "$@"; do
    if [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" != "install ok installed" ]; then
      missing+=("$p")
    fi
  done
}

# Where 32-bit programs cannot run natively, the shipped 32-bit program runs under emulation: that
# needs qemu, which only root can register (elsewhere those checks are skipped). Asked once the list is
# installed, since the answer depends on 32-bit Wine being there.
emulation_missing() {
  missing=()
  # shellcheck source=wine-arch.sh
  . "$here/wine-arch.sh"
  if [ "$(id -u)" -eq 0 ] && wine_arch_decide && [ "$WINE_ARCH_SHIPPED" != native ] &&
     [ -z "$(wine_arch_i386_entries)" ]; then
    find_missing qemu-user-static
  fi
}

find_missing "${packages[@]}"
[ ${#missing[@]} -eq 0 ] && emulation_missing
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "setup: missing packages: ${missing[*]}; run as root to install them" >&2
  exit 1
fi

echo "setup: installing ${missing[*]}"
# 32-bit Wine lives in the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
# A mirror caught mid-sync answers with a size mismatch for a moment: try the update again.
for try in 1 2 3; do
  apt-get update -qq && break
  [ "$try" -eq 3 ] && { echo "setup: apt-get update kept failing; installing with the indexes there are" >&2; break; }
  sleep $((try * 5))
done
install() { apt-get install -y -qq --no-install-recommends "$@" "${missing[@]}" >/dev/null; }
# 32-bit libraries must have exactly the version of their 64-bit twins. When one architecture's
# index could not be fetched (a mirror mid-sync), the candidates disagree; taking every candidate
# from the release itself makes them agree again.
install || { echo "setup: retrying with the release's own package versions" >&2; install -t "$(. /etc/os-release && echo "$VERSION_CODENAME")"; }
emulation_missing
[ ${#missing[@]} -eq 0 ] || install
echo "setup: done"
