#!/usr/bin/env bash
# Builds what a release of this commit holds into release/, and nothing else:
#   vellacor_<version>.orig.tar.gz           the commit's source, without .git (git archive),
#                                            which is also the Debian source's upstream tarball
#   vellacor_<version>-<rev>+deb<N>.dsc, .debian.tar.xz
#                                            the Debian source package for the Debian release
#                                            this runs on (scripts/deb.sh)
#   vellacor[-dbgsym]_<version>-<rev>+deb<N>_<arch>.deb
#                                            its packages and their debug symbols, for this
#                                            machine and, cross-built, for arm64
#   Vellacor.exe, Vellacor-<version>-setup.exe   Windows, where a Qt for Windows is at hand
#                                            (VELLACOR_WINDOWS_QT, as scripts/windows.sh),
#                                            with the licences that go with Vellacor.exe:
#                                            LICENSE.txt, LGPL-3.txt, GPL-3.txt, Qt-NOTICE.txt,
#                                            THIRD-PARTY-NOTICES.txt
#   SHA256SUMS                               the checksums of all of them
# Installs what is missing first, as scripts/run.sh does. Every file is the same, byte for
# byte, whoever builds the same commit, wherever and whenever: every time in them is the
# commit's (SOURCE_DATE_EPOCH, when set, wins), and the locale, time zone and umask of the
# builder are set aside here.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh

export LC_ALL=C.UTF-8 TZ=UTC
umask 022

scripts/deps.sh package
if [[ -e .git ]] && [[ -n "$(git status --porcelain --untracked-files=no)" ]]; then
    echo "release: the checkout has uncommitted changes; a release is of a commit" >&2
    git status --short --untracked-files=no >&2
    exit 1
fi
SOURCE_DATE_EPOCH=$(scripts/source-date.sh)
export SOURCE_DATE_EPOCH
version=$(sed -nE 's/^project\(Vellacor VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
out=$PWD/release
rm -rf "$out"
mkdir -p "$out"
echo "release: Vellacor $version, dated $(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S UTC')"

# ---- Debian source and packages, for this machine and, cross-built, for arm64. The packages
# are built with their tests, as Debian builds them.
deb_arch=arm64
[[ "$(dpkg --print-architecture)" == arm64 ]] && deb_arch=''
status=0
scripts/deb.sh "$out" $deb_arch || status=$?
if ((status == 3)); then
    echo "release: no arm64 tools here (not root, and no sudo): the release holds no arm64 package"
elif ((status != 0)); then
    exit "$status"
fi

# ---- Windows
if windows_qt_at_hand; then
    rm -rf build-release-windows
    scripts/windows.sh --release build-release-windows
    # Vellacor.exe with the licences and notices that go with every copy, as the installer
    # installs them, and the installer.
    cmake --install build-release-windows --prefix "$out" >/dev/null
    cp "$(cpack_package build-release-windows/cpack.log)" "$out/"
else
    echo "release: no Qt for Windows at hand (VELLACOR_WINDOWS_QT is not set and" \
        "scripts/windows.sh has built none in $windows_qt_cache): the release holds no Windows files"
fi

(cd "$out" && find . -maxdepth 1 -type f ! -name SHA256SUMS -printf '%f\n' | LC_ALL=C sort |
    xargs sha256sum -- >SHA256SUMS)
chmod 0644 "$out"/*
echo "release: $out"
cat "$out/SHA256SUMS"
