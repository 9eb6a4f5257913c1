#!/usr/bin/env bash
# Installs the Debian packages Vellacor needs, and nothing when all are present. What building
# Vellacor needs is debian/control's Build-Depends, installed with `apt-get build-dep`; this
# script lists by hand only what the program needs to run and the tools of the tests.
#   scripts/deps.sh build     what building and running the program needs
#   scripts/deps.sh package   that, plus the build-time tests' packages and what
#                             dpkg-buildpackage and scripts/release.sh need
#   scripts/deps.sh test      that, plus what the tests and benchmarks need
#   scripts/deps.sh bench     what building and running the program needs, plus what the
#                             benchmarks need (bench/startup.sh)
#   scripts/deps.sh windows   what scripts/windows.sh and the windows tests need: build, package, Wine
#   scripts/deps.sh arm64     what building, testing and packaging for arm64 needs: Debian's arm64
#                             architecture beside this one, the cross compiler, arm64's
#                             Build-Depends (its Qt and GoogleTest) and qemu-user to run them
# Exits with 3 when something is missing and this user cannot install it (not root, and no
# sudo); any other failure to install is a failure (1 or apt's status).
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-build}
# Build-Depends, when the mode builds from debian/control: for which architecture (none: this
# machine's) and with which build profiles.
build_dep=no arch='' profiles=''
# qt6-wayland: Qt's Wayland platform, without which a session that offers no X11 display
# (no XWayland) cannot show Vellacor at all. The fonts: what the windows are laid out with.
packages=(build-essential qt6-wayland fonts-dejavu-core)
case "$mode" in
build) build_dep=yes profiles=nocheck ;;
bench)
    # The benchmark library, the X client libraries the start-up probe uses, the X server.
    build_dep=yes profiles=nocheck
    packages+=(libbenchmark-dev pkg-config libxcb1-dev libxcb-damage0-dev xvfb xauth)
    ;;
package | test)
    build_dep=yes
    # git: the commit's source and time; distro-info: the Debian release the package is named
    # for (scripts/deb.sh); file: what dpkg-shlibdeps asks about each binary.
    packages+=(dpkg-dev git distro-info file)
    if [[ "$mode" == test ]]; then
        # The benchmarks, the X server and its tools, the desktop files' validators, the Debian
        # package's checks and autopkgtest, binutils for the Windows resource, clang and its
        # runtime (the release's default clang, 14 on Debian 12, 19 on Debian 13) for the fuzz
        # targets; GNOME's compositor, its XWayland, a session bus, xdotool, PyGObject (its
        # keyboard and pointer, through mutter's remote desktop interface), the accessibility
        # bus (the random run's liveness probe) and gdb (the stacks of a program that hangs)
        # for the session tests; strace for the saves' system calls; the release built twice and
        # compared: diffoscope and faketime.
        packages+=(libbenchmark-dev xvfb xauth x11-utils desktop-file-utils appstream
                   lintian blhc devscripts autopkgtest binutils-mingw-w64-x86-64
                   clang libclang-rt-dev
                   mutter xwayland dbus-daemon dbus-session-bus-common xdotool python3-gi
                   at-spi2-core gdb strace
                   diffoscope-minimal faketime)
    fi
    ;;
windows)
    # Host tools of Qt (moc, rcc, uic), the cross compilers, GoogleTest's sources, the
    # installer maker, Wine to run it all, a private X server and xdotool for the user's run,
    # wrestool to read the version resource back, 7z to unpack the installer; dpkg-dev and
    # xz-utils to fetch and unpack Qt's source when no prefix is given.
    packages=(cmake ninja-build qt6-base-dev-tools g++-mingw-w64-x86-64-posix googletest nsis
              wine64 xvfb xauth xdotool icoutils p7zip-full dpkg-dev xz-utils fonts-dejavu-core)
    ;;
arm64)
    # arm64's Build-Depends (Qt and GoogleTest, installed beside this machine's: Debian's
    # multiarch) with its tests; Qt's host tools (moc, rcc, uic) are this machine's.
    build_dep=yes arch=arm64 profiles=cross
    packages=(crossbuild-essential-arm64 qemu-user dpkg-dev git distro-info file fonts-dejavu-core)
    ;;
*)
    echo "usage: scripts/deps.sh [build|bench|package|test|windows|arm64]" >&2
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
build_dep_args=()
[[ -n "$arch" ]] && build_dep_args+=(-a "$arch")
[[ -n "$profiles" ]] && build_dep_args+=(-P "$profiles")
# build_deps_met: dpkg-checkbuilddeps finds every Build-Depends the mode needs.
build_deps_met() {
    [[ "$build_dep" == no ]] && return 0
    [[ -z "$arch" ]] || dpkg --print-foreign-architectures | grep -qx "$arch" || return 1
    command -v dpkg-checkbuilddeps >/dev/null &&
        dpkg-checkbuilddeps "${build_dep_args[@]}" debian/control 2>/dev/null
}
missing=()
for package in "${packages[@]}"; do
    installed "$package" || missing+=("$package")
done
if ((${#missing[@]} == 0)) && build_deps_met; then
    exit 0
fi

what=${missing[*]}
[[ "$build_dep" == yes ]] && what+="${what:+, }the Build-Depends of debian/control${arch:+ for $arch}"
sudo=()
if ((EUID != 0)); then
    # The one reason to give up that is no fault: this user may install nothing.
    if ! command -v sudo >/dev/null; then
        echo "deps: cannot install $what: not root, and sudo is not installed" >&2
        exit 3
    fi
    sudo=(sudo)
fi
echo "Installing: $what"
if [[ -n "$arch" ]] && ! dpkg --print-foreign-architectures | grep -qx "$arch"; then
    "${sudo[@]}" dpkg --add-architecture "$arch"
fi
apt=("${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -y --no-install-recommends)
"${sudo[@]}" apt-get update
if ((${#missing[@]})); then
    "${apt[@]}" install "${missing[@]}"
fi
if [[ "$build_dep" == yes ]]; then
    "${apt[@]}" build-dep "${build_dep_args[@]}" ./
fi
