#!/usr/bin/env bash
# Which build this machine can test, and the Wine command for it. Sourced by the project's commands;
# run on its own (`bash tools/wine-arch.sh`) it prints the line they print and exits 1 where the path
# asked for cannot be taken.
#
# Some machines run 64-bit Linux programs only ("IA-32 emulation off"): Debian's 32-bit Wine cannot
# start there. So:
#   x86  32-bit programs run here: the shipped 32-bit build is tested, the 64-bit build beside it.
#   x64  64-bit programs only: the 64-bit build of the same source is tested under wine64; the shipped
#        32-bit file is read as a file, and run once, natively where it can be, else under emulation
#        (qemu-user-static through binfmt_misc, about 50 s of CPU per 32-bit process start).
# TARVOLIN_ARCH forces a path: x86, x64, or x64-emulated (the x64 path with the shipped program run
# under emulation even where 32-bit programs run natively, to try that path on either machine).

wine_arch_loader32=/usr/lib/wine/wine
wine_arch_loader64=/usr/lib/wine/wine64
wine_arch_binfmt=/proc/sys/fs/binfmt_misc

# The Wine loader for programs of one architecture. /usr/bin/wine would pick the 32-bit loader for
# 64-bit programs too, which fails where 32-bit programs cannot run.
wine_arch_loader() {
  case "$1" in
    x86) echo "$wine_arch_loader32" ;;
    x64) echo "$wine_arch_loader64" ;;
    *) echo "wine-arch: unknown architecture '$1'" >&2; return 2 ;;
  esac
}

# Sets $wine to the loader for programs of one architecture, and WINELOADER to match: programs that
# Wine programs start find the loader there (wine64 would otherwise look for the 32-bit one).
wine_arch_use() {
  wine=$(wine_arch_loader "$1") || return 2
  if [ "$1" = x64 ]; then export WINELOADER=$wine; else unset WINELOADER; fi
}

# The registered binfmt_misc entries that hand 32-bit x86 programs to an emulator, one name a line.
wine_arch_i386_entries() {
  local entry
  for entry in "$wine_arch_binfmt"/*; do
    case "${entry##*/}" in register | status | '*') continue ;; esac
    [ "$(head -n 1 "$entry" 2>/dev/null)" = enabled ] || continue
    grep -q '^magic 7f454c4601010100000000000000000002000300' "$entry" 2>/dev/null && echo "${entry##*/}"
  done
}

# True where 32-bit Wine starts as a native program. While an emulator is registered for 32-bit programs
# they start through it, so such an entry means "not natively".
wine_arch_native32() {
  [ -z "$(wine_arch_i386_entries)" ] && "$wine_arch_loader32" --version >/dev/null 2>&1
}

# Why the shipped 32-bit program cannot be run under emulation here; nothing when it can (an emulator is
# registered already, or this run may register one).
wine_arch_emulation_blocked() {
  [ -n "$(wine_arch_i386_entries)" ] && return 0
  if [ "$(id -u)" -ne 0 ]; then echo "registering an emulator for 32-bit programs needs root"
  elif [ ! -x /usr/bin/qemu-i386-static ]; then echo "qemu-user-static is not installed"
  fi
}

# Decides once, silently. Sets:
#   WINE_ARCH          x86 or x64: the build under test
#   WINE_ARCH_SHIPPED  how the shipped 32-bit program runs on the x64 path: native, emulated or none
#   WINE_ARCH_SKIP_WHY why it cannot run, for none
# Returns 1, with the reason in WINE_ARCH_LINE, when the forced path cannot be taken here.
wine_arch_decide() {
  local native=""
  wine_arch_native32 && native=1
  WINE_ARCH_SHIPPED=native WINE_ARCH_SKIP_WHY="" WINE_ARCH_LINE=""
  case "${TARVOLIN_ARCH:-}" in
    "") WINE_ARCH=$([ -n "$native" ] && echo x86 || echo x64) ;;
    x86)
      WINE_ARCH=x86
      if [ -z "$native" ]; then
        WINE_ARCH_LINE="TARVOLIN_ARCH=x86: this machine runs 64-bit programs only (32-bit Wine cannot start here), so the shipped 32-bit build cannot be tested here; leave TARVOLIN_ARCH unset, or set it to x64"
        return 1
      fi ;;
    x64) WINE_ARCH=x64 ;;
    x64-emulated) WINE_ARCH=x64 native="" ;;
    *)
      WINE_ARCH_LINE="TARVOLIN_ARCH=$TARVOLIN_ARCH: no such path; it is x86, x64 or x64-emulated"
      return 1 ;;
  esac
  if [ "$WINE_ARCH" = x64 ] && [ -z "$native" ]; then
    WINE_ARCH_SKIP_WHY=$(wine_arch_emulation_blocked)
    WINE_ARCH_SHIPPED=$([ -z "$WINE_ARCH_SKIP_WHY" ] && echo emulated || echo none)
  fi
}

