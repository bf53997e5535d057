#!/usr/bin/env bash
# Sets everything up, builds Orvane and opens its window on the given TeslaCam folders (or on a
# sample drive made once under the user's cache folder).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${ORVANE_BUILD_DIR:-$here/build}"
"$here/scripts/setup.sh"
cmake -S "$here" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target Orvane orvane-sample-drive

if [ "$#" -eq 0 ]; then
  sample="${XDG_CACHE_HOME:-$HOME/.cache}/orvane/sample-drive"
  if [ ! -f "$sample/.complete" ]; then
    echo "Making a sample drive in $sample …" >&2
    rm -rf "$sample"
    mkdir -p "$sample"
    "$build/tools/sample-drive/orvane-sample-drive" "$sample/TeslaCam" --scale 0.25 --minute-seconds 5
    touch "$sample/.complete"
  fi
  set -- "$sample/TeslaCam"
fi
exec "$build/src/main/Orvane" "$@"
