#!/usr/bin/env bash
# Checks a built API reference: every public header has its page, the page
# carries the header's opening paragraph as its description, and doxygen
# reported nothing. Exit code 77 (skipped) when no reference was built.
#   check.sh <docs-dir> <source-dir> <generated-include-dir>
set -euo pipefail
docs=$1; source=$2; generated=$3
html=$docs/html tag=$docs/nuv.tag
if [ ! -f "$html/index.html" ] || [ ! -f "$tag" ]; then
  if command -v doxygen >/dev/null; then
    echo "skipped: no API reference in $docs (make docs builds it)"
  else
    echo "skipped: doxygen is not installed (scripts/install-deps --docs)"
  fi
  exit 77
fi

# name<TAB>path<TAB>page of every file compound in the tag file.
pages=$(awk '
  /<compound kind="file">/ { file = 1; name = path = "" }
  file && /<name>/     { gsub(/.*<name>|<\/name>.*/, ""); name = $0 }
  file && /<path>/     { gsub(/.*<path>|<\/path>.*/, ""); path = $0 }
  file && /<filename>/ { gsub(/.*<filename>|<\/filename>.*/, ""); print name "\t" path "\t" $0; file = 0 }
' "$tag")

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
count=0
while IFS= read -r header; do
  count=$((count + 1))
  dir=$(dirname "$header")/ base=$(basename "$header")
  page=$(printf '%s\n' "$pages" | awk -F'\t' -v n="$base" -v p="$dir" \
    '$1 == n && (p == $2 || p == $2 "/") { print $3; exit }')
  if [ -z "$page" ]; then fail "$header has no page"; continue; fi
  page=${page%.html}.html
  [ -f "$html/$page" ] || { fail "$header: $page is missing"; continue; }
  grep -q 'name="details"' "$html/$page" || fail "$header: $page has no description"
done < <(find "$source"/{platform,corelib,numlib,maplib,mollib}/include "$generated" \
           -name '*.h' | sort)

for page in ARCHITECTURE CONVENTIONS VERSIONING CHANGELOG; do
  [ -f "$html/md_docs_$page.html" ] || fail "docs/$page.md is not a page"
done
if [ -s "$docs/warnings.log" ]; then
  fail "doxygen warned:"
  cat "$docs/warnings.log"
fi
echo "$count headers checked, $failures failures"
[ "$failures" -eq 0 ]
