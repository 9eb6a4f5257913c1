#!/usr/bin/env bash
# Installs the Debian packages Vellacor needs, and nothing when all are present.
#   scripts/deps.sh build     what building and running the program needs
#   scripts/deps.sh package   that, plus what `cpack -G DEB` needs
#   scripts/deps.sh test      that, plus what the tests and benchmarks need
set -euo pipefail

mode=${1:-build}
packages=(g++ make cmake qt6-base-dev fonts-dejavu-core)
case "$mode" in
build) ;;
package | test)
    # dpkg-shlibdeps (dpkg-dev) fills in Depends; it asks `file` what each binary is.
    packages+=(dpkg-dev file)
    if [[ "$mode" == test ]]; then
        packages+=(libgtest-dev libbenchmark-dev xvfb xauth x11-utils
                   desktop-file-utils appstream lintian binutils-mingw-w64-x86-64
                   clang-14 libclang-rt-14-dev)
    fi
    ;;
*)
    echo "usage: scripts/deps.sh [build|package|test]" >&2
    exit 2
    ;;
esac

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
if ((${#missing[@]} == 0)); then
    exit 0
fi

echo "Installing: ${missing[*]}"
sudo=()
if ((EUID != 0)); then
    sudo=(sudo)
fi
"${sudo[@]}" apt-get update
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
