#!/usr/bin/env bash
# Builds the release archive Orvane-<version>-linux-<arch>.tar.gz and the Debian package
# orvane_<version>_<arch>.deb into dist/ (or $ORVANE_DIST_DIR) from a Release build in build-release/
# (or $ORVANE_RELEASE_BUILD_DIR). Extra arguments go to cmake.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${ORVANE_RELEASE_BUILD_DIR:-$here/build-release}"
dist="${ORVANE_DIST_DIR:-$here/dist}"

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVANE_BUILD_TESTS=OFF \
  -DORVANE_BUILD_BENCH=OFF "$@" >/dev/null
cmake --build "$build"
mkdir -p "$dist"
cpack --config "$build/CPackConfig.cmake" -B "$dist" >/dev/null
rm -rf "$dist/_CPack_Packages"
archive=$(ls -t "$dist"/Orvane-*.tar.gz | head -n 1)
echo "package.sh: $archive ($(du -h "$archive" | cut -f1))"
deb=$(ls -t "$dist"/orvane_*.deb | head -n 1)
echo "package.sh: $deb ($(du -h "$deb" | cut -f1)); install it with: sudo apt install $deb"
