#!/usr/bin/env bash
# The AppStream metainfo passes appstreamcli's validator offline (it fails on errors and
# warnings; infos and pedantic notes are allowed) and points at the desktop entry.
#   metainfo.sh FILE.metainfo.xml
set -euo pipefail
file=$1

appstreamcli validate --no-net "$file"

id=$(basename "$file" .metainfo.xml)
fail=0
expect() {
    if ! grep -qF "$1" "$file"; then
        echo "FAIL: $file lacks '$1'" >&2
        fail=1
    fi
}
expect "<id>$id</id>"
expect "<launchable type=\"desktop-id\">$id.desktop</launchable>"
expect '<release version="1.1" date="2026-12-07"'
expect '<content_rating type="oars-1.1"'
exit "$fail"
