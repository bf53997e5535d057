#!/usr/bin/env bash
# Checks the package list against what the program really loads: every QML module, plugin and
# shared library mapped while every screen and dialog is open must come from a package in
# scripts/packages.sh or from one of their dependencies. Independent of what this machine
# happens to have installed beyond the list.
# Usage: check-packages.sh BUILD_DIR
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
build=${1:-build}
source scripts/packages.sh

maps=$(mktemp)
trap 'rm -f "$maps"' EXIT
ORVANE_LOADED_FILES_OUT="$maps" QT_QPA_PLATFORM=offscreen \
  "$build/tests/app/orvane_app_tests" --gtest_filter='QmlModuleLoadTest.EveryFile*' >/dev/null

# The listed packages, those every Debian system has (Essential), and all they depend on (every
# alternative of an "a | b", every provider of a virtual package), from one dump of the database.
mapfile -t closure_list < <(
  dpkg-query -W -f='${Package}\t${Essential}\t${Depends}, ${Pre-Depends}\t${Provides}\n' |
    awk -F'\t' -v listed="${ORVANE_RUNTIME_PACKAGES[*]} ${ORVANE_BUILD_PACKAGES[*]}" '
      function names(text, out,   parts, n, i, name) {
        gsub(/\([^)]*\)/, "", text); gsub(/:any/, "", text); gsub(/\|/, ",", text)
        n = split(text, parts, ",")
        for (i = 1; i <= n; i++) { name = parts[i]; gsub(/ /, "", name); if (name != "") out[name] = 1 }
      }
      {
        depends[$1] = $3
        if ($2 == "yes") queue[++tail] = $1
        split("", provided); names($4, provided)
        for (v in provided) providers[v] = providers[v] " " $1
      }
      END {
        n = split(listed, first, " ")
        for (i = 1; i <= n; i++) queue[++tail] = first[i]
        for (head = 1; head <= tail; head++) {
          p = queue[head]
          if (p in seen) continue
          seen[p] = 1; print p
          split("", next_); names(depends[p], next_)
          m = split(providers[p], alt, " ")
          for (j = 1; j <= m; j++) next_[alt[j]] = 1
          for (d in next_) if (!(d in seen)) queue[++tail] = d
        }
      }')
declare -A closure=()
for package in "${closure_list[@]}"; do closure[$package]=1; done

# Every file the process mapped from the system, and its package.
mapfile -t files < <(awk '$6 ~ /^\/usr\// { print $6 }' "$maps" | sort -u)
status=0
while IFS= read -r line; do
  owner=${line%%: *}
  owner=${owner%%:*} # drop an architecture
  file=${line#*: }
  if [ -z "${closure[$owner]:-}" ]; then
    echo "check-packages: $file comes from $owner, which scripts/packages.sh does not bring in" >&2
    status=1
  fi
done < <(dpkg-query -S "${files[@]}" 2>/dev/null | grep -v '^diversion' || true)
[ "$status" -eq 0 ] && echo "check-packages: every loaded file comes from the listed packages"
exit "$status"
