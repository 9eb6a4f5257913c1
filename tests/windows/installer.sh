#!/usr/bin/env bash
# The Windows installer under Wine, for one user and for all users, each installed, moved and
# uninstalled, with its entry in Settings > Apps and the files it leaves checked; and a run of
# the installed Vellacor.exe as a user would drive it. Run by wine.sh, which gives it the X
# server (DISPLAY) and the Wine prefix (WINEPREFIX) of the windows tests' fixtures. Each check
# is recorded for its own test (tests/lib.sh); the last line counts them, "N passed, M failed".
#   installer.sh VELLACOR_EXE INSTALLER_EXE
set -uo pipefail
exe=$1
installer=$2
. "$(dirname "$0")/../lib.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "== The installer"
version=$(basename "$installer" | sed -E 's/^Vellacor-(.*)-setup\.exe$/\1/')
key='Software\Microsoft\Windows\CurrentVersion\Uninstall\Vellacor'
# A copy in a folder without blanks: cmd below takes its name unquoted.
cp "$installer" "$work/setup.exe"
setup() { # setup OPTION...: the installer, silently; a /D= folder may hold blanks, as on Windows
    timeout 120 "$wine" cmd /c "Z:${work//\//\\}\\setup.exe /S $*" >/dev/null 2>&1
}
# Every file and folder on C: but Wine's own and the user's Temp, where the uninstaller runs a
# copy of itself (which Windows deletes at the next start).
files() {
    (cd "$WINEPREFIX/drive_c" && find . -path ./windows -prune -o -path './users/*/Temp' -prune \
        -o -print | LC_ALL=C sort)
}
new_files() { files | LC_ALL=C comm -13 "$work/before" -; } # since "before" was written
entry() { # entry HIVE: the values of Vellacor's entry in Settings > Apps, NAME=DATA per line
    rm -f "$work/entry.reg"
    "$wine" reg export "$1\\$key" "Z:${work//\//\\}\\entry.reg" /y >/dev/null 2>&1 || return 1
    iconv -f UTF-16 -t UTF-8 "$work/entry.reg" | tr -d '\r' |
        sed -E 's/^"([^"]+)"=/\1=/; s/^([^=]+)="(.*)"$/\1=\2/; s/\\(["\\])/\1/g'
}
entry_names() { # entry_names HIVE FOLDER: the entry is there, complete, for FOLDER
    local values want complete=0
    values=$(entry "$1") || { echo "   no entry under $1"; return 1; }
    while IFS= read -r want; do
        grep -qxF -- "$want" <<<"$values" || { echo "   $1 lacks $want"; complete=1; }
    done <<END
DisplayName=Vellacor
DisplayVersion=$version
Publisher=Tamsel
DisplayIcon=$2\\Vellacor.exe
InstallLocation=$2
UninstallString="$2\\Uninstall.exe"
QuietUninstallString="$2\\Uninstall.exe" /S
URLInfoAbout=https://vellacor.example.org
NoModify=dword:00000001
NoRepair=dword:00000001
END
    grep -qE '^EstimatedSize=dword:0*[1-9a-f]' <<<"$values" || { echo "   no EstimatedSize"; complete=1; }
    return "$complete"
}
only_under() { # only_under REGEX: every file new since "before" lies under REGEX, and some do
    local added
    added=$(new_files)
    [[ -n "$added" ]] && ! grep -vE "^\./($1)" <<<"$added"
}
installed_in() { # installed_in FOLDER: the program and every licence in FOLDER, and no more
    local unix
    unix=$("$wine" winepath -u "$1" 2>/dev/null) && [[ -d "$unix" ]] &&
        [[ "$(cd "$unix" && ls | tr '\n' ' ')" == "GPL-3.txt LGPL-3.txt LICENSE.txt Qt-NOTICE.txt THIRD-PARTY-NOTICES.txt Uninstall.exe Vellacor.exe " ]]
}
uninstall() { # uninstall HIVE: the entry's QuietUninstallString, waited for
    local quiet
    quiet=$(entry "$1" | sed -n 's/^QuietUninstallString=//p')
    [[ "$quiet" =~ ^\"([^\"]+)\"\ (.*)$ ]] || { echo "   no QuietUninstallString under $1"; return 1; }
    timeout 120 "$wine" "${BASH_REMATCH[1]}" ${BASH_REMATCH[2]} >/dev/null 2>&1
    # It runs from its copy and returns at once: wait until it is done.
    for _ in $(seq 40); do [[ -z "$(new_files)" ]] && ! entry "$1" >/dev/null && break; sleep 0.2; done
}
as_before() { # nothing new on C:, no entry, no empty Software\Tamsel under HKCU and HKLM
    local hive added
    added=$(new_files)
    [[ -z "$added" ]] || { echo "   left behind:"; sed 's/^/     /' <<<"$added"; return 1; }
    for hive in HKCU HKLM; do
        ! entry "$hive" >/dev/null && ! "$wine" reg query "$hive\\Software\\Tamsel" >/dev/null 2>&1 ||
            { echo "   left in $hive"; return 1; }
    done
}
moved="C:\\Programme Ü\\Vellacor"

version_info=$(wrestool -x --raw --type=16 "$installer" | iconv -f UTF-16LE -t UTF-8 -c | tr -d '\0')
names_it() {
    local s
    for s in ProductNameVellacor CompanyNameTamsel "FileDescriptionVellacor installer" \
        "FileVersion$version" "ProductVersion$version"; do
        [[ "$version_info" == *"$s"* ]] || return 1
    done
}
check windows_installer_version "the installer's version resource names it, Tamsel's, $version" names_it
check windows_installer_as_invoker "the installer asks for no administrator up front and is DPI-aware" \
    grep -qE 'level="asInvoker".*<dpiAware[^>]*>true<' <(wrestool -x --raw --type=24 "$installer")

in_programs() { [[ "$user_folder" == *'\AppData\Local\Programs\Vellacor' ]]; }
users_own() { only_under 'users/' && ! entry HKLM >/dev/null; }
everyones() { only_under 'Program Files/|ProgramData/' && ! entry HKCU >/dev/null; }
moved_from() { installed_in "$moved" && ! installed_in "$1" && entry_names "$2" "$moved"; }
shortcut() { new_files | grep -qx "\./$1/Microsoft/Windows/Start Menu/Programs/Vellacor\.lnk"; }

files >"$work/before"
setup /CurrentUser
user_folder=$(entry HKCU | sed -n 's/^InstallLocation=//p')
check windows_user_folder "for this user: into %LOCALAPPDATA%\\Programs ($user_folder)" in_programs
check windows_user_files "for this user: the program and its licences" installed_in "$user_folder"
check windows_user_entry "for this user: the entry under HKCU is complete" entry_names HKCU "$user_folder"
check windows_user_only "for this user: nothing in Program Files, ProgramData or HKLM" users_own
check windows_user_shortcut "for this user: the Start-menu shortcut is the user's" shortcut 'users/[^/]*/AppData/Roaming'
setup /CurrentUser "/D=$moved"
check windows_user_moved "for this user, moved: one copy, in the new folder, one entry naming it" \
    moved_from "$user_folder" HKCU
uninstall HKCU
check windows_user_uninstalled "for this user, uninstalled: nothing left, the new folder's parent included" as_before

setup
folder="C:\\Program Files\\Vellacor"
check windows_all_folder "for all users (plain /S): into Program Files" installed_in "$folder"
check windows_all_entry "for all users: the entry under HKLM is complete" entry_names HKLM "$folder"
check windows_all_only "for all users: only in Program Files and ProgramData, no HKCU entry" everyones
check windows_all_shortcut "for all users: the Start-menu shortcut is everyone's" shortcut ProgramData
echo "== Vellacor.exe, as installed, as a user runs it"
installed="$WINEPREFIX/drive_c/Program Files/Vellacor/Vellacor.exe"
[[ -f "$installed" ]] && exe=$installed
visible() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1; }
wait_for() { # wait_for TITLE_REGEX: the window's id once it is shown, within 60 s
    local id
    for _ in $(seq 600); do
        id=$(visible "$1") && [[ -n "$id" ]] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}
# Not a job of this shell: Wine's server ends it below.
( (cd "$work" && exec "$wine" "$exe") >/dev/null 2>&1 & )
main=$(wait_for '^Vellacor 1.1$')
check windows_main_window 'the main window "Vellacor 1.1" appears' test -n "$main"
detail=
if [[ -n "$main" ]]; then
    # Positions in the window, from its layout: the host count field and Calculate.
    xdotool mousemove --window "$main" 140 150 click 1
    xdotool type --delay 30 50
    xdotool mousemove --window "$main" 192 252 click 1
    detail=$(wait_for '^Detail Report$')
fi
check windows_detail_report 'Calculate opens "Detail Report"' test -n "$detail"
# save_as PATH: Save To Notepad, PATH typed over the name the dialog offers, Return, and
# Return again for the box that says the file is saved.
save_as() {
    local dialog box
    xdotool mousemove --window "$detail" 240 472 click 1 # Save To Notepad
    dialog=$(wait_for '^Save As$') || return
    sleep 1
    xdotool windowfocus "$dialog" 2>/dev/null
    xdotool key ctrl+a
    xdotool type --delay 20 "Z:${1//\//\\}"
    xdotool key Return
    box=$(wait_for '^Save File$') || return
    xdotool windowfocus "$box" 2>/dev/null
    xdotool key Return
    for _ in $(seq 100); do [[ -z "$(visible '^Save File$')" ]] && break; sleep 0.1; done
}
report=$work/report
if [[ -n "$detail" ]]; then
    save_as "$report"
fi
for _ in $(seq 50); do [[ -s "$report.txt" ]] && break; sleep 0.1; done
check windows_saved_report "the report is saved as report.txt" test -s "$report.txt"
# A second save in the same session, when the dialog offers "Text Documents (*.txt)": the name
# typed gets the report's one ".txt", and the dialog adds none of its own.
second=$work/second
if [[ -n "$detail" ]]; then
    save_as "$second"
fi
for _ in $(seq 50); do [[ -s "$second.txt" || -s "$second.txt.txt" ]] && break; sleep 0.1; done
echo "   saved in this session: $(cd "$work" && ls -- *.txt* 2>/dev/null | tr '\n' ' ')"
check windows_second_save "the second save of the session, typed \"second\", is second.txt" \
    eval 'test -s "$second.txt" && test ! -e "$second.txt.txt"'
lines=$(grep -c '' "$report.txt" 2>/dev/null || echo 0)
check windows_report_lines "it has 23 + 4 lines ($lines)" test "$lines" -eq 27
crlf() { ! grep -qv $'\r$' "$report.txt" && [[ "$(tail -c 2 "$report.txt" | od -An -tx1 | tr -d ' ')" == 0d0a ]]; }
check windows_report_crlf "every line ends in CR LF" crlf
copyright=$(tail -n 1 "$report.txt" 2>/dev/null | od -An -tx1 | tr -d ' \n')
check windows_report_copyright "the copyright line is Windows-1252, with 0xA9" \
    test "$copyright" == "$(printf 'Copyright \xa9 Tamsel\r\n' | od -An -tx1 | tr -d ' \n')"
echo "   the copyright line's bytes: $(tail -n 1 "$report.txt" 2>/dev/null | od -An -tx1 | tr -s ' \n' ' ')"
generated=$(grep -a '^Generated' "$report.txt" 2>/dev/null | tr -d '\r')
echo "   $generated"
# Wine's locale here is English (United States): month/day/year and a 12-hour clock; the date
# is the day the file was written, whatever the clock says by now.
short_date() {
    [[ "$generated" =~ ^Generated\ {9}:\ $(date -r "$report.txt" +%-m/%-d/%Y)\ [0-9]{1,2}:[0-9]{2}:[0-9]{2}\ (AM|PM)$ ]]
}
check windows_report_date "the Generated date is in the locale's short date and long time" short_date

"$wineserver" -k 2>/dev/null # closes the program
wine_start

echo "== Moving and uninstalling, for all users"
setup /AllUsers "/D=$moved"
check windows_all_moved "for all users, moved: one copy, in the new folder, one entry naming it" moved_from "$folder" HKLM
uninstall HKLM
check windows_all_uninstalled "for all users, uninstalled: nothing left, the new folder's parent included" as_before

echo "$passed passed, $failed failed"
