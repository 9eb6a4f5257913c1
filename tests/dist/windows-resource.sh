#!/usr/bin/env bash
# The Windows version information and icon. Given the configured resource script, it is
# compiled with MinGW's windres (skipped, exit 77, when that is not installed); given the
# built Vellacor.exe, they are read back from the program with wrestool (icoutils). Either
# way the result must hold the version strings (UTF-16LE), the fixed version numbers and the
# IDI_ICON1 icon group; the program, also its ten icon images and its manifest.
#   windows-resource.sh BUILD/dist/vellacor.rc|Vellacor.exe WORK_DIR PROJECT_VERSION
set -euo pipefail
rc=$1
work_parent=$2
IFS=. read -r major minor patch tweak <<<"$3"
patch=${patch:-0}
tweak=${tweak:-0}
# The version strings show major.minor with a two-digit minor: 1.1.0.0 reads "1.01".
version_text=$(printf '%d.%02d' "$major" "$minor")

mkdir -p "$work_parent"
work=$(mktemp -d "$work_parent/windres.XXXXXX")
trap 'rm -rf "$work"' EXIT

if [[ "$rc" == *.exe ]]; then
    command -v wrestool >/dev/null || { echo "FAIL: wrestool not found (Debian package icoutils)" >&2; exit 1; }
    wrestool -x --raw --type=16 "$rc" >"$work/vellacor.res"
    listing=$(wrestool -l "$rc")
    if ! grep -q "^--type=14 --name='IDI_ICON1' " <<<"$listing"; then
        echo "FAIL: the program has no IDI_ICON1 icon group" >&2
        exit 1
    fi
    # The manifest: Windows 10 and 11 known, per-monitor DPI, long paths, no UTF-8 code page.
    manifest=$(wrestool -x --raw --type=24 "$rc")
    for s in '{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}' '>PerMonitorV2' '>true</longPathAware>' \
        Microsoft.Windows.Common-Controls; do
        grep -qF -- "$s" <<<"$manifest" || { echo "FAIL: the manifest lacks $s" >&2; exit 1; }
    done
    if grep -q '<activeCodePage' <<<"$manifest"; then
        echo "FAIL: the manifest sets a code page; the report must stay in the ANSI one" >&2
        exit 1
    fi
    icons=$(grep -c '^--type=3 ' <<<"$listing" || true)
    if ((icons != 10)); then
        echo "FAIL: the program holds $icons icon images, not 10" >&2
        exit 1
    fi
else
    windres=x86_64-w64-mingw32-windres
    if ! command -v "$windres" >/dev/null; then
        echo "SKIP: $windres not found (Debian package binutils-mingw-w64-x86-64)"
        exit 77
    fi
    # windres runs the C preprocessor first, by default the MinGW gcc; without that, the
    # host's cpp does the same job for this file.
    preprocess=()
    if ! command -v x86_64-w64-mingw32-gcc >/dev/null; then
        preprocess=(--preprocessor=cpp --preprocessor-arg=-DRC_INVOKED)
    fi
    "$windres" "${preprocess[@]}" --input-format=rc --output-format=res \
        -i "$rc" -o "$work/vellacor.res"
    "$windres" "${preprocess[@]}" --input-format=rc --output-format=coff \
        -i "$rc" -o "$work/vellacor.o"
    [[ -s "$work/vellacor.o" ]] || { echo "FAIL: empty object file" >&2; exit 1; }
fi

# Hex of a string as UTF-16LE, without relying on iconv being present.
utf16() {
    local s=$1 out='' i
    for ((i = 0; i < ${#s}; i++)); do
        out+=$(printf '%02x00' "'${s:i:1}")
    done
    printf '%s' "$out"
}
hex=$(od -An -v -tx1 "$work/vellacor.res" | tr -d ' \n')

fail=0
expect() {
    local label=$1 pattern=$2
    if [[ "$hex" != *"$pattern"* ]]; then
        echo "FAIL: the resource lacks $label" >&2
        fail=1
    fi
}
for s in "Subnet Calculator" "Vellacor.exe" "Vellacor" "Tamsel" "$version_text" "040904b0"; do
    expect "\"$s\"" "$(utf16 "$s")"
done
# The copyright sign must come out as U+00A9, not as a mangled byte sequence.
expect '"Copyright © Tamsel"' "$(utf16 "Copyright ")a900$(utf16 " Tamsel")"
# VS_FIXEDFILEINFO: signature 0xFEEF04BD, struct version 1.0, then FILEVERSION and
# PRODUCTVERSION, each as the little-endian 16-bit words minor, major, tweak, patch.
word() { printf '%02x%02x' $(($1 & 255)) $(($1 >> 8)); }
numbers=$(word "$minor")$(word "$major")$(word "$tweak")$(word "$patch")
expect "FILEVERSION and PRODUCTVERSION $major,$minor,$patch,$tweak" \
    "bd04effe00000100$numbers$numbers"
# The icon group (RT_GROUP_ICON, type 14) named IDI_ICON1, in the compiled script.
if [[ "$rc" != *.exe ]]; then
    expect "the IDI_ICON1 icon group" "ffff0e00$(utf16 IDI_ICON1)"
fi
exit "$fail"
