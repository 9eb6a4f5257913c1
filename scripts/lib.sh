# Sourced by the commands in scripts/ that share these: whether a Qt for Windows is at hand,
# and the package CPack made.

# The Qt for Windows that scripts/windows-qt.sh builds once and keeps; windows_qt_at_hand is
# true when scripts/windows.sh has one without building it: that one, or VELLACOR_WINDOWS_QT.
windows_qt_cache=${XDG_CACHE_HOME:-$HOME/.cache}/vellacor/qt-6.4.2-x86_64-w64-mingw32-static
windows_qt_at_hand() { [[ -n "${VELLACOR_WINDOWS_QT:-}" || -f "$windows_qt_cache/.complete" ]]; }

# cpack_package LOG: the package file that the cpack run logged in LOG made; fails when none.
cpack_package() {
    sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p' "$1" | tail -n 1 | grep .
}
