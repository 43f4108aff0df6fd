#!/bin/bash
# check_installer.sh SETUP.exe VERSION SCRATCH: installs and uninstalls the installer silently
# under 32-bit Wine, in a fresh prefix in SCRATCH, and checks what each leaves behind. Run on an X
# display (xvfb-run) from the source tree, after make build; check_release.sh runs it.
setup=$(realpath "$1") version=$2 scratch=$(realpath "$3")
mkdir -p "$scratch/wine" && echo win32 >"$scratch/wine/wine-arch"
ln -sfn "$PWD/build/win32/bin" "$scratch/wine/bin"
build_dir=$scratch/wine && . cmake/wine-env.sh
# Wine's own menu entries for the shortcut would be Wine's leftovers, not the program's.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
wine() { "$WINELOADER" "$@" </dev/null 2>/dev/null; }
drive_c=$WINEPREFIX/drive_c
program_dir="$drive_c/Program Files/UNBANK"
shortcut="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/UNBANK.lnk"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\UNBANK'
failed=0

check() {
    if "${@:2}"; then echo "  ok: $1"; else echo "  FAILED: $1" && failed=1; fi
}

# Waits up to 30 s for the command to succeed.
wait_for() {
    for _ in $(seq 60); do "$@" && return 0 || sleep 0.5; done
    return 1
}

window_shows() { xwininfo -root -tree | grep -q "\"$1\": "; }
system_path() { wine reg query 'HKLM\System\CurrentControlSet\Control\Session Manager\Environment' /v PATH; }
path_entries() { system_path | grep -o 'C:\\Program Files\\UNBANK\\cli' | wc -l; }
key_exists() { wine reg query "$1" >/dev/null; }
no_key() { ! key_exists "$1"; }
value_is() { wine reg query "$uninstall_key" /v "$1" | grep -q "REG_[A-Z_]*[[:space:]]*$2"; }
lists() { wine cmd /c unbank --version | tr -d '\r' | grep -qx "unbank $version"; }
files_installed() {
    (cd "$program_dir" && ls UNBANK.exe README.txt LICENSE.txt uninstall.exe cli/unbank.exe \
        cli/mkbank.exe) >/dev/null
}

# Everything of the prefix that a program could leave: its files and its registry as text.
snapshot() {
    wineserver -k && wineserver -w # the registry files are written when the server ends
    (cd "$drive_c" && find . -path ./users/*/Temp -prune -o -print | sort) >"$scratch/$1.files"
    cat "$WINEPREFIX"/*.reg | grep -i -e unbank -e 'zp-\?4' >"$scratch/$1.keys"
    wineserver -p && wine cmd /c exit
}

# The first window program of a fresh session gets no window: Wine's desktop comes up first,
# through the build's desktop_keeper.exe in this prefix.
start_desktop() { tests/shell/desktop.sh start "$build_dir"; }

wine wineboot -i
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
wineserver -p
snapshot before
start_desktop || { echo "  FAILED: the Wine desktop did not come up" && exit 1; }

echo "  installer: $(stat -c %s "$setup") bytes"
wine "$setup" /S /ASSOCIATE
check "a silent install puts the six files into Program Files\\UNBANK" files_installed
check "and the Start menu shortcut" [ -f "$shortcut" ]
for value in "DisplayName UNBANK" "DisplayVersion $version" "Publisher The UNBANK developers" \
    'DisplayIcon C:\\Program Files\\UNBANK\\UNBANK.exe,0' 'UninstallString "C:\\Program Files\\UNBANK\\uninstall.exe"' \
    'QuietUninstallString "C:\\Program Files\\UNBANK\\uninstall.exe" /S' "EstimatedSize 0x"; do
    check "Apps & features: ${value%% *}" value_is "${value%% *}" "${value#* }"
done
check "a new cmd runs unbank --version through the PATH" lists
check "the association's command quotes the program's path" eval \
    "wine reg query 'HKCR\\QUMA.ZP-4\\Shell\\Open\\command' | grep -qF '\"C:\\Program Files\\UNBANK\\UNBANK.exe\" \"%1\"'"
"$PWD/build/native/bin/mkbank" "$drive_c/ドラム.zp4" --demo >/dev/null
wine start /unix "$drive_c/ドラム.zp4" &
check "the installed UNBANK.exe opens a bank named in Japanese from the shell: it asks for a folder" \
    wait_for window_shows "Browse for Folder"
wineserver -k && wineserver -w && wineserver -p
rm "$drive_c/ドラム.zp4"

wine "$setup" /S /ASSOCIATE
check "installed again in place, the PATH holds cli once" [ "$(path_entries)" = 1 ]

wine "C:\\Program Files\\UNBANK\\uninstall.exe" /S
check "a silent uninstall removes the files" wait_for [ ! -e "$program_dir" ]
check "and the shortcut" [ ! -e "$shortcut" ]
check "and the Apps & features entry" no_key "$uninstall_key"
check "and the PATH entry" [ "$(path_entries)" = 0 ]
check "and the association" eval "no_key 'HKCR\\.zp4' && no_key 'HKCR\\QUMA.ZP-4'"
snapshot after
check "nothing of the program is left: no file, no registry entry" \
    diff "$scratch/before.files" "$scratch/after.files"
check "no registry entry names UNBANK or the file type" [ ! -s "$scratch/after.keys" ]
tests/shell/desktop.sh stop "$build_dir"
wineserver -k
exit $failed
