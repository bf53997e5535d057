#!/usr/bin/env bash
# Builds the container fuzzer with clang and runs it for SECONDS (default 600) on seeds made by the
# sample drive (a whole encrypted clip, and its header alone). Usage: fuzz/run-container-fuzz.sh [SECONDS]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${ORVANE_FUZZ_BUILD_DIR:-$here/build-fuzz}"
seconds="${1:-600}"
CC=clang CXX=clang++ cmake -S "$here" -B "$build" -G Ninja -DORVANE_FUZZ=ON -DORVANE_BUILD_TESTS=OFF \
  -DORVANE_BUILD_BENCH=OFF >/dev/null
ninja -C "$build" container_header_fuzz
sampleDrive="${ORVANE_SAMPLE_DRIVE:-$build/tools/sample-drive/orvane-sample-drive}"
[ -x "$sampleDrive" ] || ninja -C "$build" orvane-sample-drive

corpus="$build/fuzz-corpus/container"
mkdir -p "$corpus" "$build/fuzz-artifacts/container"
if [ -z "$(ls -A "$corpus")" ]; then
  # The seeds hold plain pages (the fuzzer encrypts them): the header of a sample container
  # followed by the start of a plain clip.
  "$sampleDrive" --clip front --size 16x16 --minute-seconds 0.2 --damage encrypted "$corpus/sealed.mp4"
  "$sampleDrive" --clip front --size 16x16 --minute-seconds 0.2 "$build/fuzz-plain.mp4"
  { head -c 8192 "$corpus/sealed.mp4"; cat "$build/fuzz-plain.mp4"; } >"$corpus/header-and-plain.mp4"
  head -c 8192 "$corpus/sealed.mp4" >"$corpus/header.bin"
  rm -f "$corpus/sealed.mp4"
fi
"$build/fuzz/container_header_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 \
  -max_len=65536 -dict="$here/fuzz/container.dict" -print_final_stats=1 \
  -artifact_prefix="$build/fuzz-artifacts/container/" "$corpus"
