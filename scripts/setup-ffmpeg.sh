#!/usr/bin/env bash
# Installs the ffmpeg program and links it where Orvane looks first: bin/ffmpeg next to the
# built executables (orvane-cli, Orvane). Usage: scripts/setup-ffmpeg.sh [build folder]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-${ORVANE_BUILD_DIR:-$here/build}}"

if ! command -v ffmpeg >/dev/null 2>&1; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  $SUDO apt-get update -q
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends ffmpeg
fi
ffmpeg_path="$(command -v ffmpeg)"

linked=0
for exe in "$build/tools/orvane-cli/orvane-cli" "$build/src/main/Orvane" "$build/bin/Orvane"; do
  if [ -x "$exe" ]; then
    dir="$(dirname "$exe")/bin"
    mkdir -p "$dir"
    ln -sf "$ffmpeg_path" "$dir/ffmpeg"
    echo "setup-ffmpeg: linked $dir/ffmpeg -> $ffmpeg_path"
    linked=1
  fi
done
if [ "$linked" -eq 0 ]; then
  echo "setup-ffmpeg: $ffmpeg_path installed (no built executable in $build yet; /usr/bin/ffmpeg is found anyway)"
fi
