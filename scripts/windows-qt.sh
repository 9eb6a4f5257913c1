#!/usr/bin/env bash
# Prints the folder of a static Qt 6.4.2 for x86_64-w64-mingw32, making it first if need be.
#   VELLACOR_WINDOWS_QT=FOLDER       that prefix, as it is
#   VELLACOR_WINDOWS_QT=ARCHIVE.tar.xz  that archive of a prefix, unpacked once into the cache
#   (unset)                          the prefix in the cache, built there the first time from
#                                    Debian's qt6-base source package (about 25 minutes on 2 cores;
#                                    on Debian 12 only, whose archive has Qt 6.4.2's source)
# The cache is ${XDG_CACHE_HOME:-~/.cache}/vellacor. Progress goes to standard error.
#   windows-qt.sh --at-hand          true when one is there without building it; else says why
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh

if [[ "${1:-}" == --at-hand ]]; then
    windows_qt_at_hand && exit 0
    echo "no Qt for Windows at hand: VELLACOR_WINDOWS_QT is not set and scripts/windows.sh has" \
        "built none in $windows_qt_cache"
    exit 1
fi

name=$(basename "$windows_qt_cache")
cache=$(dirname "$windows_qt_cache")
given=${VELLACOR_WINDOWS_QT:-}
mkdir -p "$cache"

usable() { [[ -f "$1/lib/cmake/Qt6/qt.toolchain.cmake" && -f "$1/mingw-w64-x86_64.cmake" ]]; }

if [[ -n "$given" && -d "$given" ]]; then
    usable "$given" || { echo "windows-qt: $given is not a Qt prefix for mingw" >&2; exit 1; }
    (cd "$given" && pwd)
    exit 0
fi

if [[ -n "$given" ]]; then
    [[ -f "$given" && "$given" == *.tar.xz ]] ||
        { echo "windows-qt: VELLACOR_WINDOWS_QT=$given is neither a folder nor a .tar.xz" >&2; exit 1; }
    # One unpacked copy per archive, known by its checksum.
    sum=$(sha256sum "$given" | cut -c1-16)
    target=$cache/$name-$sum
    if ! usable "$target/$name"; then
        echo "windows-qt: unpacking $(basename "$given") into $target" >&2
        rm -rf "$target.part"
        mkdir -p "$target.part"
        tar -C "$target.part" -xJf "$given"
        rm -rf "$target"
        mv "$target.part" "$target"
    fi
    usable "$target/$name" || { echo "windows-qt: $given holds no $name/" >&2; exit 1; }
    echo "$target/$name"
    exit 0
fi

prefix=$cache/$name
if usable "$prefix" && [[ -f "$prefix/.complete" ]]; then
    echo "$prefix"
    exit 0
fi

# Building it: Debian's source package, configured as the prebuilt prefix was. Debian's repack
# drops the tablet header wintab.h, and two feature couplings of this release fail without
# OpenGL and Direct2D, hence tabletevent, dynamicgl and directwrite3 off.
echo "windows-qt: building $name from Debian's qt6-base source (about 25 minutes)" >&2
work=$cache/qt-build
mkdir -p "$work/apt/parts" "$work/apt/lists/partial"
# A private source list made from the machine's own Debian entry: the machine's apt
# configuration stays as it is.
if ! ls "$work"/qt6-base_6.4.2*.orig.tar.xz >/dev/null 2>&1; then
    found=0
    for list in /etc/apt/sources.list.d/*.sources; do
        [[ -f "$list" ]] || continue
        sed 's/^Types:.*/Types: deb-src/' "$list" >"$work/apt/parts/$(basename "$list")"
        found=1
    done
    if [[ -f /etc/apt/sources.list ]]; then
        sed -n 's/^deb \(.*\)/deb-src \1/p' /etc/apt/sources.list >"$work/apt/parts/debian-src.list"
        found=1
    fi
    ((found)) || { echo "windows-qt: no apt sources to take source entries from" >&2; exit 1; }
    options=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$work/apt/parts"
             -o "Dir::State::Lists=$work/apt/lists")
    apt-get "${options[@]}" update >&2
    # Qt 6.4.2's source is Debian 12's; a later release's archive holds only its own Qt.
    if ! (cd "$work" && apt-get "${options[@]}" source --download-only qt6-base=6.4.2+dfsg-10 >&2); then
        echo "windows-qt: this Debian release's archive has no source of Qt 6.4.2 (Debian 12's" \
            "has): set VELLACOR_WINDOWS_QT to a Qt for Windows, a prefix or a .tar.xz of one" >&2
        exit 1
    fi
fi
source_dir=$work/qtbase-everywhere-src-6.4.2
if [[ ! -d "$source_dir" ]]; then
    tar -C "$work" -xJf "$(ls "$work"/qt6-base_6.4.2*.orig.tar.xz | head -n 1)"
fi
toolchain=$PWD/cmake/mingw-w64-x86_64.cmake
rm -rf "$prefix"
cmake -S "$source_dir" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_opengl=OFF -DFEATURE_dbus=OFF \
    -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_testlib=ON \
    -DFEATURE_icu=OFF -DFEATURE_vulkan=OFF -DFEATURE_gif=OFF -DFEATURE_zstd=OFF \
    -DFEATURE_freetype=OFF -DFEATURE_direct2d=OFF -DFEATURE_jpeg=ON -DFEATURE_system_jpeg=OFF \
    -DFEATURE_png=ON -DFEATURE_system_png=OFF -DFEATURE_system_zlib=OFF -DFEATURE_sql_sqlite=OFF \
    -DFEATURE_tabletevent=OFF -DFEATURE_dynamicgl=OFF -DFEATURE_directwrite3=OFF >&2
ninja -C "$work/build" -j"$(nproc 2>/dev/null || echo 2)" >&2
ninja -C "$work/build" install >&2
cp "$toolchain" "$prefix/mingw-w64-x86_64.cmake"
touch "$prefix/.complete"
rm -rf "$work/build"
echo "$prefix"
