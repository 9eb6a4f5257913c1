#!/usr/bin/env bash
# Builds the release of the checkout's commit twice, as two rebuilders who share nothing but
# the commit would, and compares every file of the two release/ folders byte for byte.
#   builder A: a short path, umask 022, the C locale, UTC, this machine's name and clock
#   builder B: another, longer path, umask 002, a German locale, a time zone 13 h 45 min east,
#              another host name (as root, where a UTS namespace can be had), another user
#              (nobody, as root) and a clock 400 days ahead (faketime); a note says which of
#              these it could not vary here
# Builder A's Debian packages are left in build-deb/ for the package tests. A file that differs
# is named and shown with diffoscope. Each check is recorded for its own test (tests/lib.sh):
# one for each kind of file a release holds, by the name the tests know it by (file_id below);
# those of Windows or arm64 are skipped when the release holds none. The last line counts the
# checks, "N passed, M failed".
#   release-twice.sh ARCH...   (this machine's architecture first, then the cross-built one)
set -uo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
. "$repo/tests/lib.sh"
arches=("$@")

rm -rf "$repo/build-deb" # the package tests check only what this run leaves there
work=$(mktemp -d "${TMPDIR:-/tmp}/vellacor-release.XXXXXX")
trap 'rm -rf "$work"' EXIT
chmod 0755 "$work"
commit=$(git -C "$repo" rev-parse HEAD)
a=$work/a/vellacor
b=$work/builder-b/src/another-name-of-the-checkout
for dir in "$a" "$b"; do
    git clone -q "$repo" "$dir" && git -C "$dir" checkout -q --detach "$commit" ||
        { echo "FAIL: could not clone $repo"; exit 1; }
done
echo "commit $commit, built in $a and in $b"

# The Qt for Windows, as scripts/windows.sh finds it; builder B unpacks an archive itself.
qt=${VELLACOR_WINDOWS_QT:-}
if [[ -n "$qt" ]]; then
    qt=$(realpath "$qt")
elif "$repo/scripts/windows-qt.sh" --at-hand >/dev/null; then
    qt=$("$repo/scripts/windows-qt.sh")
fi

echo "== builder A"
a_env=(LC_ALL=C TZ=UTC)
[[ -n "$qt" ]] && a_env+=(VELLACOR_WINDOWS_QT="$qt")
(cd "$a" && umask 022 && env "${a_env[@]}" scripts/release.sh) >"$work/a.log" 2>&1 ||
    { tail -n 40 "$work/a.log"; echo "FAIL: builder A's release"; exit 1; }
tail -n 8 "$work/a.log"

echo "== builder B"
as_b=()
qt_b=$qt
same=() # what builder B cannot vary here, said below
if ((EUID == 0)); then
    # Another host name where a namespace can be had, and another user whose home is its own.
    if unshare --uts true 2>/dev/null; then
        as_b=(unshare --uts bash -c 'hostname another-builder && exec "$@"' builder-b)
    else
        same+=("host name (no UTS namespace here)")
    fi
    # An archive of Qt for Windows that nobody cannot reach (under /root) is handed over.
    if [[ -f "$qt" ]] && ! runuser -u nobody -- test -r "$qt"; then
        cp "$qt" "$work/builder-b/$(basename "$qt")"
        qt_b=$work/builder-b/$(basename "$qt")
    fi
    if [[ -z "$qt" ]] || runuser -u nobody -- test -r "$qt_b"; then
        mkdir -p "$work/builder-b/home"
        chown -R nobody "$work/builder-b"
        as_b+=(runuser -u nobody --)
    else
        same+=("user (nobody cannot read the Qt for Windows in $qt)")
    fi
else
    same+=("user and host name (they need root)")
fi
for what in "${same[@]}"; do
    echo "note: builder B has builder A's $what"
done
b_env=(LANG=de_DE.UTF-8 LANGUAGE=de LC_ALL= TZ=XYZ-13:45 HOME="$work/builder-b/home"
       XDG_CACHE_HOME="$work/builder-b/cache")
