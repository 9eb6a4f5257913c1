#!/usr/bin/env bash
# Checks the release's Debian packages (the source package, this machine's packages and the
# arm64 ones, cross-built), which release_twice's builder A leaves in build-deb/ with each
# build's log and .changes (scripts/deb.sh's work folder), as a maintainer would before
# uploading: what the package holds and depends on, its debug symbols, lintian (pedantic) on
# the source and binary uploads, the build logs' compiler flags (blhc), the hardening of the
# program (hardening-check), and the tests of the installed package (autopkgtest, in this
# system: it installs the package here). Each check is recorded for its own test
# (tests/lib.sh); the arm64 ones are skipped when the release has no arm64 packages because
# this user can install nothing (not root, and no sudo); a release that fails to build them
# fails release_twice, and with it this test. The last line counts the checks, "N passed, M
# failed".
#   deb-package.sh ARCH...   (the architectures whose checks the tests report: this machine's
#                             first)
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/tests/lib.sh"
arches=("$@")
native=$(dpkg --print-architecture)
work=$root/build-deb

shopt -s nullglob
changes=("$work"/vellacor_*_"$native".changes)
shopt -u nullglob
if ((${#changes[@]} != 1)); then
    echo "FAIL: no packages of this machine's in $work: release_twice, which builds them, did" \
        "not run or failed"
    exit 1
fi
cd "$work" || exit 1
version=$(sed -n 's/^Version: //p' "${changes[0]}")
icons=$root/assets/icons/hicolor
app_id=org.example.Vellacor
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# ---- what the package holds
deb=vellacor_${version}_$native.deb
listing=$(dpkg-deb -c "$deb")
files=$(awk '$1 !~ /^d/ {print $6}' <<<"$listing" | sort)
expected=(./usr/bin/vellacor "./usr/share/applications/$app_id.desktop"
          "./usr/share/metainfo/$app_id.metainfo.xml" ./usr/share/man/man1/vellacor.1.gz
          ./usr/share/doc/vellacor/copyright ./usr/share/doc/vellacor/changelog.Debian.gz
          ./usr/share/lintian/overrides/vellacor)
while IFS= read -r png; do
    expected+=("./usr/share/icons/hicolor/${png#"$icons"/}")
done < <(find "$icons" -name '*.png' | sort)
holds_its_files() {
    local want
    want=$(printf '%s\n' "${expected[@]}" | sort)
    [[ "$files" == "$want" ]] && return 0
    diff <(echo "$want") <(echo "$files") | sed 's/^/   /'
    return 1
}
check package_files "$deb holds the program, desktop entry, metainfo, ${#expected[@]} files in all" holds_its_files
program_is_roots() { grep -qE '^-rwxr-xr-x root/root .* \./usr/bin/vellacor$' <<<"$listing"; }
check package_program_mode "the program is 0755 and owned by root" program_is_roots
depends=$(dpkg-deb -f "$deb" Depends)
echo "   Depends: $depends"
depends_on() { grep -qE "(^|[ ,])$1([ ,(]|$)" <<<"$depends"; }
check package_depends "Depends names libqt6widgets6 (dpkg-shlibdeps), libc6 and qt6-wayland" \
    eval 'depends_on libqt6widgets6 && depends_on libc6 && depends_on qt6-wayland'
# The version scripts/deb.sh's rule gives, which sorts above the plain revision and above the
# previous Debian release's package of it, so that apt upgrades them.
rule=$("$root/scripts/deb.sh" --version)
revision=$(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)
number=${rule##*+deb}
earlier=$revision+deb$((number - 1))
upgrades() {
    [[ "$version" == "$rule" ]] || { echo "   not the rule's $rule"; return 1; }
    dpkg --compare-versions "$version" gt "$revision" &&
        dpkg --compare-versions "$version" gt "$earlier"
}
check package_version "version $version is the rule's and upgrades $revision and $earlier" upgrades


# ---- per architecture: the debug symbols (the dbgsym package holds the program's build-id)
for arch in "${arches[@]}"; do
    if [[ ! -f "vellacor_${version}_$arch.deb" ]]; then
        for what in dbgsym hardening lintian blhc stack_clash_protection cf_protection; do
            skip_check "package_${arch}_$what" "$arch: $what" \
                "no $arch packages: the $arch tools cannot be installed here (not root, and no sudo)"
        done
        continue
    fi
    mkdir -p "$tmp/$arch"
    dpkg-deb -x "vellacor_${version}_$arch.deb" "$tmp/$arch"
    dpkg-deb -x "vellacor-dbgsym_${version}_$arch.deb" "$tmp/$arch"
    id=$(readelf -n "$tmp/$arch/usr/bin/vellacor" | sed -n 's/.*Build ID: //p')
    check "package_${arch}_dbgsym" "$arch: vellacor-dbgsym holds the debug symbols of build-id $id" \
        test -s "$tmp/$arch/usr/lib/debug/.build-id/${id:0:2}/${id:2}.debug"

    # ---- hardening: what Debian's flags give, read back from the program. hardening-check
    # disassembles with objdump, which must be the one for the program's architecture.
    gnu=$(dpkg-architecture -a"$arch" -qDEB_HOST_GNU_TYPE 2>/dev/null)
    mkdir -p "$tmp/bin-$arch"
    [[ "$arch" != "$native" ]] && ln -sf "$(command -v "$gnu-objdump")" "$tmp/bin-$arch/objdump"
    report=$(PATH="$tmp/bin-$arch:$PATH" hardening-check "$tmp/$arch/usr/bin/vellacor" 2>&1)
    sed 's/^/   /' <<<"$report"
    flags=$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-architecture -a"$arch" -c \
        dpkg-buildflags --get CXXFLAGS 2>/dev/null)
    says_yes() { grep -qE "^ $1: yes" <<<"$report"; }
    wanted=("Position Independent Executable" "Stack protected" "Read-only relocations"
            "Immediate binding")
    # Control-flow protection shows in a program only when every object linked into it has
    # it, the C library's start files (Scrt1.o) included; where they lack it, no program of
    # the release can have it, and blhc checks -fcf-protection on every compile line instead.
    if [[ "$flags" == *-fcf-protection* ]]; then
        start=/usr/lib/$(dpkg-architecture -a"$arch" -qDEB_HOST_MULTIARCH)/Scrt1.o
        if readelf -n "$start" 2>/dev/null | grep -q 'x86 feature: IBT, SHSTK'; then
            wanted+=("Control flow integrity")
        else
            echo "   note: $start has no IBT/SHSTK property, so no program linked here shows" \
                "control-flow protection; the compile lines' -fcf-protection is blhc's to check"
        fi
    fi
    all_yes() { local w; for w in "${wanted[@]}"; do says_yes "$w" || return 1; done; }
    check "package_${arch}_hardening" "$arch: hardening-check says yes to ${wanted[*]}" all_yes

    # ---- lintian, pedantic, on the upload (the source package comes with this machine's):
    # no error, no warning, no override left unused
    file=vellacor_${version}_$arch.changes
    report=$(lintian --pedantic -I "$file" 2>&1 | grep -v 'running with root privileges')
    [[ -z "$report" ]] || sed 's/^/   /' <<<"$report"
    clean() { ! grep -qE '^[EW]: |unused-override|mismatched-override' <<<"$report"; }
    check "package_${arch}_lintian" "lintian --pedantic: no error or warning in $file" clean

    # ---- the build log: every compiler and linker line has Debian's hardening flags, and
    # the newer ones, which an older blhc does not know, where the release gives them.
    log=vellacor_${version}_$arch.build
    check "package_${arch}_blhc" "blhc --all: no flag missing in $log" blhc --all "$log"
    for flag in -fstack-clash-protection -fcf-protection; do
        id=package_${arch}_$(sed 's/^-f//; s/-protection$/_protection/; s/-/_/g' <<<"$flag")
        if [[ " $flags " == *" $flag "* ]]; then
            check "$id" "$flag on every compile line of $log" every_compile_has "$log" "$flag"
        else
            skip_check "$id" "$flag on every compile line of $log" \
                "this release's dpkg-buildflags do not give $flag for $arch"
        fi
    done
done

# ---- the installed package's own tests, one check each (debian/tests/control)
native_changes=vellacor_${version}_$native.changes
sudo=()
((EUID == 0)) || sudo=(sudo)
"${sudo[@]}" autopkgtest "$native_changes" -- null >"$tmp/autopkgtest.log" 2>&1
sed -n '/@@@@ summary/,$p' "$tmp/autopkgtest.log" | grep -E '^[a-z-]+ +[A-Z]+' | tee "$tmp/summary"
[[ -s "$tmp/summary" ]] || tail -n 40 "$tmp/autopkgtest.log"
for name in $(sed -n 's/^Tests: //p' "$root/debian/tests/control"); do
    result=$(awk -v name="$name" '$1 == name {print $2}' "$tmp/summary")
    [[ "$result" == PASS ]] || grep -A30 "test $name: \[" "$tmp/autopkgtest.log" | head -n 40
    check "package_autopkgtest_${name//-/_}" "autopkgtest: $name (${result:-did not run})" \
        test "$result" = PASS
done

echo "$passed passed, $failed failed"
