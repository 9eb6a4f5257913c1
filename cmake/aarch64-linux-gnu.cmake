# Cross-building for 64-bit ARM Linux (arm64 Debian, Raspberry Pi OS 64-bit) with Debian's
# cross compiler and Debian's arm64 libraries installed beside this machine's (multiarch):
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake ...   (scripts/cross.sh does it)
# Qt's host tools (moc, rcc, uic) are the build machine's own; programs built here run under
# qemu-user, so the tests run too.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
# Where find_package looks for arm64's Qt and GoogleTest: /usr/lib/aarch64-linux-gnu/cmake.
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
set(QT_HOST_PATH /usr)
# pkg-config answers for arm64 too: Qt's own find modules (xkbcommon, which its platform
# interfaces bring in) ask it first, and this machine's files would name this machine's libraries.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/aarch64-linux-gnu/pkgconfig:/usr/share/pkgconfig)
unset(ENV{PKG_CONFIG_PATH})
# The arm64 loader and libraries are in this machine's own root, where qemu looks by default.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64)
