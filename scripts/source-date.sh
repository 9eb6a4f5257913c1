#!/usr/bin/env bash
# Prints the time a release takes for every date it holds, in seconds since 1970 (UTC):
# SOURCE_DATE_EPOCH when it is set, else the time of the checkout's commit, else, in a source
# archive, the commit time that `git archive` wrote into dist/source-date.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

if [[ -n "${SOURCE_DATE_EPOCH:-}" ]]; then
    [[ "$SOURCE_DATE_EPOCH" =~ ^[0-9]+$ ]] ||
        { echo "SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH is not a number of seconds" >&2; exit 1; }
    echo "$SOURCE_DATE_EPOCH"
    exit 0
fi
# Only this checkout's own history: an unpacked archive may sit inside another repository.
top=$(git -C "$root" rev-parse --show-toplevel 2>/dev/null || true)
if [[ -n "$top" && "$(cd "$top" && pwd -P)" == "$(cd "$root" && pwd -P)" ]]; then
    git -C "$root" log -1 --format=%ct
    exit 0
fi
stamp=$(cat "$root/dist/source-date" 2>/dev/null || true)
if [[ "$stamp" =~ ^[0-9]+$ ]]; then
    echo "$stamp"
    exit 0
fi
echo "no time for the release: not a git checkout, no dated source archive, and no" \
    "SOURCE_DATE_EPOCH" >&2
exit 1
