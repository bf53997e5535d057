#!/usr/bin/env bash
# Builds the telemetry fuzzers with clang and runs each for SECONDS (default 600) on seeds made
# by the sample drive. Usage: fuzz/run-telemetry-fuzz.sh [SECONDS] [read|parse|both]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${ORVANE_FUZZ_BUILD_DIR:-$here/build-fuzz}"
seconds="${1:-600}"
which="${2:-both}"
CC=clang CXX=clang++ cmake -S "$here" -B "$build" -G Ninja -DORVANE_FUZZ=ON -DORVANE_BUILD_TESTS=OFF \
  -DORVANE_BUILD_BENCH=OFF >/dev/null
ninja -C "$build" telemetry_read_fuzz telemetry_parse_fuzz
# Any build of the sample drive writes the seed clips.
sampleDrive="${ORVANE_SAMPLE_DRIVE:-$build/tools/sample-drive/orvane-sample-drive}"
[ -x "$sampleDrive" ] || ninja -C "$build" orvane-sample-drive

corpus="$build/fuzz-corpus"
mkdir -p "$corpus/read" "$corpus/parse"
if [ -z "$(ls -A "$corpus/read")" ]; then
  for damage in none truncated no-telemetry; do
    "$sampleDrive" --clip front --size 16x16 --minute-seconds 0.2 \
      --damage "$damage" "$corpus/read/clip-$damage.mp4"
  done
fi
if [ -z "$(ls -A "$corpus/parse")" ]; then
  printf '\x08\x01\x10\x01\x18\x96\x01\x25\x00\x00\x80\x3f\x38\x01\x59\x00\x00\x00\x00\x00\x00\xf0\x3f' >"$corpus/parse/message"
  printf '\x06\x05\x10\x42\x42\x42\x69\x10\x01\x00\x00\x03\x01\x80' >"$corpus/parse/unit"
fi

run() {
  local name=$1
  mkdir -p "$build/fuzz-artifacts/$name"
  "$build/fuzz/telemetry_${name}_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 \
    -max_len=65536 -dict="$here/fuzz/telemetry.dict" -print_final_stats=1 \
    -artifact_prefix="$build/fuzz-artifacts/$name/" "$corpus/$name"
}
case "$which" in
  read) run read ;;
  parse) run parse ;;
  *) run read & run parse; wait ;;
esac
