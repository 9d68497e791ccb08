#!/usr/bin/env bash
# Builds the caption fuzzer for the build machine (clang, libFuzzer, AddressSanitizer) and runs it for
# a bounded time, starting from a corpus of telling captions:
#   run-caption-fuzz.sh BUILD_DIR [SECONDS]     (default: $TARVOLIN_FUZZ_SECONDS, else 5)
# Before that, two deliberately wrong caption tests must each be caught on a starting sample: a clean
# run of the real one then means something.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=${1:?usage: $0 BUILD_DIR [SECONDS]}
seconds=${2:-${TARVOLIN_FUZZ_SECONDS:-5}}

command -v clang++ >/dev/null || { echo "fuzz: clang++ is missing (tools/setup.sh installs it)" >&2; exit 1; }
mkdir -p "$build"
log=$build/build.log
if ! { cmake -S "$here" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo &&
       cmake --build "$build" -j2; } >"$log" 2>&1; then
  cat "$log" >&2
  exit 1
fi

# Starting samples. The first byte says how the buffer is filled (see CaptionFuzzTarget.cpp): \x00 as
# the watch fills it from a caption, \x01 with any content. Korean text is stored in code page 949.
samples=$build/samples
rm -rf "$samples"
mkdir -p "$samples"
cp949() { printf '%s' "$1" | iconv -f UTF-8 -t CP949; }
repeat() { head -c "$2" /dev/zero | tr '\0' "$1"; }
viewer=$(cp949 "쿠델 B2B 뷰어")
site="http://b2b.kudel.example/"
sample() { local name=$1 mode=$2; shift 2; { printf "$mode"; printf '%s' "$@"; } >"$samples/$name"; }
sample viewer-caption '\x00' "$(cp949 "주문 목록 - ")" "$viewer"
sample site-caption '\x00' "$site" "order?id=7 - $(cp949 "웹 브라우저")"
sample both-markers '\x00' "$viewer" " " "$site"
sample empty '\x00' ""
sample near-miss '\x00' "$(cp949 "쿠델 B2B 뷰")" "http://b2b.kudel.example"
# The caption is cut after 254 bytes: a marker ending on the 254th byte counts, one byte later not.
sample viewer-ends-at-254 '\x00' "$(repeat x 241)" "$viewer"
sample viewer-cut-at-254 '\x00' "$(repeat x 242)" "$viewer"
sample site-ends-at-254 '\x00' "$(repeat x 229)" "$site"
sample site-cut-at-254 '\x00' "$(repeat x 230)" "$site"
# Broken double-byte text: a lone lead byte at the end, before a marker, with invalid trail bytes.
sample lone-lead-byte-last '\x00' "$(repeat x 253)" $'\xC4'
sample cut-character '\x00' "$(cp949 "쿠델 B2B 뷰")" $'\xBE'
sample lead-byte-before-viewer '\x00' $'\xB0' "$viewer"
sample invalid-trail-bytes '\x00' $'\xC4\x20\xED\x0A\xFF\xFE' "$viewer" $'\x81'
# Any content: a lead byte in the last byte before the forced terminator; text after a terminator.
sample any-lead-byte-last '\x01' "$(repeat x 254)" $'\xC4'
sample any-marker-after-terminator '\x01' "abc" $'\x00' "$viewer"
sample any-full-buffer '\x01' "$(repeat x 242)" "$viewer" "$(repeat y 20)"

# The controls: each wrong caption test must be caught on its starting sample.
expect_caught() {
  local fuzzer=$1 input=$2 report=$3 output
  if output=$(cd "$build" && "./$fuzzer" "$input" 2>&1); then
    echo "fuzz: $fuzzer passed $input: the fuzz target cannot see that fault" >&2
    exit 1
  fi
  grep -q "$report" <<<"$output" || { echo "$output" >&2; echo "fuzz: $fuzzer failed without '$report'" >&2; exit 1; }
  echo "control: $fuzzer caught on $(basename "$input") ($report)"
}
expect_caught caption_fuzz_control_overread "$samples/any-lead-byte-last" "heap-buffer-overflow"
expect_caught caption_fuzz_control_boundary "$samples/lead-byte-before-viewer" "deadly signal"

# The real caption test, for a bounded time. New inputs go to a scratch corpus, never the starting samples.
corpus=$build/corpus
rm -rf "$corpus" "$build/artifacts"
mkdir -p "$corpus" "$build/artifacts"
status=0
(cd "$build" && ./caption_fuzz -max_total_time="$seconds" -max_len=300 -print_final_stats=1 \
   -artifact_prefix="$build/artifacts/" "$corpus" "$samples") >"$build/fuzz.log" 2>&1 || status=$?
grep -E '^(Done|stat::number_of_executed_units|stat::average_exec_per_sec|stat::peak_rss_mb)' "$build/fuzz.log" || true
echo "corpus: $(ls "$samples" | wc -l) samples, $(ls "$corpus" | wc -l) new inputs"
if [ "$status" -ne 0 ]; then
  tail -n 60 "$build/fuzz.log" >&2
  echo "fuzz: the caption test failed (input saved in $build/artifacts)" >&2
  exit 1
fi
