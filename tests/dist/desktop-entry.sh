#!/usr/bin/env bash
# The desktop entry passes desktop-file-validate with no error and no warning (hints are
# allowed), and names the installed program and icon.
#   desktop-entry.sh FILE.desktop
set -euo pipefail
file=$1

output=$(desktop-file-validate "$file" 2>&1) || { echo "$output"; exit 1; }
[[ -z "$output" ]] || echo "$output"
if grep -qE ': (error|warning): ' <<<"$output"; then
    echo "FAIL: desktop-file-validate reported problems" >&2
    exit 1
fi

fail=0
expect() {
    if ! grep -qxF "$1" "$file"; then
        echo "FAIL: $file lacks the line '$1'" >&2
        fail=1
    fi
}
expect 'Type=Application'
expect 'Name=Vellacor'
expect 'GenericName=Subnet Calculator'
expect 'Exec=vellacor'
expect 'Icon=vellacor'
expect 'Terminal=false'
expect 'StartupWMClass=Vellacor'
exit "$fail"
