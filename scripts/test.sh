#!/usr/bin/env bash
# Sets everything up, builds Orvane with its tests and runs them all.
# Extra arguments go to cmake (for example -DORVANE_SANITIZE=ON with ORVANE_BUILD_DIR=build-asan).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${ORVANE_BUILD_DIR:-$here/build}"
"$here/scripts/setup.sh"
ORVANE_BUILD_DIR="$build" "$here/scripts/build.sh" -DORVANE_BUILD_TESTS=ON "$@"
cd "$build"
# Screens with video need a real X server; everything else runs headless under it too.
exec xvfb-run -a -s "-screen 0 1600x1200x24" ctest --output-on-failure -j2
