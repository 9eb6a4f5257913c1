#!/usr/bin/env bash
# Builds the Debian package from an already built tree and checks what it holds: the
# program, the desktop entry, every hicolor icon, the metainfo, the manual page, copyright,
# changelog and lintian overrides and nothing else, a Depends field filled in by
# dpkg-shlibdeps, and that lintian finds no error and no warning.
#   deb-package.sh BUILD_DIR WORK_DIR ICONS_SOURCE_DIR APP_ID
# WORK_DIR lies inside the build tree, so runs in different build trees never share files.
set -euo pipefail
build=$1
work_parent=$2
icons=$3
app_id=$4

mkdir -p "$work_parent"
work=$(mktemp -d "$work_parent/deb.XXXXXX")
trap 'rm -rf "$work"' EXIT

# As a desktop user builds it: many desktops set umask 002, which must not reach the package.
umask 002
if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    echo "FAIL: cpack -G DEB failed" >&2
    exit 1
fi
shopt -s nullglob
debs=("$work/out"/*.deb)
shopt -u nullglob
if ((${#debs[@]} != 1)); then
    cat "$work/cpack.log"
    echo "FAIL: expected one .deb, found ${#debs[@]}" >&2
    exit 1
fi
deb=${debs[0]}
echo "package: $(basename "$deb")"

fail=0
problem() {
    echo "FAIL: $*" >&2
    fail=1
}

# ---- control fields
field() { dpkg-deb -f "$deb" "$1"; }
[[ "$(field Package)" == vellacor ]] || problem "Package is '$(field Package)'"
[[ "$(field Maintainer)" == "Tamsel <tamsel@example.com>" ]] ||
    problem "Maintainer is '$(field Maintainer)'"
[[ "$(basename "$deb")" == "vellacor_$(field Version)_$(field Architecture).deb" ]] ||
    problem "file name $(basename "$deb") does not match the control fields"
depends=$(field Depends)
echo "Depends: $depends"
# Only dpkg-shlibdeps, reading the binary's NEEDED entries, puts the Qt library package here.
grep -qE '(^|[ ,])libqt6widgets6([ ,(]|$)' <<<"$depends" ||
    problem "Depends does not name libqt6widgets6"
grep -qE '(^|[ ,])libc6([ ,(]|$)' <<<"$depends" || problem "Depends does not name libc6"
grep -qE '(^|[ ,])qt6-wayland([ ,(]|$)' <<<"$depends" || problem "Depends does not name qt6-wayland"

# ---- file list
listing=$(dpkg-deb -c "$deb")
files=$(awk '$1 !~ /^d/ {print $6}' <<<"$listing" | sort)

expected=(
    ./usr/bin/vellacor
    "./usr/share/applications/$app_id.desktop"
    "./usr/share/metainfo/$app_id.metainfo.xml"
    ./usr/share/man/man1/vellacor.1.gz
    ./usr/share/doc/vellacor/copyright
    ./usr/share/doc/vellacor/changelog.Debian.gz
    ./usr/share/lintian/overrides/vellacor
)
icon_count=0
while IFS= read -r png; do
    expected+=("./usr/share/icons/hicolor/${png#"$icons"/}")
    icon_count=$((icon_count + 1))
done < <(find "$icons" -name '*.png' | sort)
((icon_count > 0)) || problem "no icons found under $icons"

for path in "${expected[@]}"; do
    grep -qxF "$path" <<<"$files" || problem "the package lacks $path"
done
while IFS= read -r path; do
    printf '%s\n' "${expected[@]}" | grep -qxF "$path" || problem "unexpected file $path"
done <<<"$files"

# The program is an executable owned by root.
grep -qE '^-rwxr-xr-x root/root .* \./usr/bin/vellacor$' <<<"$listing" ||
    problem "./usr/bin/vellacor is not an executable owned by root: $(grep 'usr/bin/vellacor' <<<"$listing")"

# ---- the desktop entry and metainfo inside the package point at what the package holds
dpkg-deb -x "$deb" "$work/root"
desktop="$work/root/usr/share/applications/$app_id.desktop"
if [[ -f "$desktop" ]]; then
    exec_cmd=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
    [[ -x "$work/root/usr/bin/$exec_cmd" ]] || problem "Exec=$exec_cmd is not in /usr/bin"
    icon=$(sed -n 's/^Icon=//p' "$desktop")
    [[ -n "$(find "$work/root/usr/share/icons/hicolor" -name "$icon.png" 2>/dev/null)" ]] ||
        problem "Icon=$icon has no icon in the package"
fi

# ---- lintian, at its default level: no error, no warning
if command -v lintian >/dev/null; then
    # At the info level too, where lintian says an override matched nothing (the form of a
    # tag's context changes between lintian versions).
    report=$(lintian --info "$deb" 2>&1 | grep -v 'running with root privileges' || true)
    [[ -z "$report" ]] || echo "$report"
    if grep -qE '^[EW]: ' <<<"$report"; then
        problem "lintian reports errors or warnings"
    fi
    if grep -qiE 'unused[- ]override|mismatched-override' <<<"$report"; then
        problem "an override in dist/debian/lintian-overrides matches nothing"
    fi
else
    problem "lintian is not installed (scripts/deps.sh test installs it)"
fi

if ((fail)); then
    echo "$listing"
    exit 1
fi
echo "ok: ${#expected[@]} files, $icon_count icons"
