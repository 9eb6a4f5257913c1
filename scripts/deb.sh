#!/usr/bin/env bash
# Builds Vellacor's Debian source package and binary packages with Debian's own tools
# (dpkg-buildpackage, debhelper), from the checkout's commit, for the Debian release this
# machine runs:
#   scripts/deb.sh OUT             the source package (.dsc, .orig.tar.gz, .debian.tar.xz) and
#                                  this machine's packages (vellacor, vellacor-dbgsym) into OUT
#   scripts/deb.sh OUT arm64       also the arm64 packages, cross-built (dpkg-buildpackage -a)
#   scripts/deb.sh --version       the version it builds here, by the rule below
# The work folder, with each build's log (*.build) and .changes, is build-deb/. Installs what
# is missing first. DEB_BUILD_OPTIONS passes through (nocheck skips the build-time tests).
# Exits with 3, after one line saying so, when the arm64 tools cannot be installed here because
# this user may install nothing (not root, and no sudo); any other failure is a failure.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:?usage: scripts/deb.sh OUT [arm64] | --version}
cross=${2:-}
export LC_ALL=C.UTF-8 TZ=UTC
umask 022

scripts/deps.sh package
[[ -e .git ]] || { echo "deb: not a git checkout: unpack the source package instead" \
    "(dpkg-source -x vellacor_*.dsc) and run dpkg-buildpackage in it" >&2; exit 1; }

# The one rule for the version: the Debian revision, then the Debian release the package is
# built for (1.1.0.0-2+deb12), so that each release's package sits beside the others, a newer
# release's sorts above an older one's, and each upgrades the plain revision. The number comes
# from Debian's own list of its releases (distro-info-data), testing's too; a release that has
# none (sid) or a system that is not Debian stops here rather than guess.
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
number=$(debian-distro-info --series "$codename" --release 2>/dev/null || true)
if [[ ! "$number" =~ ^[0-9]+$ ]]; then
    echo "deb: cannot name this Debian release ('${codename:-no code name}' has no version" \
        "number in distro-info-data): the package version would be a guess. Build the" \
        "source package with dpkg-buildpackage directly to keep the changelog's version." >&2
    exit 1
fi

if [[ "$out" == --version ]]; then
    echo "$(dpkg-parsechangelog -S Version)+deb$number"
    exit 0
fi

SOURCE_DATE_EPOCH=$(scripts/source-date.sh)
upstream=$(dpkg-parsechangelog -S Version | sed 's/-[^-]*$//')
work=$PWD/build-deb
rm -rf "$work"
mkdir -p "$work" "$out"
out=$(cd "$out" && pwd)
# The commit's source is the upstream tarball. tar.umask is the user's to set; the archive's
# modes must not follow it. gzip -n leaves out the name and time.
orig=$work/vellacor_$upstream.orig.tar.gz
git -c tar.umask=0022 archive --format=tar --prefix="vellacor-$upstream/" HEAD | gzip -9n >"$orig"
tar -xzf "$orig" -C "$work"
tree=$work/vellacor-$upstream

# The changelog entry that names the release, dated with the commit.
revision=$(dpkg-parsechangelog -l "$tree/debian/changelog" -S Version)
maintainer=$(dpkg-parsechangelog -l "$tree/debian/changelog" -S Maintainer)
version=$revision+deb$number
{
    echo "vellacor ($version) $codename; urgency=medium"
    echo
    echo "  * Built for Debian $number ($codename)."
    echo
    echo " -- $maintainer  $(date -R -u -d "@$SOURCE_DATE_EPOCH")"
    echo
    cat "$tree/debian/changelog"
} >"$work/changelog"
mv "$work/changelog" "$tree/debian/changelog"
echo "deb: vellacor $version"

# build LOG ARGS...: dpkg-buildpackage in the tree, its output in LOG and shown on failure.
build() {
    local log=$1
    shift
    if ! (cd "$tree" && dpkg-buildpackage -us -uc -jauto "$@") >"$log" 2>&1; then
        tail -n 60 "$log"
        echo "deb: dpkg-buildpackage $* failed; its log is $log" >&2
        exit 1
    fi
}
native=$(dpkg --print-architecture)
build "$work/vellacor_${version}_$native.build"
# copy FILE...: into OUT, each named in a line.
copy() {
    local file
    for file in "$@"; do
        cp "$work/$file" "$out/"
        echo "deb: $file"
    done
}
copy "vellacor_$version.dsc" "vellacor_$upstream.orig.tar.gz" "vellacor_$version.debian.tar.xz" \
    "vellacor_${version}_$native.deb" "vellacor-dbgsym_${version}_$native.deb"
if [[ -n "$cross" && "$cross" != "$native" ]]; then
    status=0
    scripts/deps.sh "$cross" || status=$?
    if ((status == 3)); then
        echo "deb: the $cross tools cannot be installed here (not root, and no sudo)"
        exit 3
    elif ((status != 0)); then
        echo "deb: the $cross tools (architecture, cross compiler, Qt) did not install" >&2
        exit 1
    fi
    build "$work/vellacor_${version}_$cross.build" -a "$cross" -Pcross,nocheck -B
    copy "vellacor_${version}_$cross.deb" "vellacor-dbgsym_${version}_$cross.deb"
fi
