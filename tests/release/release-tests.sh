#!/usr/bin/env bash
# Tests of the release command (tools/release.sh), run natively; the signed program is started under
# Wine through the tests' wrapper. One case per call:
#   release-tests.sh CASE BUILD_DIR
#     reproducible   two releases of the same commit, made as a user makes them (from two clones, in
#                    different folders, seconds apart, in different time zones, no SOURCE_DATE_EPOCH), are
#                    byte for byte the same; one with a changed string is not
#     signed         a release signed with a throwaway authority's key verifies; one byte flipped, a
#                    signer of another authority, an unsigned file, a ZIP that is no release and a
#                    build that differs are each refused with their own line
#     runs           the signed program still starts under Wine, shows its notice and ends at its check
#                    (exit 77, a skip, where no 32-bit program can run)
#     password       the signing password shows neither in the command's output nor in the process list
set -euo pipefail
case_name=${1:?usage: $0 CASE BUILD_DIR}
build=${2:?usage: $0 CASE BUILD_DIR}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failures=0
check() {
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}

# This checkout's files (tracked and new, not ignored), copied into a folder of their own.
copy_tree() {
  mkdir -p "$1"
  git -C "$root" ls-files -co --exclude-standard -z | (cd "$root" && tar --null -T - -cf -) | tar -xf - -C "$1"
}

# release DIR [NAME=VALUE...]: a release of the tree in DIR, written to DIR/dist. The variables are
# exported by the shell itself, so that no command line carries them.
release() {
  local dir=$1
  shift
  (cd "$dir" && for setting in "$@"; do export "${setting?}"; done && bash tools/release.sh --out "$dir/dist" \
    >"$dir/release.log" 2>&1) || { cat "$dir/release.log" >&2; return 1; }
}

