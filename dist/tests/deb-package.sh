#!/usr/bin/env bash
# Checks the Debian packages that scripts/deb.sh built, as a maintainer would before uploading:
# what the package holds and depends on, its debug symbols, lintian (pedantic) on the source
# and binary uploads, the build log's compiler flags (blhc), the hardening of the program
# (hardening-check), and the tests of the installed package (autopkgtest, in this system: it
# installs the package here). One counted check each; the last line is "N passed, M failed".
#   deb-package.sh [WORK]   (default: build-deb, scripts/deb.sh's work folder)
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(cd "${1:-$root/build-deb}" && pwd)
. "$root/scripts/lib.sh"
cd "$work"

shopt -s nullglob
changes=(vellacor_*.changes)
shopt -u nullglob
if ((${#changes[@]} == 0)); then
    echo "FAILED: no .changes in $work: run scripts/deb.sh first"
    echo "0 passed, 1 failed"
    exit 1
fi
version=$(sed -n 's/^Version: //p' "${changes[0]}")
native=$(dpkg --print-architecture)
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
check "$deb holds the program, desktop entry, metainfo, ${#expected[@]} files in all" holds_its_files
program_is_roots() { grep -qE '^-rwxr-xr-x root/root .* \./usr/bin/vellacor$' <<<"$listing"; }
check "the program is 0755 and owned by root" program_is_roots
depends=$(dpkg-deb -f "$deb" Depends)
echo "   Depends: $depends"
depends_on() { grep -qE "(^|[ ,])$1([ ,(]|$)" <<<"$depends"; }
check "Depends names libqt6widgets6 (dpkg-shlibdeps), libc6 and qt6-wayland" \
    eval 'depends_on libqt6widgets6 && depends_on libc6 && depends_on qt6-wayland'
# Above every package of the previous releases, so that apt upgrades them.
check "version $version upgrades the earlier 1.1.0.0-1+deb13" \
    dpkg --compare-versions "$version" gt 1.1.0.0-1+deb13

# ---- the debug symbols: the dbgsym package holds the program's build-id
for arch in $(ls vellacor_"${version}"_*.deb | sed -E 's/.*_([a-z0-9]+)\.deb$/\1/'); do
    mkdir -p "$tmp/$arch"
    dpkg-deb -x "vellacor_${version}_$arch.deb" "$tmp/$arch"
    dpkg-deb -x "vellacor-dbgsym_${version}_$arch.deb" "$tmp/$arch"
    id=$(readelf -n "$tmp/$arch/usr/bin/vellacor" | sed -n 's/.*Build ID: //p')
    check "$arch: vellacor-dbgsym holds the debug symbols of build-id $id" \
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
    check "$arch: hardening-check says yes to ${wanted[*]}" all_yes
done

# ---- lintian, pedantic, on every upload: no error, no warning, no override left unused
for file in "${changes[@]}"; do
    report=$(lintian --pedantic -I "$file" 2>&1 | grep -v 'running with root privileges')
    [[ -z "$report" ]] || sed 's/^/   /' <<<"$report"
    clean() { ! grep -qE '^[EW]: |unused-override|mismatched-override' <<<"$report"; }
    check "lintian --pedantic: no error or warning in $file" clean
done

# ---- the build logs: every compiler and linker line has Debian's hardening flags
# every_compile_has LOG FLAG: each compiler line of LOG that compiles a source file has FLAG.
every_compile_has() { ! grep -E ' -c \S+\.cpp$' "$1" | grep -vqF -- "$2"; }
for log in vellacor_*.build; do
    check "blhc --all: no flag missing in $log" blhc --all "$log"
    # The newer flags, which an older blhc does not know, where the release gives them.
    arch=$(sed -E 's/.*_([a-z0-9]+)\.build$/\1/' <<<"$log")
    flags=$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-architecture -a"$arch" -c \
        dpkg-buildflags --get CXXFLAGS 2>/dev/null)
    for flag in -fstack-clash-protection -fcf-protection; do
        [[ " $flags " == *" $flag "* ]] || continue
        check "$flag on every compile line of $log" every_compile_has "$log" "$flag"
    done
done

# ---- the installed package's own tests
native_changes=vellacor_${version}_$native.changes
sudo=()
((EUID == 0)) || sudo=(sudo)
"${sudo[@]}" autopkgtest "$native_changes" -- null >"$tmp/autopkgtest.log" 2>&1
sed -n '/@@@@ summary/,$p' "$tmp/autopkgtest.log" | grep -E '^[a-z-]+ +[A-Z]+' | tee "$tmp/summary"
if [[ ! -s "$tmp/summary" ]]; then
    tail -n 40 "$tmp/autopkgtest.log"
    check "autopkgtest ran the package's tests" false
fi
while read -r name result _; do
    [[ "$result" == PASS ]] || grep -A30 "test $name: \[" "$tmp/autopkgtest.log" | head -n 40
    check "autopkgtest: $name" test "$result" = PASS
done <"$tmp/summary"

echo "$passed passed, $failed failed"
((failed == 0))
