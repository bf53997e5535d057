#!/usr/bin/env bash
# Packs the built programs of BUILD_DIR as the Debian package and the release archive (CPack, as
# scripts/package.sh does) and checks them: the package's Depends is exactly the run-time list of
# scripts/packages.sh, it installs exactly the expected files (and the archive its own), the desktop
# entry and the AppStream metainfo validate, and lintian finds no error (its warnings are printed).
# Usage: check-deb.sh BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
source "$root/scripts/packages.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "check-deb: $*" >&2
  exit 1
}

(cd "$work" && cpack --config "$build/CPackConfig.cmake" -B "$work/dist" >"$work/cpack.log" 2>&1) ||
  { cat "$work/cpack.log" >&2; fail "cpack failed"; }
deb=$(ls "$work"/dist/orvane_*_*.deb 2>/dev/null | head -n 1)
archive=$(ls "$work"/dist/Orvane-*.tar.gz 2>/dev/null | head -n 1)
[ -n "$deb" ] || fail "no orvane_<version>_<arch>.deb made"
[ -n "$archive" ] || fail "no release archive made"

# Depends: the run-time list, nothing more or less.
depends=$(dpkg-deb -f "$deb" Depends | tr ',' '\n' | sed 's/^ *//; s/ *$//' | sort)
listed=$(printf '%s\n' "${ORVANE_RUNTIME_PACKAGES[@]}" | sort)
[ "$depends" = "$listed" ] || fail "Depends differs from the run-time list of scripts/packages.sh:
$(diff <(echo "$listed") <(echo "$depends") || true)"

# The files each package installs (folders left out). The archive keeps the bundle's own files; the
# package carries the package-managed marker instead, so the updater leaves it to the package manager.
icons=""
for size in 16 24 32 48 64 128 256; do
  icons+="share/icons/hicolor/${size}x${size}/apps/orvane.png"$'\n'
done
common="bin/Orvane
bin/orvane-cli
share/applications/orvane.desktop
share/bash-completion/completions/orvane-cli
${icons}share/icons/hicolor/scalable/apps/orvane.svg
share/man/man1/orvane-cli.1.gz
share/man/man1/orvane.1.gz
share/metainfo/example.orvane.Orvane.metainfo.xml"
expected_deb=$(printf '%s\n' "$common" bin/orvane share/man/man1/Orvane.1.gz share/orvane/package-managed \
  share/doc/orvane/changelog.gz share/doc/orvane/copyright | sed 's|^|/usr/|' | sort)
actual_deb=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\./|/|' | sort)
[ "$expected_deb" = "$actual_deb" ] || fail "the package's files differ from those expected:
$(diff <(echo "$expected_deb") <(echo "$actual_deb") || true)"
expected_archive=$(printf '%s\n' "$common" share/orvane/installed-bundle share/orvane/replace-bundle.sh \
  share/orvane/install.sh share/orvane/packages.sh | sed 's|^|Orvane/|' | sort)
actual_archive=$(tar -tzvf "$archive" | awk '$1 !~ /^d/ { print $6 }' | sort)
[ "$expected_archive" = "$actual_archive" ] || fail "the release archive's files differ from those expected:
$(diff <(echo "$expected_archive") <(echo "$actual_archive") || true)"
dpkg-deb -x "$deb" "$work/root"
[ "$(readlink "$work/root/usr/bin/orvane")" = Orvane ] || fail "/usr/bin/orvane is not a link to Orvane"
desktop-file-validate "$work/root/usr/share/applications/orvane.desktop" || fail "the desktop entry does not validate"
grep -q '^MimeType=.*inode/directory;' "$work/root/usr/share/applications/orvane.desktop" ||
  fail "the desktop entry does not offer Orvane for folders"
appstreamcli validate --no-net --explain "$work/root/usr/share/metainfo/example.orvane.Orvane.metainfo.xml" ||
  fail "the metainfo does not validate"

# lintian: errors fail, warnings are listed for the release notes.
lintian --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 || true
cat "$work/lintian.log"
if grep -q '^E:' "$work/lintian.log"; then
  fail "lintian reports errors"
fi
echo "check-deb: $(basename "$deb") and $(basename "$archive") are as expected"
