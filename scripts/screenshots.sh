#!/usr/bin/env bash
# Builds the screen harness and renders every view state of the Orvane.Ui screens into
# build/screenshots/*.png: light chrome at 900 × 700 and 1920 × 1080, the main states dark too.
# Extra arguments go to the harness (for example --only thumbnails,result-captures).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${ORVANE_BUILD_DIR:-$here/build}"
"$here/scripts/setup.sh"
cmake -S "$here" -B "$build" -G Ninja -DORVANE_BUILD_TESTS=ON >/dev/null
cmake --build "$build" --target orvane-ui-screenshots
out="$build/screenshots"
mkdir -p "$out"
harness=(xvfb-run -a -s "-screen 0 2000x1200x24" "$build/tests/ui/orvane-ui-screenshots" --out "$out")
"${harness[@]}" "$@"
"${harness[@]}" --scheme dark --suffix -dark --sizes 900x700 \
  --only dashboard-drive,thumbnails,preview-single,merge-review,export-bar,result-captures,about-update,alert,window-browser "$@"
echo "Screenshots are in $out"
