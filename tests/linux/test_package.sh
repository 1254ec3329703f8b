# The Debian package: built from this build by scripts/deb_package.sh, it holds exactly
# the files listed below, lintian finds no error and no warning in it, apt-get installs
# it here with Debian's own packages for its dependencies, the installed program and
# hack answer --version, and apt-get purge leaves none of its files behind.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
linux_init "$@"
[ "$(id -u)" -eq 0 ] || linux_skip "needs root to install the package"
for tool in dpkg-deb lintian apt-get; do
    command -v "$tool" >/dev/null 2>&1 || linux_skip "missing tool: $tool"
done
if dpkg-query -W -f='${Status}' huemix 2>/dev/null | grep -q "ok installed"; then
    linux_skip "a huemix package is installed on this machine already; it is left alone"
fi

bash "$E2E_ROOT/scripts/deb_package.sh" "$(dirname "$E2E_EXE")" "$E2E_WORK/out" >"$E2E_WORK/package.log" 2>&1 ||
    e2e_fail "deb_package.sh failed: $(tail -n 5 "$E2E_WORK/package.log")"
deb="$(ls "$E2E_WORK"/out/huemix_*_amd64.deb)"
(cd "$E2E_WORK/out" && sha256sum -c --quiet "$(basename "$deb").sha256") || e2e_fail "the .sha256 does not match"

expected=(
    "-rwxr-xr-x ./usr/bin/huemix"
    "lrwxrwxrwx ./usr/libexec/xscreensaver/huemix -> ../../bin/huemix"
    "-rw-r--r-- ./usr/share/applications/huemix.desktop"
    "-rw-r--r-- ./usr/share/doc/huemix/changelog.gz"
    "-rw-r--r-- ./usr/share/doc/huemix/copyright"
    "-rw-r--r-- ./usr/share/icons/hicolor/16x16/apps/huemix.png"
    "-rw-r--r-- ./usr/share/icons/hicolor/32x32/apps/huemix.png"
    "-rw-r--r-- ./usr/share/icons/hicolor/48x48/apps/huemix.png"
    "-rw-r--r-- ./usr/share/icons/hicolor/256x256/apps/huemix.png"
    "-rw-r--r-- ./usr/share/man/man6/huemix.6.gz"
    "-rw-r--r-- ./usr/share/xscreensaver/config/huemix.xml"
)
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ && $2 == "root/root" { $2 = $3 = $4 = $5 = ""; print }' |
    sed 's/  */ /g' | sort >"$E2E_WORK/files"
printf '%s\n' "${expected[@]}" | sort >"$E2E_WORK/files.expected"
diff -u "$E2E_WORK/files.expected" "$E2E_WORK/files" >"$E2E_WORK/files.diff" ||
    e2e_fail "the package's files differ: $(cat "$E2E_WORK/files.diff")"
[ "$(dpkg-deb -c "$deb" | awk '$2 != "root/root"' | wc -l)" -eq 0 ] || e2e_fail "a file not owned by root"
for png in 16 32 48 256; do
    dpkg-deb --fsys-tarfile "$deb" | tar -xOf - "./usr/share/icons/hicolor/${png}x${png}/apps/huemix.png" |
        identify -format '%wx%h' - | grep -qx "${png}x${png}" || e2e_fail "the ${png}x${png} icon is not that size"
done
grep -q '^Depends: .*libsdl2-2.0-0' <(dpkg-deb -f "$deb") || e2e_fail "no dependency on libsdl2-2.0-0"

lintian --fail-on error,warning "$deb" >"$E2E_WORK/lintian.log" 2>&1 ||
    e2e_fail "lintian: $(grep -E '^[EW]:' "$E2E_WORK/lintian.log" | head -n 10)"

DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$deb" >"$E2E_WORK/install.log" 2>&1 ||
    e2e_fail "apt-get install failed: $(tail -n 5 "$E2E_WORK/install.log")"
dpkg -L huemix >"$E2E_WORK/installed"
for program in /usr/bin/huemix /usr/libexec/xscreensaver/huemix; do
    "$program" --version | grep -qx "huemix [0-9.]*" || e2e_fail "$program --version does not answer"
done
[ "$(command -v huemix)" = /usr/bin/huemix ] || e2e_fail "huemix is not on the PATH"

DEBIAN_FRONTEND=noninteractive apt-get purge -y -q huemix >"$E2E_WORK/purge.log" 2>&1 ||
    e2e_fail "apt-get purge failed: $(tail -n 5 "$E2E_WORK/purge.log")"
left=()
while IFS= read -r path; do
    # Folders such as /usr/share/man are shared with other packages and stay.
    [ -d "$path" ] && [ ! -L "$path" ] && continue
    [ -e "$path" ] || [ -L "$path" ] && left+=("$path")
done <"$E2E_WORK/installed"
[ ${#left[@]} -eq 0 ] || e2e_fail "purge left: ${left[*]}"
[ ! -d /usr/share/doc/huemix ] || e2e_fail "purge left /usr/share/doc/huemix"
dpkg-query -W -f='${Status}' huemix 2>/dev/null | grep -q "ok installed" && e2e_fail "still known to dpkg as installed"
e2e_pass
