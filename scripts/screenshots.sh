#!/usr/bin/env bash
# Builds the screen harness and renders the real window in every named state into
# build/screenshots/*.png: light chrome at 900 × 700 and 1920 × 1080, the main states dark too,
# and every state in English (*-en.png) at 900 × 700.
# Extra arguments go to the harness (for example --only window-browser,preview-grid).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${ORVANE_BUILD_DIR:-$here/build}"
"$here/scripts/setup.sh"
cmake -S "$here" -B "$build" -G Ninja -DORVANE_BUILD_TESTS=ON >/dev/null
cmake --build "$build" --target orvane-ui-screenshots
out="$build/screenshots"
mkdir -p "$out"
harness=(xvfb-run -a -s "-screen 0 2000x1200x24" "$build/tests/app/orvane-ui-screenshots" --out "$out")
"${harness[@]}" "$@"
"${harness[@]}" --scheme dark --suffix -dark --sizes 900x700 \
  --only window-browser,preview-single,preview-grid,merge-review,window-export,window-result,window-about,window-error,dashboard-states "$@"
# Every scene in English too, at the smallest window, where longer texts are tightest.
"${harness[@]}" --language en --suffix -en --sizes 900x700 "$@"
echo "Screenshots are in $out"
