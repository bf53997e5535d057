#!/usr/bin/env bash
# Installs an Orvane release for the current user.
# Usage: install.sh ARCHIVE [PREFIX]
#   ARCHIVE  a release archive, Orvane-<version>-linux-<arch>.tar.gz (made by scripts/package.sh)
#   PREFIX   the folder the bundle becomes (default ~/.local/opt/Orvane)
# The release is unpacked beside PREFIX and swapped in whole, so an interrupted install leaves the
# old copy or the new one, never a mix. Then ~/.local/bin/orvane (the window) and orvane-cli are
# linked to it, the desktop entry, icon, manual pages and bash completion are registered, and Debian
# packages the programs still need are named.
set -euo pipefail

die() {
  echo "install.sh: $*" >&2
  exit 1
}
[ $# -ge 1 ] && [ $# -le 2 ] || { echo "usage: install.sh ARCHIVE [PREFIX]" >&2; exit 2; }

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
archive=$1
prefix=${2:-$HOME/.local/opt/Orvane}
case "$prefix" in /*) ;; *) prefix="$PWD/$prefix" ;; esac
prefix=${prefix%/}
bin_home="$HOME/.local/bin"
data_home="${XDG_DATA_HOME:-$HOME/.local/share}"

[ -f "$archive" ] || die "no such archive: $archive"
listing=$(tar -tzf "$archive") || die "cannot read $archive"
# One top folder, Orvane/, and no name that climbs out of it.
if printf '%s\n' "$listing" | grep -qvE '^(\./)?Orvane(/|$)' ||
  printf '%s\n' "$listing" | grep -qE '(^|/)\.\.(/|$)'; then
  die "$archive is not an Orvane release (everything must lie under Orvane/)"
fi

parent=$(dirname -- "$prefix")
mkdir -p -- "$parent"
work=$(mktemp -d -- "$parent/.Orvane-install.XXXXXX")
entries=""
trap 'rm -rf -- "$work" ${entries:+"$entries"}' EXIT
tar -xzf "$archive" -C "$work" --no-same-owner
[ -x "$work/Orvane/bin/Orvane" ] || [ -x "$work/Orvane/bin/orvane-cli" ] || die "$archive holds no Orvane programs"
bash "$here/replace-bundle.sh" "$work/Orvane" "$prefix"
echo "install.sh: installed in $prefix"

# Replaces a link in one rename, so the command never goes missing.
link_program() {
  mkdir -p -- "$bin_home"
  ln -sfn -- "$1" "$bin_home/.$2.$$"
  mv -Tf -- "$bin_home/.$2.$$" "$bin_home/$2"
  echo "install.sh: $bin_home/$2 -> $1"
}

# An Exec argument: quoted for the desktop entry, then escaped as a desktop-entry string.
desktop_argument() {
  local s=$1
  s=${s//\\/\\\\}
  s=${s//\"/\\\"}
  s=${s//\`/\\\`}
  s=${s//\$/\\\$}
  s="\"$s\""
  s=${s//\\/\\\\}
  printf '%s' "${s//%/%%}"
}

register_desktop_entry() {
  if [ ! -f "$prefix/share/applications/orvane.desktop" ] || [ ! -f "$prefix/share/icons/hicolor/scalable/apps/orvane.svg" ]; then
    echo "install.sh: this release has no desktop entry or icon; nothing registered" >&2
    return
  fi
  # xdg-desktop-menu mishandles some characters in the entry's own path: write it to a plain one.
  local line
  entries=$(mktemp -d)
  while IFS= read -r line; do
    case "$line" in
      Exec=*) printf 'Exec=%s%s\n' "$(desktop_argument "$prefix/bin/Orvane")" "${line#Exec=Orvane}" ;;
      *) printf '%s\n' "$line" ;;
    esac
  done <"$prefix/share/applications/orvane.desktop" >"$entries/orvane.desktop"
  if command -v xdg-desktop-menu >/dev/null 2>&1; then
    xdg-desktop-menu install --mode user --novendor "$entries/orvane.desktop" || true
  fi
  if ! cmp -s "$entries/orvane.desktop" "$data_home/applications/orvane.desktop"; then
    mkdir -p -- "$data_home/applications"
    cp -- "$entries/orvane.desktop" "$data_home/applications/orvane.desktop"
    if command -v update-desktop-database >/dev/null 2>&1; then
      update-desktop-database -q "$data_home/applications" || true
    fi
  fi
  # xdg-icon-resource takes only PNG and XPM files: the scalable icon is copied into the theme.
  local icons="$data_home/icons/hicolor"
  mkdir -p -- "$icons/scalable/apps"
  cp -- "$prefix/share/icons/hicolor/scalable/apps/orvane.svg" "$icons/scalable/apps/orvane.svg"
  if command -v xdg-icon-resource >/dev/null 2>&1; then
    xdg-icon-resource forceupdate --mode user || true
  elif command -v gtk-update-icon-cache >/dev/null 2>&1; then
    gtk-update-icon-cache -q -t -f "$icons" 2>/dev/null || true
  fi
  echo "install.sh: registered the desktop entry and icon in $data_home"
}

# The manual pages (man finds ~/.local/share/man through ~/.local/bin on PATH) and orvane-cli's
# bash completion, where bash-completion looks for a user's own.
register_manuals_and_completion() {
  local page completion="$prefix/share/bash-completion/completions/orvane-cli"
  for page in "$prefix"/share/man/man1/*.1.gz; do
    [ -f "$page" ] || continue
    mkdir -p -- "$data_home/man/man1"
    cp -- "$page" "$data_home/man/man1/"
    echo "install.sh: manual page $data_home/man/man1/$(basename -- "$page")"
  done
  if [ -f "$completion" ]; then
    mkdir -p -- "$data_home/bash-completion/completions"
    cp -- "$completion" "$data_home/bash-completion/completions/orvane-cli"
    echo "install.sh: bash completion $data_home/bash-completion/completions/orvane-cli"
  fi
}

[ -x "$prefix/bin/orvane-cli" ] && link_program "$prefix/bin/orvane-cli" orvane-cli
register_manuals_and_completion
if [ -x "$prefix/bin/Orvane" ]; then
  link_program "$prefix/bin/Orvane" orvane
  register_desktop_entry
else
  echo "install.sh: this release has no window (bin/Orvane); only the command line is installed" >&2
fi

# Qt, FFmpeg and the QML modules come from Debian's packages; name the ones this desktop lacks.
debian_package() { # libFoo.so.N -> libfooN, libFoo2.so.N -> libfoo2-N (Debian's library package names)
  local name=${1%%.so.*} version=${1##*.so.}
  name=${name,,}
  case "$name" in
    *[0-9]) printf '%s-%s\n' "$name" "$version" ;;
    *) printf '%s%s\n' "$name" "$version" ;;
  esac
}
needed=()
for program in "$prefix/bin/Orvane" "$prefix/bin/orvane-cli"; do
  [ -x "$program" ] || continue
  while read -r library; do
    needed+=("$(debian_package "$library")")
  done < <(ldd "$program" 2>/dev/null | awk '/not found/ { print $1 }')
done
if command -v dpkg-query >/dev/null 2>&1; then
  # The list ships beside this script (share/orvane/packages.sh; scripts/ in the source tree).
  runtime=()
  packages="$(dirname "${BASH_SOURCE[0]}")/packages.sh"
  if [ -r "$packages" ]; then
    source "$packages"
    runtime=("${ORVANE_RUNTIME_PACKAGES[@]}")
  fi
  for package in "${runtime[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || needed+=("$package")
  done
fi
if [ "${#needed[@]}" -gt 0 ]; then
  mapfile -t needed < <(printf '%s\n' "${needed[@]}" | sort -u)
  echo "install.sh: Orvane also needs these Debian packages: ${needed[*]}" >&2
  echo "install.sh: sudo apt-get install ${needed[*]}" >&2
fi
