#!/bin/bash
# Usage: replace-bundle.sh SOURCE TARGET
# Puts a copy of the bundle folder SOURCE at TARGET so that TARGET is at every moment either the old
# bundle or the new one, whole: the copy is made beside TARGET (same file system) and the two are
# swapped by one rename. Used by install.sh and by the updater's relaunch script.
set -euo pipefail

source=${1:?usage: replace-bundle.sh SOURCE TARGET}
target=${2:?usage: replace-bundle.sh SOURCE TARGET}
target=${target%/}
parent=$(dirname -- "$target")
name=$(basename -- "$target")

mkdir -p -- "$parent"
fresh=$(mktemp -d -- "$parent/.$name.new.XXXXXX")
trap 'rm -rf -- "$fresh"' EXIT
cp -a -- "$source/." "$fresh/"
chmod 755 -- "$fresh"

# renameat2(RENAME_EXCHANGE) swaps two paths atomically; perl (always on Debian) reaches it.
exchange() {
  local number
  case "$(uname -m)" in
    x86_64) number=316 ;;
    aarch64) number=276 ;;
    *) return 1 ;;
  esac
  perl -e 'exit(syscall($ARGV[0], -100, $ARGV[1], -100, $ARGV[2], 2) == 0 ? 0 : 1)' \
    "$number" "$1" "$2" 2>/dev/null
}

if [ ! -e "$target" ] && [ ! -L "$target" ]; then
  mv -T -- "$fresh" "$target"
elif ! exchange "$fresh" "$target"; then
  # File systems without the exchange: two renames, the old copy put back if the second fails.
  mv -T -- "$target" "$fresh.old"
  if ! mv -T -- "$fresh" "$target"; then
    mv -T -- "$fresh.old" "$target"
    exit 1
  fi
  rm -rf -- "$fresh.old"
fi
