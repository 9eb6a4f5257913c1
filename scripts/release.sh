#!/usr/bin/env bash
# Builds what a release of this commit holds into release/, and nothing else:
#   vellacor_<version>-1+deb<N>_<arch>.deb   the Debian package for the release this runs on,
#                                            for this machine and, cross-built, for arm64
#   Vellacor.exe, Vellacor-<version>-setup.exe   Windows, where a Qt for Windows is at hand
#                                            (VELLACOR_WINDOWS_QT, as scripts/windows.sh),
#                                            with the licences that go with Vellacor.exe:
#                                            LICENSE.txt, LGPL-3.txt, GPL-3.txt, Qt-NOTICE.txt,
#                                            THIRD-PARTY-NOTICES.txt
#   vellacor-<version>.tar.gz                the commit's source, without .git
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
jobs=$(nproc 2>/dev/null || echo 2)
out=$PWD/release
rm -rf "$out"
mkdir -p "$out"
echo "release: Vellacor $version, dated $(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S UTC')"

# ---- Debian package
build=build-release
rm -rf "$build"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVELLACOR_TESTS=OFF -DVELLACOR_BENCH=OFF
cmake --build "$build" -j"$jobs"
(cd "$build" && cpack -G DEB -B "$PWD/package" >cpack.log 2>&1) ||
    { cat "$build/cpack.log"; exit 1; }
cp "$build"/package/*.deb "$out/"

# ---- Debian package for arm64 (Raspberry Pi OS 64-bit), cross-built where this is not arm64
if [[ "$(dpkg --print-architecture)" != arm64 ]]; then
    rm -rf build-release-arm64
    status=0
    scripts/cross.sh arm64 build build-release-arm64 || status=$?
    if ((status == 0)); then
        cp build-release-arm64/vellacor_*_arm64.deb "$out/"
    elif ((status == 3)); then
        echo "release: no arm64 tools here: the release holds no arm64 package"
    else
        exit "$status"
    fi
fi

# ---- Windows
if windows_qt_at_hand; then
    rm -rf build-release-windows
    scripts/windows.sh build build-release-windows
    # Vellacor.exe with the licences and notices that go with every copy, as the installer
    # installs them, and the installer.
    cmake --install build-release-windows --prefix "$out" >/dev/null
    cp "$(cpack_package build-release-windows/cpack.log)" "$out/"
else
    echo "release: no Qt for Windows at hand (VELLACOR_WINDOWS_QT is not set and" \
        "scripts/windows.sh has built none in $windows_qt_cache): the release holds no Windows files"
fi

# ---- Source
if [[ -e .git ]]; then
    # tar.umask is the user's to set; the archive's modes must not follow it. gzip -n leaves
    # out the name and time, and git takes every file's time from the commit.
    git -c tar.umask=0022 archive --format=tar --prefix="vellacor-$version/" HEAD |
        gzip -9n >"$out/vellacor-$version.tar.gz"
else
    echo "release: not a git checkout (a source archive, then): no source archive made"
fi

(cd "$out" && find . -maxdepth 1 -type f ! -name SHA256SUMS -printf '%f\n' | LC_ALL=C sort |
    xargs sha256sum -- >SHA256SUMS)
chmod 0644 "$out"/*
echo "release: $out"
cat "$out/SHA256SUMS"
