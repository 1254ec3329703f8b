#!/usr/bin/env bash
# The download: scripts/package.sh packs what this build made into a zip that holds
# the executables and README.txt, in that order, each with the fixed time and
# permissions, the executables byte for byte as built; the .sha256 beside it checks
# out; and the program and the screen saver unpacked from the zip start and end with
# exit code 0.
#
#     bash test_package.sh BUILD_DIR VERSION EXECUTABLE...
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh"
BUILD="$(cd "${1:?usage: $0 BUILD_DIR VERSION EXECUTABLE...}" && pwd)"
VERSION="${2:?}"
shift 2
# The Wine prefix of the build's end-to-end tests serves here too.
export HUEMIX_E2E_WINEPREFIX="${HUEMIX_E2E_WINEPREFIX:-$BUILD/e2e-wine}"

# e2e_init wants the executable, which lives in the zip: give it the built one for the
# checks, then point it at the unpacked one.
e2e_init "$1"
out="$E2E_WORK/package"
bash "$E2E_ROOT/scripts/package.sh" "$BUILD" "$out" >"$E2E_WORK/package.log" 2>&1 \
    || e2e_fail "package.sh failed: $(tail -n 5 "$E2E_WORK/package.log")"
zip="huemix-$VERSION-windows-x64.zip"
[ -f "$out/$zip" ] || e2e_fail "no $zip (made: $(ls "$out"))"
(cd "$out" && sha256sum --quiet -c "$zip.sha256") >/dev/null 2>&1 || e2e_fail "$zip.sha256 does not match the zip"

python3 - "$out/$zip" "${SOURCE_DATE_EPOCH:-1767225600}" "$VERSION" "$@" <<'PY' || e2e_fail "the zip's contents"
import os, sys, time, zipfile
path, epoch, version, built = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4:]
faults = []
with zipfile.ZipFile(path) as z:
    infos = z.infolist()
    names = [i.filename for i in infos]
    wanted = [os.path.basename(b) for b in built] + ["README.txt"]
    if names != wanted:
        faults.append(f"entries {names}, not {wanted}")
    for info in infos:
        mode = info.external_attr >> 16
        want = 0o100644 if info.filename.endswith(".txt") else 0o100755
        if info.date_time != time.gmtime(epoch)[:6] or mode != want or info.extra:
            faults.append(f"{info.filename}: time {info.date_time}, mode {oct(mode)}, extra {info.extra!r}")
    for b in built:
        name = os.path.basename(b)
        if name in names and z.read(name) != open(b, "rb").read():
            faults.append(f"{name} differs from the built file")
    if "README.txt" in names:
        text = z.read("README.txt")
        if b"\n" in text.replace(b"\r\n", b""):
            faults.append("README.txt has line ends that are not CR LF")
        for needed in (f"Huemix {version}".encode(), b"huemix.exe", b"huemix.scr", b"Install",
                       b"F1 ", b"F12", b"Pictures", b"Settings"):
            if needed not in text:
                faults.append(f"README.txt does not mention {needed.decode()}")
for f in faults:
    print("zip:", f, file=sys.stderr)
sys.exit(1 if faults else 0)
PY

# The program as a user gets it: from the unpacked zip, in a folder of its own.
unpacked="$E2E_WORK/unpacked"
python3 -m zipfile -e "$out/$zip" "$unpacked" || e2e_fail "the zip does not unpack"
E2E_EXE="$unpacked/huemix.exe"
e2e_start_display 800x600
e2e_start_huemix --mode 2
e2e_wait_window
e2e_key q
e2e_wait_exit || e2e_fail "huemix.exe from the zip does not end on Q"
[ "$E2E_EXIT_CODE" -eq 0 ] || e2e_fail "huemix.exe from the zip ends with exit code $E2E_EXIT_CODE"

# The screen saver from the zip runs full screen and ends on a click, with exit code 0.
_package_saver_shown() {
    xdotool search --onlyvisible --name "^Korvane's Huemix Screen Saver\$" >/dev/null 2>&1
}
if [ -f "$unpacked/huemix.scr" ]; then
    E2E_EXE="$unpacked/huemix.scr"
    e2e_start_huemix /s
    e2e_wait_for 60 _package_saver_shown || e2e_fail "huemix.scr /s from the zip shows no window"
    sleep 1
    e2e_click 1
    e2e_wait_exit || e2e_fail "huemix.scr from the zip does not end on a click"
    [ "$E2E_EXIT_CODE" -eq 0 ] || e2e_fail "huemix.scr from the zip ends with exit code $E2E_EXIT_CODE"
fi
e2e_pass
