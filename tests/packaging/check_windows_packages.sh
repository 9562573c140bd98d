#!/usr/bin/env bash
# The Windows packages made by cpack, tried under Wine: the zip holds exactly the
# programs, Qt, the runtime and LICENSE, stripped and needing nothing outside it
# but Windows (subsystems: tst_windows_programs), and its compiler makes the
# example's script; the installer, silently for all users (/D=) and for the
# current user, installs a working compiler, Start-menu and uninstall entries and
# an editor that shows its window, and its uninstaller leaves nothing behind.
#   check_windows_packages.sh SOURCE_DIR BUILD_DIR VERSION
set -euo pipefail
src=$1 build=$2 version=$3
fail() { echo "FAIL: $*" >&2; exit 1; }
wine=${SCP_WINE:-/usr/lib/wine/wine64} server=$(dirname "$wine")/wineserver
objdump=x86_64-w64-mingw32-objdump
for tool in "$wine" "$server" $objdump Xvfb xwininfo; do
    command -v "$tool" >/dev/null || { echo "SKIPPED: $tool not found"; exit 77; }
done

work=$(mktemp -d)
# No Mono or Gecko to ask for, and no menu entries of Wine's on this machine.
export WINEPREFIX=$work/wine WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d'
unset WINEPATH # the packages must bring what they need
xvfb=
cleanup() { # on the way out, whatever stopped: nothing here may fail the run
    set +e
    [[ ! -d $WINEPREFIX ]] || { "$server" -k; "$server" -w; } 2>/dev/null
    [[ -z $xvfb ]] || kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
win() { "$wine" "$@" 2>/dev/null; }
settle() { "$server" -w; } # every Windows process has ended

cpack -G "ZIP;NSIS64" --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack"; }
name=scpmaker-$version-win64
zip=$work/out/$name.zip setup=$work/out/$name-setup.exe
[[ -f $zip && -f $setup ]] || fail "packages: $(ls "$work/out")"

expected=(LICENSE scpmaker.exe scpmaker-compile.exe Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll
    libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll platforms/qwindows.dll
    imageformats/qjpeg.dll styles/qwindowsvistastyle.dll)
mkdir "$work/zip"
(cd "$work/zip" && cmake -E tar xf "$zip")
diff <(printf "$name/%s\n" "${expected[@]}" scpmaker.ini | sort) \
     <(cd "$work/zip" && find . -type f | sed 's|^\./||' | sort) || fail "zip contents"
unpacked=$work/zip/$name
[[ ! -s $unpacked/scpmaker.ini ]] || fail "the zip's scpmaker.ini is not empty"

# Wine's desktop takes the display it is first started with: the X server first.
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
win wineboot --init >/dev/null
system32=$WINEPREFIX/drive_c/windows/system32
for file in "${expected[@]}"; do
    [[ $file == *.exe || $file == *.dll ]] || continue
    headers=$($objdump -h "$unpacked/$file")
    grep -q '\.debug_' <<<"$headers" && fail "$file is not stripped"
    for dll in $($objdump -p "$unpacked/$file" | awk '/DLL Name:/ {print $3}'); do
        # api-ms-win-*: names of Windows' API sets, which its loader maps.
        [[ -f $unpacked/$dll || ${dll,,} == api-ms-win-* ||
            -n $(find "$system32" -maxdepth 1 -iname "$dll" | head -n1) ]] ||
            fail "$file needs $dll, which is neither in the zip nor in Windows"
    done
done

# The compiler as a user runs it: from the unpacked folder, on a patch.
compiles() { # PROGRAM: the example's script, byte for byte, and the message
    rm -rf "$work/patch" && cp -r "$src/examples/patch" "$work/patch"
    local out
    out=$(win "$1" "$work/patch") || fail "$1 failed: $out"
    [[ $out == $'Mantle.Scp has been created\r' ]] || fail "$1 said: $out"
    cmp "$work/patch/mantle.scp" "$src/tests/data/scripts/example.scp" || fail "$1: script differs"
}
compiles "$unpacked/scpmaker-compile.exe"
for prog in scpmaker scpmaker-compile; do
    out=$(win "$unpacked/$prog.exe" --version | tr -d '\r')
    [[ $out == "$prog $version" ]] || fail "$prog --version: $out"
    # --help-all, which the help offers, prints the same help and opens no window.
    help=$(win "$unpacked/$prog.exe" --help | tr -d '\r')
    out=$(timeout 60 "$wine" "$unpacked/$prog.exe" --help-all 2>/dev/null | tr -d '\r')
    [[ $help == "Usage: $prog "* && $out == "$help" ]] || fail "$prog --help-all: $out"
done

# The unpacked zip is portable: settings in its scpmaker.ini, journals beside it,
# nothing in the registry or user data; with no folder for journals (a file
# there stands for a read-only medium) it says so and starts all the same.
windows_shown() { [[ $(xwininfo -display "$display" -root -tree) == *"$1"* ]]; }
await_window() { # TITLE LOG: waits up to a minute for a window so named
    for _ in $(seq 60); do windows_shown "$1" && return 0; sleep 1; done
    cat "$2"; return 1
}
user_data() { find "$WINEPREFIX/drive_c/users" -path '*/AppData/Local/scpmaker' 2>/dev/null; }
mkdir -p "$work/portable-patch"
(cd "$work/portable-patch" && "$wine" "$unpacked/scpmaker.exe" >"$work/portable.log" 2>&1 &)
await_window '"MoonrakesMantle.' "$work/portable.log" || fail "portable: no main window"
ls "$unpacked"/recovery/*.lock >/dev/null 2>&1 || fail "portable: no journal lock beside it"
win taskkill /im scpmaker.exe >/dev/null # closes its window, as a user would
settle
grep -q 'geometry=' "$unpacked/scpmaker.ini" ||
    fail "portable: settings not in scpmaker.ini: $(cat "$unpacked/scpmaker.ini")"
[[ -z $(user_data) ]] || fail "portable: left $(user_data)"
! grep -qiE '^\[Software\\\\(scpmaker|QtProject)' "$WINEPREFIX"/*.reg ||
    fail "portable: wrote the registry"
rm -rf "$unpacked/recovery" && : >"$unpacked/recovery"
(cd "$work/portable-patch" && "$wine" "$unpacked/scpmaker.exe" >"$work/readonly.log" 2>&1 &)
await_window '"scpmaker"' "$work/readonly.log" || fail "read-only portable: nothing said"
"$server" -k
settle
[[ -z $(user_data) ]] || fail "read-only portable: left $(user_data)"
rm -f "$unpacked/recovery"

# All a Windows program may leave: files outside Wine's own, and the registry
# below an installer's keys; the editor's own user data no uninstaller takes.
state() {
    settle
    (cd "$WINEPREFIX/drive_c" && find . -path ./windows -prune -o -path '*/Temp' -prune -o \
        -path '*/AppData/Local/scpmaker' -prune -o -print | sort)
    grep -i 'scpmaker' "$WINEPREFIX"/*.reg || true
}

mkdir -p "$WINEPREFIX/drive_c/scptest" # the folder around /D='s, not the installer's
for mode in all current; do
    before=$(state)
    if [[ $mode == all ]]; then
        win "$setup" /S /AllUsers '/D=C:\scptest\scpmaker' || fail "setup /S /AllUsers failed"
        menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/scpmaker.lnk"
        hive=HKLM
        installed=$WINEPREFIX/drive_c/scptest/scpmaker
    else
        win "$setup" /S /CurrentUser || fail "setup /S /CurrentUser failed"
        settle
        # The user's own folders, whatever Wine names the user.
        installed=$(find "$WINEPREFIX/drive_c/users" -type d -path '*/AppData/Local/Programs/scpmaker')
        menu=$(find "$WINEPREFIX/drive_c/users" -path '*/Start Menu/Programs/scpmaker.lnk')
        hive=HKCU
    fi
    settle
    [[ -d $installed ]] || fail "$mode: not installed where expected"
    echo "$mode: installed $(du -sb "$installed" | cut -f1) bytes in $installed"
    diff <(printf '%s\n' "${expected[@]}" uninstall.exe | sort) \
         <(cd "$installed" && find . -type f | sed 's|^\./||' | sort) || fail "$mode: installed files"
    [[ -f $menu ]] || fail "$mode: no Start-menu entry at $menu"
    win reg query "$hive\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\scpmaker" \
        /v DisplayVersion | grep -q "$version" || fail "$mode: no entry under installed programs"
    compiles "$installed/scpmaker-compile.exe"

    # The editor from the installed folder, on a display: its main window.
    (cd "$work" && WINEDEBUG=err+all "$wine" "$installed/scpmaker.exe" >"$work/editor.log" 2>&1 &)
    await_window '"MoonrakesMantle.' "$work/editor.log" ||
        fail "$mode: the editor's main window did not show"
    # An installed copy keeps its journals in the user's data folder.
    find "$WINEPREFIX/drive_c/users" -path '*/AppData/Local/scpmaker/recovery/*.lock' |
        grep -q . || fail "$mode: no journal lock in the user's data folder"
    "$server" -k
    sleep 1

    win "$installed/uninstall.exe" /S || fail "$mode: uninstall failed"
    settle
    [[ ! -e $installed ]] || fail "$mode: left $(find "$installed")"
    [[ ! -e $menu ]] || fail "$mode: left the Start-menu entry"
    diff <(echo "$before") <(state) || fail "$mode: the uninstaller left the above"
done
echo "packages $name.zip and $name-setup.exe checked"
