#!/usr/bin/env bash
# The setup program, as a user meets it, in a Wine prefix of its own made fresh: its
# resources; a silent install for the current user puts the files, the Start menu
# shortcut, the uninstall entry and the screen saver choice in place; the installed
# program and saver start and end with exit code 0; a running Huemix stops both an
# upgrade and the uninstaller before they change anything; an upgrade keeps the
# saver's settings; the silent uninstall leaves the prefix as it was.
#
#     bash test_setup.sh BUILD_DIR VERSION WINDRES
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh"
BUILD="$(cd "${1:?usage: $0 BUILD_DIR VERSION WINDRES}" && pwd)"
VERSION="${2:?}"
WINDRES="${3:?}"
e2e_init "$BUILD/huemix.exe"
export HUEMIX_WINEPREFIX="$E2E_WORK/wine" WINEPREFIX="$E2E_WORK/wine"
_e2e_prepare_prefix

out="$E2E_WORK/package"
bash "$E2E_ROOT/scripts/package.sh" "$BUILD" "$out" >"$E2E_WORK/package.log" 2>&1 \
    || e2e_fail "package.sh failed: $(tail -n 5 "$E2E_WORK/package.log")"
setup="$out/huemix-$VERSION-setup.exe"
[ -f "$setup" ] || e2e_fail "no $(basename "$setup") (made: $(ls "$out"))"
(cd "$out" && sha256sum --quiet -c "$(basename "$setup").sha256") >/dev/null 2>&1 || e2e_fail "the setup's .sha256 does not match"
python3 "$E2E_ROOT/tests/release/check_resources.py" "$WINDRES" "$VERSION" "$(basename "$setup")=$setup" >&2 \
    || e2e_fail "the setup program's resources"

win() { bash "$E2E_ROOT/scripts/wine-run.sh" "$@" 2>/dev/null; }
# Every file and folder of the prefix's C: drive, and every registry key and value
# name, once Wine has written the registry out; the Temp folders change by themselves.
snapshot() {
    _e2e_wineserver -w
    (cd "$WINEPREFIX/drive_c" && find . | grep -v -e '/Temp/' -e '^./windows/' | sort) >"$E2E_WORK/$1.files"
    python3 - "$WINEPREFIX" >"$E2E_WORK/$1.reg" <<'PY'
import re, sys
for hive in ("user.reg", "system.reg", "userdef.reg"):
    key = None
    for line in open(f"{sys.argv[1]}/{hive}", encoding="utf-8", errors="replace"):
        if line.startswith("["):
            key = line[1:line.rindex("]")]
            print(hive, key)
        elif key and (m := re.match(r'("(?:[^"\\]|\\.)*"|@)=', line)):
            print(hive, key, m.group(1))
PY
}

e2e_start_display 1024x768
# The user's own wait, and screen saving on.
e2e_reg_write 'HKCU\Control Panel\Desktop' ScreenSaveTimeOut REG_SZ 420
e2e_reg_write 'HKCU\Control Panel\Desktop' ScreenSaveActive REG_SZ 1
snapshot before

win "$setup" /S || e2e_fail "the silent install ends with exit code $?"
_e2e_wineserver -w
user="$(ls "$WINEPREFIX/drive_c/users" | grep -v -x Public | head -n1)"
dir="$WINEPREFIX/drive_c/users/$user/AppData/Local/Programs/Huemix"
windir="C:\\users\\$user\\AppData\\Local\\Programs\\Huemix"
for file in huemix.exe huemix.scr README.txt uninstall.exe; do
    [ -f "$dir/$file" ] || e2e_fail "no $file in $dir"
done
cmp -s "$dir/huemix.exe" "$BUILD/huemix.exe" && cmp -s "$dir/huemix.scr" "$BUILD/huemix.scr" \
    || e2e_fail "the installed executables differ from the built ones"
[ -f "$WINEPREFIX/drive_c/users/$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Huemix.lnk" ] \
    || e2e_fail "no Start menu shortcut"
[ ! -e "$WINEPREFIX/drive_c/users/$user/Desktop/Huemix.lnk" ] || e2e_fail "a desktop shortcut nobody asked for"
uninstall='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Huemix'
for expected in "DisplayName=Huemix" "DisplayVersion=$VERSION" "Publisher=Korvane" \
    "DisplayIcon=$windir\\huemix.exe,0" "QuietUninstallString=\"$windir\\uninstall.exe\" /S"; do
    got="$(e2e_reg_value "$uninstall" "${expected%%=*}")"
    [ "$got" = "${expected#*=}" ] || e2e_fail "${expected%%=*} is '$got', not '${expected#*=}'"
