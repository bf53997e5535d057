#!/usr/bin/env bash
# Installs the Debian packages Orvane needs to build, run and test. Safe to run again.
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/packages.sh"
PACKAGES=("${ORVANE_RUNTIME_PACKAGES[@]}" "${ORVANE_BUILD_PACKAGES[@]}")

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