[[ -n "$qt" ]] && b_env+=(VELLACOR_WINDOWS_QT="$qt_b")
(cd "$b" && "${as_b[@]}" env "${b_env[@]}" bash -c 'umask 002 && echo "builder B: user $(id -un), host $(hostname)" &&
        exec faketime -f +400d scripts/release.sh') \
    >"$work/b.log" 2>&1 ||
    { tail -n 40 "$work/b.log"; echo "FAIL: builder B's release"; exit 1; }
grep -E '^(builder B|release: Vellacor)' "$work/b.log"
echo "builder B's clock: $(faketime -f +400d date -u '+%Y-%m-%d')"

# Builder A's Debian packages, with each build's log and .changes (scripts/deb.sh's work
# folder), are what the package tests check (tests/package): the release's own packages.
rm -rf "$repo/build-deb" && mkdir -p "$repo/build-deb" &&
    find "$a/build-deb" -maxdepth 1 -type f -exec cp -p -t "$repo/build-deb" {} + ||
    { echo "FAIL: builder A's packages could not be kept in $repo/build-deb"; exit 1; }

echo "== comparing"
# same_in_both NAME: the two releases hold NAME with the same bytes; else shows how they differ.
same_in_both() {
    [[ -f "$a/release/$1" && -f "$b/release/$1" ]] || { echo "   in only one release"; return 1; }
    cmp -s "$a/release/$1" "$b/release/$1" && return 0
    diffoscope --text - --max-text-report-size 20000 "$a/release/$1" "$b/release/$1" 2>&1 |
        head -n 150
    return 1
}
# file_id NAME: the name the tests know a release file by; empty for a file no release holds.
file_id() {
    case $1 in
    vellacor_*.orig.tar.gz) echo release_same_orig ;;
    vellacor_*.dsc) echo release_same_dsc ;;
    vellacor_*.debian.tar.xz) echo release_same_debian_tar ;;
    vellacor_*_*.deb) echo "release_same_deb_$(sed -E 's/.*_([a-z0-9]+)\.deb$/\1/' <<<"$1")" ;;
    vellacor-dbgsym_*_*.deb) echo "release_same_dbgsym_$(sed -E 's/.*_([a-z0-9]+)\.deb$/\1/' <<<"$1")" ;;
    Vellacor.exe) echo release_same_exe ;;
    Vellacor-*-setup.exe) echo release_same_installer ;;
    LICENSE.txt) echo release_same_licence ;;
    LGPL-3.txt) echo release_same_lgpl ;;
    GPL-3.txt) echo release_same_gpl ;;
    Qt-NOTICE.txt) echo release_same_qt_notice ;;
    THIRD-PARTY-NOTICES.txt) echo release_same_third_party_notices ;;
    SHA256SUMS) echo release_same_sums ;;
    esac
}
windows_ids=(release_same_exe release_same_installer release_same_licence release_same_lgpl
             release_same_gpl release_same_qt_notice release_same_third_party_notices)
ids=(release_same_orig release_same_dsc release_same_debian_tar release_same_sums
     "${windows_ids[@]}")
for arch in "${arches[@]}"; do ids+=("release_same_deb_$arch" "release_same_dbgsym_$arch"); done
names=$( (cd "$a/release" && ls; cd "$b/release" && ls) | LC_ALL=C sort -u)
unknown=()
declare -A seen
for name in $names; do
    id=$(file_id "$name")
    if [[ -z "$id" || -n "${seen[$id]:-}" || " ${ids[*]} " != *" $id "* ]]; then
        unknown+=("$name")
        continue
    fi
    seen[$id]=1
    sum=$(sha256sum <"$a/release/$name" 2>/dev/null | cut -c1-16)
    check "$id" "$name is the same in both builds (${sum:-none}…)" same_in_both "$name"
done
check release_files_known "every file of both releases is one a release holds, once" \
    test -z "${unknown[*]}"
((${#unknown[@]} == 0)) || echo "   not a release's: ${unknown[*]}"
# What neither release holds: Windows files without a Qt for Windows, arm64 packages without
# the arm64 tools; anything else is missing.
for id in "${ids[@]}"; do
    [[ -z "${seen[$id]:-}" ]] || continue
    if [[ " ${windows_ids[*]} " == *" $id "* && -z "$qt" ]]; then
        skip_check "$id" "$id: the same in both builds" "no Qt for Windows at hand"
    elif [[ $id == *_"${arches[1]:-}" && -n "${arches[1]:-}" ]] && grep -q 'no arm64 tools' "$work/a.log"; then
        skip_check "$id" "$id: the same in both builds" \
            "the arm64 tools cannot be installed here (not root, and no sudo)"
    else
        check "$id" "$id: in both releases" false
    fi
done
# The installer installs the very files of the release, not Vellacor.exe stripped or stamped
# again, nor other licences.
if [[ ! -f "$a/release/Vellacor.exe" ]]; then
    skip_check release_installer_files "the installer's files are the release's" \
        "the release holds no Windows files"
else
    mkdir "$work/installer"
    (cd "$work/installer" && 7z x -y "$a"/release/Vellacor-*-setup.exe -x'!$PLUGINSDIR' \
        -x'!Uninstall.exe' >/dev/null)
    installed=$(cd "$work/installer" && ls)
    same() {
        [[ -n "$installed" ]] || return 1
        for name in $installed; do cmp -s "$work/installer/$name" "$a/release/$name" || return 1; done
    }
    check release_installer_files "the installer's files are the release's: $(echo $installed)" same
fi
# SHA256SUMS names every other file, and its sums hold.
expected=$(cd "$a/release" && ls | grep -vx SHA256SUMS)
listed=$(awk '{print $2}' "$a/release/SHA256SUMS")
sums_hold() { [[ "$expected" == "$listed" ]] && (cd "$a/release" && sha256sum --quiet -c SHA256SUMS); }
check release_sums_hold "SHA256SUMS lists and matches every other file (it lists: $(echo $listed))" sums_hold
sed 's/^/   /' "$a/release/SHA256SUMS"
echo "$passed passed, $failed failed"
