#!/usr/bin/env bash
# The Debian packages end to end: made by CPack from the build tree, checked for their files,
# declared dependencies and udev rule and held to lintian, installed by dpkg into a scratch
# root that knows this machine's packages, the demo package's quadron-demo started as an
# ordinary user on the test display until the installed program's icon sits in the tray, then
# both purged without a trace.
#
# Usage: package_test.sh BUILD_DIR VERSION [ARCH]   (DISPLAY names an X server with a tray host)
#   ARCH   the packages' Debian architecture, when not this machine's (a cross-build, whose
#          programs run through binfmt_misc)
set -euo pipefail

build=$1
version=$2
arch=${3:-$(dpkg --print-architecture)}
package=brenvik-quadron
demo_package=brenvik-quadron-demo

scratch=$(mktemp -d /tmp/quadron-package.XXXXXX)
chmod 755 "$scratch"
root=$scratch/root
demo_pid=
cleanup() {
    [ -z "$demo_pid" ] || { kill "$demo_pid" 2>/dev/null; wait "$demo_pid" 2>/dev/null; } || true
    rm -rf "$scratch"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# --- The packages as CPack makes them -------------------------------------------------------
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log" >&2; fail "cpack could not make the packages"; }
deb=$scratch/out/${package}_${version}-1_$arch.deb
demo_deb=$scratch/out/${demo_package}_${version}-1_$arch.deb
made=$(cd "$scratch/out" && echo *.deb)
for d in "$deb" "$demo_deb"; do
    [ -f "$d" ] || fail "no $(basename "$d") among $made"
done
[ "$(wc -w <<<"$made")" -eq 2 ] || fail "CPack made other packages too: $made"

files() {
    dpkg-deb --contents "$1" |
        awk '$1 !~ /^d/ { $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print }' | sort
}
diff -u - <(files "$deb") <<END || fail "$package holds other files"
./usr/bin/quadron
./usr/lib/udev/rules.d/70-brenvik-quadron.rules
./usr/share/applications/org.brenvik_quadron.Quadron.desktop
./usr/share/doc/brenvik-quadron/changelog.Debian.gz
./usr/share/doc/brenvik-quadron/copyright
./usr/share/icons/hicolor/128x128/apps/brenvik-quadron.png
./usr/share/icons/hicolor/16x16/apps/brenvik-quadron.png
./usr/share/icons/hicolor/22x22/apps/brenvik-quadron.png
./usr/share/icons/hicolor/24x24/apps/brenvik-quadron.png
./usr/share/icons/hicolor/32x32/apps/brenvik-quadron.png
./usr/share/icons/hicolor/48x48/apps/brenvik-quadron.png
./usr/share/icons/hicolor/64x64/apps/brenvik-quadron.png
./usr/share/lintian/overrides/brenvik-quadron
./usr/share/man/man1/quadron.1.gz
./usr/share/metainfo/org.brenvik_quadron.Quadron.metainfo.xml
END
diff -u - <(files "$demo_deb") <<END || fail "$demo_package holds other files"
./usr/bin/quadron-demo
./usr/bin/quadron-emulator
./usr/share/doc/brenvik-quadron-demo/changelog.Debian.gz
./usr/share/doc/brenvik-quadron-demo/copyright
./usr/share/lintian/overrides/brenvik-quadron-demo
./usr/share/man/man1/quadron-demo.1.gz
./usr/share/man/man1/quadron-emulator.1.gz
END

# Every library a package's programs link must come from a package named in its Depends.
depends_names() {
    echo " $(dpkg-deb --field "$1" Depends | sed -E 's/\([^)]*\)//g; s/[,|]/ /g' | xargs) "
}
for d in "$deb" "$demo_deb"; do
    names=$(depends_names "$d")
    extracted=$scratch/extracted/$(basename "$d")
    mkdir -p "$extracted"
    dpkg-deb --extract "$d" "$extracted"
    for program in "$extracted"/usr/bin/*; do
        # The program's own dynamic loader lists its libraries, whatever its architecture.
        loader=$(readelf -l "$program" | sed -n 's/.*program interpreter: \(.*\)]$/\1/p')
        for soname in $(objdump -p "$program" | awk '$1 == "NEEDED" { print $2 }'); do
            path=$("$loader" --list "$program" | awk -v so="$soname" '$1 == so { print $3 }')
            [ -n "$path" ] || fail "$(basename "$program"): $soname not found"
            owner=$(dpkg -S "$path" 2>/dev/null || dpkg -S "/usr$path" 2>/dev/null ||
                dpkg -S "$(readlink -f "$path")" 2>/dev/null) || fail "no package owns $path"
            [[ $names == *" ${owner%%:*} "* ]] ||
                fail "$(basename "$program") links $soname from ${owner%%:*}, not in Depends:$names"
        done
    done
done
# The program needs no emulator. The demo runs the program of its own build, and preloads
# umockdev's library into it rather than linking it.
[[ $(depends_names "$deb") != *" umockdev "* ]] || fail "$package depends on umockdev"
demo_depends=$(dpkg-deb --field "$demo_deb" Depends)
[[ ", $demo_depends," == *", $package (= $version-1),"* ]] ||
    fail "$demo_package does not depend on $package (= $version-1): $demo_depends"
[[ $(depends_names "$demo_deb") == *" umockdev "* ]] ||
    fail "$demo_package does not depend on umockdev: $demo_depends"

# Debian's own checks: nothing at warning level or above.
lintian --fail-on error,warning "$deb" "$demo_deb" >"$scratch/lintian.log" 2>&1 ||
    { cat "$scratch/lintian.log" >&2; fail "lintian objects to the packages"; }
! grep -E '^[EW]: ' "$scratch/lintian.log" || fail "lintian warns about the packages"

# The udev rule tags the amplifier's hidraw node for the seat's user, grants nothing to
# everyone else, and sorts before 71-seat.rules and 73-seat-late.rules, which act on the tag.
rule_file=$(echo "$scratch/extracted/$(basename "$deb")"/usr/lib/udev/rules.d/*.rules)
rule=$(grep -Ev '^[[:space:]]*(#|$)' "$rule_file")
for key in 'SUBSYSTEM=="hidraw"' 'ATTRS{idVendor}=="8d88"' 'ATTRS{idProduct}=="0066"' \
    'TAG+="uaccess"'; do
    [[ $rule == *"$key"* ]] || fail "the udev rule lacks $key: $rule"
done
[ "$(wc -l <<<"$rule")" -eq 1 ] || fail "the udev rule file holds more than one rule"
! grep -Eq '(MODE|OWNER|GROUP)[[:space:]]*:?=' <<<"$rule" || fail "the udev rule sets permissions"
rule_name=$(basename "$rule_file")
[ "${rule_name%%-*}" -lt 71 ] || fail "the udev rule $rule_name runs after the seat rules"

# --- Installed by dpkg ----------------------------------------------------------------------
# The scratch root's database is this machine's, so dependencies and file clashes with the
# installed packages are judged for real. Maintainer scripts run outside the root with
# DPKG_ROOT set, and leave udev alone then.
admin=$root/var/lib/dpkg
mkdir -p "$admin/info" "$admin/updates"
cp /var/lib/dpkg/status "$admin/"
[ -f /var/lib/dpkg/diversions ] && cp /var/lib/dpkg/diversions "$admin/"
[ -f /var/lib/dpkg/arch ] && cp /var/lib/dpkg/arch "$admin/"
find /var/lib/dpkg/info -name '*.list' -exec cp -t "$admin/info" {} +
dpkg_root() {
    local extra=()
    [ "$(id -u)" -eq 0 ] || extra+=(--force-not-root)
    # dpkg looks for ldconfig and start-stop-daemon, which an ordinary user's PATH lacks.
    PATH="$PATH:/usr/sbin:/sbin" \
        dpkg --root="$root" --log=/dev/null --force-script-chrootless "${extra[@]}" "$@"
}
dpkg_root --install "$deb" "$demo_deb" >"$scratch/install.log" 2>&1 ||
    { cat "$scratch/install.log" >&2; fail "dpkg could not install the packages"; }

# --- The installed demo, run by an ordinary user --------------------------------------------
home=$scratch/home
mkdir -m 700 "$home" "$home/runtime"
as_user=()
cp "$XAUTHORITY" "$home/Xauthority"
if [ "$(id -u)" -eq 0 ]; then
    chown -R nobody:nogroup "$home"
    as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
fi
"${as_user[@]}" env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$home/runtime" \
    DISPLAY="$DISPLAY" XAUTHORITY="$home/Xauthority" QT_QPA_PLATFORM=xcb "$root/usr/bin/quadron-demo" >"$scratch/demo.log" \
    2>&1 &
demo_pid=$!

# True when process pid runs program: its executable, or, run through an interpreter of
# binfmt_misc (qemu-user for another architecture), the interpreter's first argument.
runs() {
    [ "$(readlink "/proc/$1/exe" 2>/dev/null)" = "$2" ] ||
        [ "$(tr '\0' '\n' <"/proc/$1/cmdline" 2>/dev/null | sed -n 2p)" = "$2" ]
}
# The installed quadron's icon: a window in trayer's panel whose process runs the installed
# executable.
find_tray_icon() {
    local panel window pid
    for panel in $(xdotool search --class trayer 2>/dev/null); do
        for window in $(xwininfo -tree -id "$panel" 2>/dev/null |
            awk '/\("quadron" / { print $1 }'); do
            pid=$(xprop -id "$window" _NET_WM_PID 2>/dev/null | awk '{ print $3 }')
            runs "$pid" "$root/usr/bin/quadron" && return 0
        done
    done
    return 1
}
for _ in $(seq 150); do
    # An ended child stays a zombie until waited for.
    grep -q '^State:[[:space:]]*[^Z]' "/proc/$demo_pid/status" 2>/dev/null ||
        { cat "$scratch/demo.log" >&2; fail "quadron-demo ended"; }
    find_tray_icon && break
    sleep 0.1
done
find_tray_icon || { cat "$scratch/demo.log" >&2; fail "no tray icon of the installed quadron"; }

# Told to end, as at logout, the program ends in order and the demo passes its code on.
kill -TERM "$demo_pid"
status=0
wait "$demo_pid" || status=$?
demo_pid=
[ "$status" -eq 0 ] || { cat "$scratch/demo.log" >&2; fail "quadron-demo ended with $status"; }

# --- Removed by dpkg --------------------------------------------------------------------------
dpkg_root --purge "$demo_package" "$package" >"$scratch/purge.log" 2>&1 ||
    { cat "$scratch/purge.log" >&2; fail "dpkg could not purge the packages"; }
left=$(find "$root" -mindepth 1 -not -path "$root/var" -not -path "$root/var/*")
[ -z "$left" ] || fail "left behind: $left"
for p in "$package" "$demo_package"; do
    status=$(dpkg-query --root="$root" --show --showformat='${Status}' "$p" 2>/dev/null || true)
    [[ -z $status || $status == *not-installed ]] || fail "dpkg still lists $p: $status"
done
for d in "$deb" "$demo_deb"; do
    echo "$(basename "$d"): $(stat -c %s "$d") bytes"
done
echo "lintian-clean, installed, the demo ran, purged"