done
got="$(e2e_reg_value "$uninstall" EstimatedSize)"
[ "$((got))" -gt 500 ] || e2e_fail "EstimatedSize is '$got'"
desktop='HKCU\Control Panel\Desktop'
got="$(e2e_reg_value "$desktop" SCRNSAVE.EXE)"
[ "$got" = "$windir\\huemix.scr" ] || e2e_fail "SCRNSAVE.EXE is '$got'"
[ "$(e2e_reg_value "$desktop" ScreenSaveActive)" = 1 ] || e2e_fail "screen saving is not on"
[ "$(e2e_reg_value "$desktop" ScreenSaveTimeOut)" = 420 ] || e2e_fail "the saver's wait was changed"

# The installed program and saver.
E2E_EXE="$dir/huemix.exe"
e2e_start_huemix --mode 2
e2e_wait_window
e2e_key q
e2e_wait_exit && [ "$E2E_EXIT_CODE" -eq 0 ] || e2e_fail "the installed huemix.exe does not end on Q with code 0"
E2E_EXE="$dir/huemix.scr"
e2e_start_huemix /s
e2e_wait_for 60 xdotool search --onlyvisible --name "^Korvane's Huemix Screen Saver\$" >/dev/null ||
    e2e_fail "the installed huemix.scr /s shows no window"
sleep 1
e2e_key a
e2e_wait_exit && [ "$E2E_EXIT_CODE" -eq 0 ] || e2e_fail "the installed huemix.scr does not end on a key with code 0"

# While Huemix runs, neither an upgrade nor the uninstaller changes anything.
saver_key='HKCU\Software\Korvane\Huemix\Screen Saver'
e2e_reg_write "$saver_key" Mode REG_DWORD 4
E2E_EXE="$dir/huemix.exe"
e2e_start_huemix --windowed
e2e_wait_window
win "$setup" /S && e2e_fail "an upgrade over a running huemix.exe reports success"
win "$dir/uninstall.exe" /S "_?=$windir" && e2e_fail "the uninstaller reports success while huemix.exe runs"
for file in huemix.exe huemix.scr README.txt uninstall.exe; do
    [ -f "$dir/$file" ] || e2e_fail "$file is gone although Huemix was running"
done
[ -n "$(e2e_reg_value "$uninstall" DisplayName)" ] || e2e_fail "the uninstall entry is gone although Huemix was running"
e2e_key q
e2e_wait_exit || e2e_fail "huemix.exe does not end on Q"

# The upgrade in place keeps the saver's settings.
win "$setup" /S || e2e_fail "the upgrade ends with exit code $?"
[ "$(e2e_reg_value "$saver_key" Mode)" = 0x4 ] || e2e_fail "the upgrade lost the saver's Mode setting"
[ -f "$dir/huemix.exe" ] || e2e_fail "no huemix.exe after the upgrade"

# The silent uninstall as the system starts it, from its registered command. It keeps
# the saver's settings; removing them by hand, the prefix is as before the install.
quiet="$(e2e_reg_value "$uninstall" QuietUninstallString)"
exe="${quiet#\"}"
win "${exe%%\"*}" /S || e2e_fail "the uninstaller ends with exit code $?"
_e2e_wineserver -w  # it continues from a copy of itself in the temporary folder
[ "$(e2e_reg_value "$saver_key" Mode)" = 0x4 ] || e2e_fail "the silent uninstall removed the saver's settings"
[ "$(e2e_reg_value "$desktop" ScreenSaveActive)" = 0 ] || e2e_fail "screen saving is still on without the saver"
e2e_reg delete 'HKCU\Software\Korvane' /f >/dev/null
e2e_reg_write "$desktop" ScreenSaveActive REG_SZ 1
snapshot after
diff "$E2E_WORK/before.files" "$E2E_WORK/after.files" >&2 || e2e_fail "files or folders left behind or removed"
diff "$E2E_WORK/before.reg" "$E2E_WORK/after.reg" >&2 || e2e_fail "registry keys or values left behind or removed"
e2e_pass
