#!/usr/bin/env bash
# The release command.
#   release.sh [--out DIR]
#       Installs what is missing, builds the program alone in a clean build folder (preset release-x86)
#       and writes DIR/Tarvolin-<version>-win32.zip (the program and README.txt, for the people who run
#       it) and DIR/SHA256SUMS (the ZIP and the executable inside it); DIR is dist/ unless given. It
#       checks that the ZIP holds those two files and nothing else. The same commit gives the
#       same bytes in any folder, at any time, whoever builds it (the ZIP's entries carry the commit's
#       time, or SOURCE_DATE_EPOCH when set, and owner 0).
#       Signing: when TARVOLIN_SIGN_PKCS12 names a PKCS#12 file, the executable is signed (Authenticode,
#       SHA-256) before it is packed. Its password comes from the file TARVOLIN_SIGN_PASSWORD_FILE names,
#       or from TARVOLIN_SIGN_PASSWORD; never from the command line. TARVOLIN_SIGN_TIMESTAMP_URL, when
#       set, is handed to the signer as its RFC 3161 time-stamping server.
#   release.sh --verify ZIP [--ca CERT] [--rebuild]
#       Checks a release: the ZIP is one, both digests match the SHA256SUMS beside it, the executable is
#       signed and its signature verifies against CERT (without --ca: against the system's certificate
#       authorities); with --rebuild, the executable without its signature equals a fresh build of this
#       checkout, made in a temporary folder. Each failure is one line on stderr, and exit status 1.
set -euo pipefail
shopt -s inherit_errexit
caller=$PWD
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

