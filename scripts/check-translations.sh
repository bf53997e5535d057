#!/usr/bin/env bash
# The English translation against the programs' texts. lupdate reads every text of src/ and of the
# command line (tools/orvane-cli) into a
# copy of src/app/translations/orvane_en.ts; a text that is new or changed shows there as
# unfinished, and the check fails naming it. With --update the file itself is brought up to date
# (new texts unfinished, texts no longer used removed) for a translator to fill in.
#
#   scripts/check-translations.sh [--update] [LUPDATE]
set -euo pipefail

update=0
if [[ ${1:-} == --update ]]; then
  update=1
  shift
fi
lupdate=${1:-$(command -v lupdate || echo /usr/lib/qt6/bin/lupdate)}
root=$(cd "$(dirname "$0")/.." && pwd)
translation=$root/src/app/translations/orvane_en.ts

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$translation" "$work/orvane_en.ts"
(cd "$root" && "$lupdate" -silent -locations none -no-obsolete -source-language zh_CN \
  -target-language en_US src tools/orvane-cli -ts "$work/orvane_en.ts")
if ((update)); then
  cp "$work/orvane_en.ts" "$translation"
fi
# Each unfinished translation names the text it belongs to: the last <source> before it (a
# translator's comment may stand between the two).
missing=$(awk '/<source>/ { text = $0; sub(/.*<source>/, "", text); sub(/<\/source>.*/, "", text) }
               /type="unfinished"/ { print (text == "" ? "(a text without a source line)" : text) }' \
  "$work/orvane_en.ts")
if [[ -n $missing ]]; then
  echo "Texts without an English translation in src/app/translations/orvane_en.ts:" >&2
  echo "$missing" >&2
  exit 1
fi
