#!/usr/bin/env bash
# THIRD-PARTY-NOTICES.txt names every library the static Qt bundled (lib/libQt6Bundled*.a):
# a Qt built with one more needs scripts/windows-notices.py run again.
#   windows-notices.sh NOTICES QT_LIB_DIR
set -euo pipefail
listed=$(grep '^  - ' "$1")
found=0
missing=0
for archive in "$2"/libQt6Bundled*.a; do
    [[ -e "$archive" ]] || continue
    found=$((found + 1))
    name=$(basename "$archive" .a)
    name=${name#libQt6Bundled}
    grep -qi -- "$name" <<<"$listed" || { echo "FAIL: the notices do not name $name" >&2; missing=1; }
done
((found > 0)) || { echo "FAIL: no bundled library in $2" >&2; exit 1; }
exit "$missing"