# The one line a command prints about the path it takes: the test command's, or with "shown" or
# "measured" that of the run command or of the bench and the soak, which use the tested build alone.
wine_arch_line() {
  local how=${TARVOLIN_ARCH:+TARVOLIN_ARCH=$TARVOLIN_ARCH: } verb=${1:-tested}
  if [ "$WINE_ARCH" = x86 ]; then
    if [ "$verb" = tested ]; then
      echo "${how}32-bit programs run here: the shipped 32-bit build is tested, and the 64-bit build of the same source beside it"
    else
      echo "${how}32-bit programs run here: the shipped 32-bit build is $verb"
    fi
    return
  fi
  how=${how:-this machine runs 64-bit programs only: }
  local line="${how}the 64-bit build of the same source is $verb"
  [ "$verb" = tested ] || { echo "$line"; return; }
  case "$WINE_ARCH_SHIPPED" in
    native) echo "$line; the shipped 32-bit file is checked as a file and run once natively" ;;
    emulated) echo "$line; the shipped 32-bit file is checked as a file and run once under emulation" ;;
    none) echo "$line; the shipped 32-bit file is checked as a file only, since it cannot run here ($WINE_ARCH_SKIP_WHY): the checks that run it are skipped" ;;
  esac
}

# On the emulated path: registers qemu for 32-bit programs under a name of this run's own, unless an
# emulator is registered already (mounting binfmt_misc first where it is not). Where that fails, the
# shipped program's checks become skips. wine_arch_emulation_end removes only what this run added.
wine_arch_emulation_name=""
wine_arch_binfmt_mounted=""
wine_arch_emulation_begin() {
  [ "$WINE_ARCH_SHIPPED" = emulated ] || return 0
  [ -n "$(wine_arch_i386_entries)" ] && return 0
  if [ ! -e "$wine_arch_binfmt/register" ]; then
    if mount -t binfmt_misc binfmt_misc "$wine_arch_binfmt" 2>/dev/null; then
      wine_arch_binfmt_mounted=1
    else
      WINE_ARCH_SHIPPED=none WINE_ARCH_SKIP_WHY="binfmt_misc cannot be mounted here"
      return 0
    fi
  fi
  wine_arch_emulation_name=tarvolin-i386-$$
  # F: the kernel opens the emulator now, so it is found from any mount namespace later on.
  if ! printf '%s' ":$wine_arch_emulation_name:M::\\x7fELF\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x02\\x00\\x03\\x00:\\xff\\xff\\xff\\xff\\xff\\xfe\\xfe\\x00\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xfe\\xff\\xff\\xff:/usr/bin/qemu-i386-static:F" \
    2>/dev/null >"$wine_arch_binfmt/register"; then
    wine_arch_emulation_name=""
    WINE_ARCH_SHIPPED=none WINE_ARCH_SKIP_WHY="the emulator cannot be registered in binfmt_misc"
  fi
}
wine_arch_emulation_end() {
  if [ -n "$wine_arch_emulation_name" ] && [ -e "$wine_arch_binfmt/$wine_arch_emulation_name" ]; then
    echo -1 >"$wine_arch_binfmt/$wine_arch_emulation_name"
  fi
  wine_arch_emulation_name=""
  [ -n "$wine_arch_binfmt_mounted" ] && umount "$wine_arch_binfmt" 2>/dev/null
  wine_arch_binfmt_mounted=""
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  wine_arch_decide || { echo "$WINE_ARCH_LINE" >&2; exit 1; }
  wine_arch_line
fi