# Changes the About box's version line in a copied tree, and makes sure it did.
change_a_string() {
  sed -i 's/버전 1\.0/버전 1.1/' "$1"/res/*.rc
  grep -q '버전 1\.1' "$1"/res/*.rc
}

zip_of() { ls "$1"/dist/Tarvolin-*-win32.zip; }

# Throwaway authorities and code-signing keys: NAME.pem (the authority), NAME-signer.p12 (password in
# NAME.pass).
make_signer() {
  local name=$1 dir=$work/keys
  mkdir -p "$dir"
  openssl req -x509 -newkey rsa:2048 -nodes -keyout "$dir/$name.key" -out "$dir/$name.pem" -days 7 \
    -subj "/CN=$name test authority" -addext basicConstraints=critical,CA:TRUE \
    -addext keyUsage=critical,keyCertSign,cRLSign 2>/dev/null
  openssl req -newkey rsa:2048 -nodes -keyout "$dir/$name-signer.key" -out "$dir/$name-signer.csr" \
    -subj "/CN=$name test signer" 2>/dev/null
  printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' \
    >"$dir/$name.ext"
  openssl x509 -req -in "$dir/$name-signer.csr" -CA "$dir/$name.pem" -CAkey "$dir/$name.key" -CAcreateserial \
    -days 7 -extfile "$dir/$name.ext" -out "$dir/$name-signer.pem" 2>/dev/null
  printf '%s' "pass-$name-$RANDOM$RANDOM" >"$dir/$name.pass"
  openssl pkcs12 -export -inkey "$dir/$name-signer.key" -in "$dir/$name-signer.pem" -certfile "$dir/$name.pem" \
    -passout "file:$dir/$name.pass" -out "$dir/$name-signer.p12"
}

# verify_refuses ZIP TEXT [options...]: the verification fails, with exactly one line holding TEXT.
verify_refuses() {
  local zip=$1 text=$2 out status=0
  shift 2
  out=$(bash "$root/tools/release.sh" --verify "$zip" "$@" 2>&1) || status=$?
  echo "  $out"
  [ "$status" -ne 0 ] && [ "$(printf '%s\n' "$out" | wc -l)" -eq 1 ] && [[ $out == *"$text"* ]]
}

verify_accepts() {
  local out
  out=$(bash "$root/tools/release.sh" --verify "$@" 2>&1) || { echo "  $out"; return 1; }
  echo "  $out"
  [[ $out == *verifies* ]]
}

# Unpacks ZIP, lets a command change the unpacked tree, packs it again with a fresh SHA256SUMS: what a
# tamperer who also rewrites the checksums would hand out.
repack() {
  local zip=$1 into=$2 name top
  shift 2
  name=$(basename "$zip")
  top=${name%.zip}
  mkdir -p "$into/unpacked"
  (cd "$into/unpacked" && cmake -E tar xf "$zip")
  (cd "$into/unpacked" && "$@")
  (cd "$into/unpacked" && cmake -E tar cf "$into/$name" --format=zip "$top")
  (cd "$into" && sha256sum "$name" && cd unpacked/"$top" && sha256sum Tarvolin.exe) >"$into/SHA256SUMS"
  echo "$into/$name"
}

flip_byte() {
  local file=$1 offset=$2 byte
  byte=$(od -An -tu1 -j "$offset" -N1 "$file" | tr -d ' ')
  printf "$(printf '\\%03o' $(((byte ^ 0xFF))))" | dd of="$file" bs=1 seek="$offset" conv=notrunc status=none
}

case "$case_name" in
  reproducible)
    # As a user makes it: nothing in the environment names the time.
    unset SOURCE_DATE_EPOCH
    # This checkout's files as one commit of a throwaway repository, cloned as a user clones.
    copy_tree "$work/origin"
    git -C "$work/origin" init -q
    git -C "$work/origin" add -A
    git -C "$work/origin" -c user.name=Release -c user.email=release@tests.invalid commit -q -m tree
    for clone in one two changed; do git clone -q "$work/origin" "$work/$clone"; done
    release "$work/one" TZ=Asia/Seoul
    sleep 3  # the second release's files are staged seconds after the first's
    release "$work/two" TZ=America/Los_Angeles
    mkdir -p "$work/one/x" "$work/two/x"
    (cd "$work/one/x" && cmake -E tar xf "$(zip_of "$work/one")")
    (cd "$work/two/x" && cmake -E tar xf "$(zip_of "$work/two")")
    check "the same Tarvolin.exe from two folders" cmp "$work/one/build/release-x86/Tarvolin.exe" \
      "$work/two/build/release-x86/Tarvolin.exe"
    check "the same ZIP from two folders" cmp "$(zip_of "$work/one")" "$(zip_of "$work/two")"
    check "the same SHA256SUMS" cmp "$work/one/dist/SHA256SUMS" "$work/two/dist/SHA256SUMS"
    echo "  digests: $(tr '\n' ' ' <"$work/one/dist/SHA256SUMS")"
    # The comparison sees a change: the version line of the About box, one character different.
    change_a_string "$work/changed"
    release "$work/changed"
    check "a changed string gives another Tarvolin.exe" \
      bash -c '! cmp -s "$1" "$2"' _ "$work/one/build/release-x86/Tarvolin.exe" "$work/changed/build/release-x86/Tarvolin.exe"
    check "a changed string gives another ZIP" bash -c '! cmp -s "$1" "$2"' _ "$(zip_of "$work/one")" "$(zip_of "$work/changed")"
    ;;

  signed | runs)
    make_signer first
    keys=$work/keys
    copy_tree "$work/signed"
    release "$work/signed" TARVOLIN_SIGN_PKCS12="$keys/first-signer.p12" TARVOLIN_SIGN_PASSWORD_FILE="$keys/first.pass"
    signed=$(zip_of "$work/signed")
    if [ "$case_name" = runs ]; then
      mkdir -p "$work/x"
      (cd "$work/x" && cmake -E tar xf "$signed")
      exe=$(ls "$work"/x/*/Tarvolin.exe)
      check "the executable carries a signature" bash -c 'osslsigncode verify -in "$1" -CAfile "$2" >/dev/null 2>&1' _ \
        "$exe" "$keys/first.pem"
      # As a user starts it, with 32-bit Wine (under emulation where 32-bit programs do not run natively).
      status=0
      bash "$root/tests/shipped/run-shipped.sh" "$build" "$exe" || status=$?
      [ "$status" -eq 77 ] && exit 77
      check "the signed program shows its notice in place, ends at its first check with status 0" test "$status" -eq 0
    else
      check "the signed release verifies" verify_accepts "$signed" --ca "$keys/first.pem" --rebuild
      # One byte flipped in the ZIP itself.
      mkdir -p "$work/flipped"
      cp "$signed" "$work/signed/dist/SHA256SUMS" "$work/flipped/"
      flip_byte "$work/flipped/$(basename "$signed")" 100
      check "a flipped byte is refused" verify_refuses "$work/flipped/$(basename "$signed")" "has changed" \
        --ca "$keys/first.pem"
      # One byte flipped in the program, with the checksums made again to match.
      tampered=$(repack "$signed" "$work/tampered" bash -c 'f=$(ls */Tarvolin.exe); printf "\x90" |
        dd of="$f" bs=1 seek=4096 conv=notrunc status=none')
      check "a changed program with matching checksums is refused by its signature" \
        verify_refuses "$tampered" "does not verify" --ca "$keys/first.pem"
      # Signed by a key of another authority.
      make_signer second
      copy_tree "$work/other"
      release "$work/other" TARVOLIN_SIGN_PKCS12="$keys/second-signer.p12" TARVOLIN_SIGN_PASSWORD_FILE="$keys/second.pass"
      check "a signer of another authority is refused" verify_refuses "$(zip_of "$work/other")" "does not verify" \
        --ca "$keys/first.pem"
      copy_tree "$work/unsigned"
      release "$work/unsigned"
      check "the unsigned release says so when made" grep -q "this release is unsigned" "$work/unsigned/release.log"
      check "an unsigned release is refused" verify_refuses "$(zip_of "$work/unsigned")" "is not signed" \
        --ca "$keys/first.pem"
      # A ZIP that is no release: another file added.
      notrelease=$(repack "$signed" "$work/notrelease" bash -c 'echo extra >"$(ls -d */)/setup.bat"')
      check "a ZIP that is no release is refused" verify_refuses "$notrelease" "is not a release" \
        --ca "$keys/first.pem"
      # Built from other sources than this checkout's.
      copy_tree "$work/differs"
      change_a_string "$work/differs"
      release "$work/differs" TARVOLIN_SIGN_PKCS12="$keys/first-signer.p12" TARVOLIN_SIGN_PASSWORD_FILE="$keys/first.pass"
      check "a build that differs from this checkout's is refused" verify_refuses "$(zip_of "$work/differs")" \
        "not what this checkout builds" --ca "$keys/first.pem" --rebuild
    fi
    ;;

  password)
    make_signer first
    keys=$work/keys
    password=$(cat "$keys/first.pass")
    # Watches the process list until told to stop; prints every line that holds the password.
    watch_processes() {
      while [ ! -e "$work/stop" ]; do
        ps -eo args= 2>/dev/null | grep -F -- "$password" | grep -v -F "grep" || true
        sleep 0.02
      done
    }
    # The watch is real: it sees a process that holds the password on its command line.
    watch_processes >"$work/control.seen" &
    watcher=$!
    bash -c 'sleep 0.5; true' "$password"
    touch "$work/stop"
    wait "$watcher"
    rm -f "$work/stop"
    check "the process watch sees a password on a command line" grep -q -F -- "$password" "$work/control.seen"

    copy_tree "$work/tree"
    watch_processes >"$work/seen" &
    watcher=$!
    release "$work/tree" TARVOLIN_SIGN_PKCS12="$keys/first-signer.p12" TARVOLIN_SIGN_PASSWORD="$password"
    touch "$work/stop"
    wait "$watcher"
    check "the release was signed with the password from the environment" grep -q "signed by" "$work/tree/release.log"
    check "the password is not in the command's output" bash -c '! grep -q -F -- "$1" "$2"' _ "$password" \
      "$work/tree/release.log"
    check "the password is on no process's command line" test ! -s "$work/seen"
    check "the password is in no file of the tree" bash -c '! grep -r -q -F --exclude-dir=build -- "$1" "$2"' _ \
      "$password" "$work/tree"
    ;;

  *)
    echo "unknown case $case_name" >&2
    exit 2
    ;;
esac

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
