#!/usr/bin/env bash
# Installs the Debian packages Vellacor needs, and nothing when all are present.
#   scripts/deps.sh build     what building and running the program needs
#   scripts/deps.sh package   that, plus what `cpack -G DEB` and scripts/release.sh need
#   scripts/deps.sh test      that, plus what the tests and benchmarks need (the release built
#                             twice and compared: diffoscope, faketime)
#   scripts/deps.sh windows   what scripts/windows.sh needs to build, test and package for Windows
#   scripts/deps.sh arm64     what scripts/cross.sh needs to build, test and package for arm64:
#                             Debian's arm64 architecture beside this one, its cross compiler,
#                             its Qt and GoogleTest, and qemu-user to run what it builds
set -euo pipefail

mode=${1:-build}
# qt6-wayland: Qt's Wayland platform, without which a session that offers no X11 display
# (no XWayland) cannot show Vellacor at all.
packages=(g++ make cmake qt6-base-dev qt6-wayland fonts-dejavu-core)
case "$mode" in
build) ;;
package | test)
    # dpkg-shlibdeps (dpkg-dev) fills in Depends; it asks `file` what each binary is. git
    # gives the commit's time, which the package takes for every file in it.
    packages+=(dpkg-dev file git)
    if [[ "$mode" == test ]]; then
        # clang and libclang-rt-dev name the release's default clang (14 on Debian 12, 19 on
        # Debian 13), which the fuzz targets build with as clang++. GNOME's compositor, its
        # XWayland, a session bus, xdotool and PyGObject (its keyboard, through mutter's
        # remote desktop interface): the Wayland smoke test.
        packages+=(libgtest-dev libbenchmark-dev xvfb xauth x11-utils
                   desktop-file-utils appstream lintian binutils-mingw-w64-x86-64
                   clang libclang-rt-dev
                   mutter xwayland dbus-daemon dbus-session-bus-common xdotool python3-gi
                   diffoscope-minimal faketime)
    fi
    ;;
windows)
    # Host tools of Qt (moc, rcc, uic), the cross compilers, GoogleTest's sources, the
    # installer maker, Wine to run it all, a private X server and xdotool for the smoke run,
    # wrestool to read the version resource back, 7z to unpack the installer; dpkg-dev and
    # xz-utils to fetch and unpack Qt's source when no prefix is given.
    packages=(cmake ninja-build qt6-base-dev-tools g++-mingw-w64-x86-64-posix googletest nsis
              wine64 xvfb xauth xdotool icoutils p7zip-full dpkg-dev xz-utils fonts-dejavu-core)
    ;;
arm64)
    # Qt's host tools (moc, rcc, uic) are this machine's; the libraries and headers are
    # arm64's, installed side by side with this machine's (Debian's multiarch).
    packages=(cmake make crossbuild-essential-arm64 qt6-base-dev-tools qt6-base-dev:arm64
              libgtest-dev:arm64 qemu-user dpkg-dev file git fonts-dejavu-core)
    ;;
*)
    echo "usage: scripts/deps.sh [build|package|test|windows|arm64]" >&2
    exit 2
    ;;
esac

# Installed for this machine's architecture (or for all), or for the one a name gives
# (qt6-base-dev:arm64): with a second architecture, one name can be installed for either.
native=$(dpkg --print-architecture)
installed() {
    local name=${1%%:*} arch=$native'|all'
    [[ "$1" == *:* ]] && arch=${1#*:}
    dpkg-query -W -f='${Status}|${Architecture}\n' "$name" 2>/dev/null |
        grep -qxE "install ok installed\|($arch)"
}
missing=()
for package in "${packages[@]}"; do
    installed "$package" || missing+=("$package")
done
if ((${#missing[@]} == 0)); then
    exit 0
fi

echo "Installing: ${missing[*]}"
sudo=()
if ((EUID != 0)); then
    sudo=(sudo)
fi
if [[ "$mode" == arm64 ]] && ! dpkg --print-foreign-architectures | grep -qx arm64; then
    "${sudo[@]}" dpkg --add-architecture arm64
fi
"${sudo[@]}" apt-get update
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