# A path as the caller gave it, made absolute.
absolute() { case "$1" in /*) echo "$1" ;; *) echo "$caller/$1" ;; esac; }

fail() {
  echo "release: $*" >&2
  exit 1
}

# Builds in this tree; prints the path of the ZIP, once it holds what a release holds. The executable is
# signed in place between the link and the packing: the package target finds the program up to date
# and packs the signed file.
build_release() {
  rm -rf build/release-x86
  cmake --preset release-x86 >/dev/null
  cmake --build --preset release-x86 -j "$(nproc)" --target Tarvolin -- -s >/dev/null
  if [ -n "${TARVOLIN_SIGN_PKCS12:-}" ]; then
    sign build/release-x86/Tarvolin.exe
  else
    echo "release: no signing key given (TARVOLIN_SIGN_PKCS12): this release is unsigned" >&2
  fi
  cmake --build --preset release-x86 --target package -- -s >/dev/null
  local zip
  zip=$(ls build/release-x86/package/Tarvolin-*-win32.zip)
  check_entries "$zip"
  echo "$zip"
}

# Fails unless the ZIP holds exactly the files of a release, in a folder named like the ZIP: the
# program and the README for the people who run it.
check_entries() {
  local name top listing entries
  name=$(basename "$1")
  top=${name%.zip}
  listing=$(cmake -E tar tf "$1" 2>/dev/null) || fail "$name is not a release: it cannot be read as a ZIP"
  entries=$(printf '%s\n' "$listing" | sed '/\/$/d' | sort | tr '\n' ' ')
  [ "$entries" = "$top/README.txt $top/Tarvolin.exe " ] ||
    fail "$name is not a release: it holds ${entries% } instead of $top/README.txt and $top/Tarvolin.exe"
}

sign() {
  local exe=$1
  [ -f "$TARVOLIN_SIGN_PKCS12" ] || fail "no signing key at $TARVOLIN_SIGN_PKCS12"
  local args=(sign -pkcs12 "$TARVOLIN_SIGN_PKCS12" -h sha256 -n Tarvolin -in "$exe" -out "$exe.signed")
  [ -n "${TARVOLIN_SIGN_TIMESTAMP_URL:-}" ] && args+=(-ts "$TARVOLIN_SIGN_TIMESTAMP_URL")
  local status=0
  # The password reaches the signer through a pipe, never through its command line or a file of ours.
  if [ -n "${TARVOLIN_SIGN_PASSWORD_FILE:-}" ]; then
    osslsigncode "${args[@]}" -readpass "$TARVOLIN_SIGN_PASSWORD_FILE" >/dev/null 2>&1 || status=$?
  else
    osslsigncode "${args[@]}" -readpass <(printf '%s' "${TARVOLIN_SIGN_PASSWORD:-}") >/dev/null 2>&1 || status=$?
  fi
  [ "$status" -eq 0 ] || { rm -f "$exe.signed"; fail "signing failed (wrong password or not a PKCS#12 signing key?)"; }
  mv "$exe.signed" "$exe"
  echo "release: signed by $(signer_of "$exe")" >&2
}

# The subject of the certificate that signed the file (the one its authority issued), or nothing when
# the file carries no signature. Read from the signature itself, whether or not it still verifies.
signer_of() {
  local dir
  dir=$(mktemp -d)
  if osslsigncode extract-signature -in "$1" -out "$dir/signature" >/dev/null 2>&1; then
    openssl pkcs7 -inform DER -in "$dir/signature" -print_certs -noout 2>/dev/null | awk '
      /^subject=/ { subject = substr($0, 9) }
      /^issuer=/ { if (first == "") first = subject; if (substr($0, 8) != subject && signer == "") signer = subject }
      END { print (signer != "" ? signer : first) }'
  fi
  rm -rf "$dir"
}

digest() { sha256sum "$1" | cut -d' ' -f1; }

write_release() {
  local out=$1 zip
  zip=$(build_release)
  mkdir -p "$out"
  local name
  name=$(basename "$zip")
  cp "$zip" "$out/$name"
  local exe_digest
  exe_digest=$(digest build/release-x86/Tarvolin.exe)
  printf '%s  %s\n%s  %s\n' "$(digest "$out/$name")" "$name" "$exe_digest" Tarvolin.exe >"$out/SHA256SUMS"
  echo "Release: $out/$name"
  cat "$out/SHA256SUMS"
}

# The fresh build for --rebuild: this checkout's files (tracked and new, not ignored) in a folder of
# their own, built there.
fresh_build() {
  local into=$1
  mkdir -p "$into/src"
  git -C "$root" ls-files -co --exclude-standard -z | (cd "$root" && tar --null -T - -cf -) | tar -xf - -C "$into/src"
  (cd "$into/src" && rm -rf build && cmake --preset release-x86 >/dev/null &&
    cmake --build --preset release-x86 -j "$(nproc)" --target Tarvolin -- -s >/dev/null) ||
    fail "the fresh build of this checkout failed"
  echo "$into/src/build/release-x86/Tarvolin.exe"
}

# The verification's scratch folder, removed on exit.
work=""

verify_release() {
  local zip=$1 ca=$2 rebuild=$3
  [ -f "$zip" ] || fail "no such file: $zip"
  local name sums
  name=$(basename "$zip")
  sums=$(dirname "$zip")/SHA256SUMS
  [[ $name =~ ^Tarvolin-[0-9.]+-win32\.zip$ ]] || fail "$name is not a release: a release is Tarvolin-<version>-win32.zip"
  [ -f "$sums" ] || fail "$name is not a release: no SHA256SUMS beside it"
  local want
  want=$(awk -v n="$name" '$2 == n { print $1 }' "$sums")
  [ -n "$want" ] || fail "$name is not a release: SHA256SUMS has no line for it"
  [ "$(digest "$zip")" = "$want" ] || fail "$name has changed: its SHA-256 is not the one in SHA256SUMS"
  check_entries "$zip"
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  (cd "$work" && cmake -E tar xf "$zip") >/dev/null 2>&1 || fail "$name is not a release: it cannot be unpacked as a ZIP"
  local exe=$work/${name%.zip}/Tarvolin.exe
  want=$(awk '$2 == "Tarvolin.exe" { print $1 }' "$sums")
  [ "$(digest "$exe")" = "$want" ] || fail "Tarvolin.exe in $name has changed: its SHA-256 is not the one in SHA256SUMS"

  local signer
  signer=$(signer_of "$exe")
  [ -n "$signer" ] || fail "Tarvolin.exe in $name is not signed"
  local check=(verify -in "$exe") against="the system's certificate authorities"
  if [ -n "$ca" ]; then
    check+=(-CAfile "$ca")
    against=$ca
  fi
  osslsigncode "${check[@]}" >"$work/verify.log" 2>&1 ||
    fail "the signature of Tarvolin.exe in $name does not verify against $against (signed by $signer)"

  local also=""
  if [ "$rebuild" = 1 ]; then
    local fresh
    fresh=$(fresh_build "$work/fresh")
    osslsigncode remove-signature -in "$exe" -out "$work/unsigned.exe" >/dev/null 2>&1 ||
      fail "the signature of Tarvolin.exe in $name cannot be taken off for the comparison"
    cmp -s "$work/unsigned.exe" "$fresh" ||
      fail "Tarvolin.exe in $name is not what this checkout builds (without its signature, it differs from a fresh build$(
        cmp "$work/unsigned.exe" "$fresh" 2>&1 | sed -n 's/.* differ: byte \([0-9]*\).*/ from byte \1 on/p'))"
    also=", and it is what this checkout builds"
  fi
  echo "release: $name verifies: digests match SHA256SUMS, signed by $signer${ca:+, chains to $ca}$also"
}

if [ "${1:-}" = "--verify" ]; then
  [ $# -ge 2 ] || fail "usage: $0 --verify ZIP [--ca CERT] [--rebuild]"
  zip=$2
  shift 2
  ca="" rebuild=0
  while [ $# -gt 0 ]; do
    case "$1" in
      --ca) ca=$(absolute "$2"); shift 2 ;;
      --rebuild) rebuild=1; shift ;;
      *) fail "unknown option $1" ;;
    esac
  done
  zip=$(absolute "$zip")
  bash tools/setup.sh
  verify_release "$zip" "$ca" "$rebuild"
  exit 0
fi

out=$root/dist
if [ "${1:-}" = "--out" ]; then
  out=$(absolute "$2")
  shift 2
fi
[ $# -eq 0 ] || fail "usage: $0 [--out DIR] | --verify ZIP [--ca CERT] [--rebuild]"
bash tools/setup.sh
write_release "$out"
