#!/usr/bin/env bash
# The Debian package end to end: made by CPack from the build tree, checked for its files,
# their modes and its declared dependencies, installed by dpkg into a scratch root that knows
# this machine's packages, its quadron-demo started as an ordinary user on the test display
# until the installed program's icon sits in the tray, then purged without a trace.
#
# Usage: package_test.sh BUILD_DIR VERSION   (DISPLAY names an X server with a tray host)
set -euo pipefail

build=$1
version=$2
package=brenvik-quadron

scratch=$(mktemp -d /tmp/quadron-package.XXXXXX)
chmod 755 "$scratch"
root=$scratch/root
demo_pid=
cleanup() {
    if [ -n "$demo_pid" ]; then
        kill "$demo_pid" 2>/dev/null || true
        wait "$demo_pid" 2>/dev/null || true
    fi
    chmod -R u+w "$scratch" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# A child that has ended stays a zombie until waited for; it no longer runs.
running() {
    local state
    state=$(awk '/^State:/ { print $2 }' "/proc/$1/status" 2>/dev/null) || return 1
    [ -n "$state" ] && [ "$state" != Z ]
}

expected_files() {
    cat <<EOF
./usr/bin/quadron
./usr/bin/quadron-demo
./usr/bin/quadron-emulator
./usr/lib/udev/rules.d/70-brenvik-quadron.rules
./usr/share/applications/brenvik-quadron.desktop
./usr/share/icons/hicolor/128x128/apps/brenvik-quadron.png
./usr/share/icons/hicolor/16x16/apps/brenvik-quadron.png
./usr/share/icons/hicolor/22x22/apps/brenvik-quadron.png
./usr/share/icons/hicolor/24x24/apps/brenvik-quadron.png
./usr/share/icons/hicolor/32x32/apps/brenvik-quadron.png
./usr/share/icons/hicolor/48x48/apps/brenvik-quadron.png
./usr/share/icons/hicolor/64x64/apps/brenvik-quadron.png
./usr/share/man/man1/quadron-demo.1.gz -> quadron.1.gz
./usr/share/man/man1/quadron-emulator.1.gz -> quadron.1.gz
./usr/share/man/man1/quadron.1.gz
./usr/share/metainfo/org.brenvik_quadron.Quadron.metainfo.xml
EOF
}

# --- The package as CPack makes it ---------------------------------------------------------
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log" >&2; fail "cpack could not make the package"; }
deb=$scratch/out/${package}_${version}-1_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { ls "$scratch/out" >&2; fail "no $(basename "$deb")"; }

contents=$(dpkg-deb --contents "$deb")
listed=$(awk '$1 !~ /^d/ { $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print }' <<<"$contents" |
    sort)
diff -u <(expected_files | sort) <(echo "$listed") || fail "the package holds other files"
# Root's files, never writable by others; programs executable, everything else plain.
while read -r mode owner _ _ _ path _; do
    [ "$owner" = root/root ] || fail "$path belongs to $owner"
    case $mode in
    l*) ;;
    d*) [ "$mode" = drwxr-xr-x ] || fail "$path has mode $mode" ;;
    *)
        case $path in
        ./usr/bin/*) [ "$mode" = -rwxr-xr-x ] || fail "$path has mode $mode" ;;
        *) [ "$mode" = -rw-r--r-- ] || fail "$path has mode $mode" ;;
        esac
        ;;
    esac
done <<<"$contents"

mkdir "$scratch/control"
dpkg-deb --control "$deb" "$scratch/control"
for script in postinst postrm; do
    [ -x "$scratch/control/$script" ] || fail "no executable $script"
    sh -n "$scratch/control/$script" || fail "$script is not valid sh"
done

# Every library the programs link must come from a package named in Depends.
depends=$(dpkg-deb --field "$deb" Depends)
depends_names=" $(sed -E 's/\([^)]*\)//g; s/[,|]/ /g' <<<"$depends" | xargs) "
mkdir "$scratch/extracted"
dpkg-deb --extract "$deb" "$scratch/extracted"
for program in "$scratch"/extracted/usr/bin/*; do
    needed=$(objdump -p "$program" | awk '$1 == "NEEDED" { print $2 }')
    for soname in $needed; do
        path=$(ldd "$program" | awk -v so="$soname" '$1 == so { print $3 }')
        [ -n "$path" ] || fail "$(basename "$program"): $soname not found"
        owner=$(dpkg -S "$path" 2>/dev/null || dpkg -S "/usr$path" 2>/dev/null ||
            dpkg -S "$(readlink -f "$path")" 2>/dev/null) ||
            fail "no package owns $path"
        owner=${owner%%:*}
        [[ $depends_names == *" $owner "* ]] ||
            fail "$(basename "$program") links $soname from $owner, missing in Depends: $depends"
    done
done
# quadron-emulator preloads umockdev's library into the program rather than linking it.
[[ $depends_names == *" umockdev "* ]] || fail "Depends lacks umockdev: $depends"

# --- Installed by dpkg ----------------------------------------------------------------------
# The scratch root's database is this machine's, so dependencies and file clashes with the
# installed packages are judged for real. Triggers are left out: they would act on the
# machine itself. Maintainer scripts run outside the root with DPKG_ROOT set, and leave udev
# alone then.
admin=$root/var/lib/dpkg
mkdir -p "$admin/info" "$admin/updates"
cp /var/lib/dpkg/status "$admin/"
[ -f /var/lib/dpkg/diversions ] && cp /var/lib/dpkg/diversions "$admin/"
find /var/lib/dpkg/info -name '*.list' -exec cp -t "$admin/info" {} +
dpkg_root() {
    local extra=()
    [ "$(id -u)" -eq 0 ] || extra+=(--force-not-root)
    # dpkg looks for ldconfig and start-stop-daemon, which an ordinary user's PATH lacks.
    PATH="$PATH:/usr/sbin:/sbin" \
        dpkg --root="$root" --log=/dev/null --force-script-chrootless "${extra[@]}" "$@"
}
dpkg_root --install "$deb" >"$scratch/install.log" 2>&1 ||
    { cat "$scratch/install.log" >&2; fail "dpkg could not install the package"; }
dpkg-query --root="$root" --show --showformat='${Status}' "$package" |
    grep -qx 'install ok installed' || fail "the package is not installed"

for icon in "$root"/usr/share/icons/hicolor/*/apps/brenvik-quadron.png; do
    size=${icon#"$root"/usr/share/icons/hicolor/}
    size=${size%%x*}
    read -r w1 w2 w3 w4 h1 h2 h3 h4 < <(od -An -tu1 -j16 -N8 "$icon")
    width=$(((w1 << 24) | (w2 << 16) | (w3 << 8) | w4))
    height=$(((h1 << 24) | (h2 << 16) | (h3 << 8) | h4))
    if [ "$width" != "$size" ] || [ "$height" != "$size" ]; then
        fail "the ${size}x$size icon is ${width}x$height"
    fi
done
appstreamcli validate-tree --no-net --strict "$root" >"$scratch/tree.log" 2>&1 ||
    { cat "$scratch/tree.log" >&2; fail "the installed tree does not validate"; }

# --- The installed demo, run by an ordinary user --------------------------------------------
# As on a real machine the user cannot write the installed tree. The superuser could, so the
# demo runs as nobody then.
home=$scratch/home
mkdir -p "$home/runtime"
chmod 700 "$home/runtime"
as_user=()
if [ "$(id -u)" -eq 0 ]; then
    chown -R nobody:nogroup "$home"
    as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
else
    chmod -R a-w "$root/usr"
fi
tree_before=$(find "$root" -path "$admin" -prune -o -printf '%p %s %T@\n' | sort)

"${as_user[@]}" env -i PATH=/usr/bin:/bin HOME="$home" XDG_CONFIG_HOME="$home/.config" \
    XDG_RUNTIME_DIR="$home/runtime" DISPLAY="$DISPLAY" QT_QPA_PLATFORM=xcb \
    "$root/usr/bin/quadron-demo" >"$scratch/demo.log" 2>&1 &
demo_pid=$!

# The installed quadron's icon: a window inside trayer's panel whose process runs the
# installed executable.
find_tray_icon() {
    local panel window pid
    for panel in $(xdotool search --class trayer 2>/dev/null); do
        for window in $(xwininfo -tree -id "$panel" 2>/dev/null |
            awk '/\("quadron" / { print $1 }'); do
            pid=$(xprop -id "$window" _NET_WM_PID 2>/dev/null | awk '{ print $3 }')
            [ -n "$pid" ] && [ "$(readlink "/proc/$pid/exe" 2>/dev/null)" = "$root/usr/bin/quadron" ] &&
                { echo "$pid"; return 0; }
        done
    done
    return 1
}
quadron_pid=
for _ in $(seq 150); do
    running "$demo_pid" || { cat "$scratch/demo.log" >&2; fail "quadron-demo ended"; }
    quadron_pid=$(find_tray_icon) && break
    sleep 0.1
done
[ -n "$quadron_pid" ] || { cat "$scratch/demo.log" >&2; fail "no tray icon of the installed quadron"; }

# A termination signal, as at logout, reaches the program through the demo and ends it in
# order; the demo passes its exit code on.
kill -TERM "$demo_pid"
status=0
for _ in $(seq 100); do
    running "$demo_pid" || break
    sleep 0.1
done
running "$demo_pid" && fail "quadron-demo still runs after its program was told to end"
wait "$demo_pid" || status=$?
demo_pid=
[ "$status" -eq 0 ] || { cat "$scratch/demo.log" >&2; fail "quadron-demo ended with $status"; }
for exe in /proc/[0-9]*/exe; do
    [[ $(readlink "$exe" 2>/dev/null) == "$root"/* ]] && fail "${exe%/exe} still runs the package"
done
tree_after=$(find "$root" -path "$admin" -prune -o -printf '%p %s %T@\n' | sort)
diff -u <(echo "$tree_before") <(echo "$tree_after") || fail "running changed the installed tree"
[ -n "$(find "$home/.config" -name config.ini 2>/dev/null)" ] ||
    fail "the settings were not saved in the user's configuration directory"

# --- Removed by dpkg --------------------------------------------------------------------------
[ "$(id -u)" -eq 0 ] || chmod -R u+w "$root/usr"
dpkg_root --purge "$package" >"$scratch/purge.log" 2>&1 ||
    { cat "$scratch/purge.log" >&2; fail "dpkg could not purge the package"; }
left=$(find "$root" -mindepth 1 -not -path "$root/var" -not -path "$root/var/*")
[ -z "$left" ] || fail "left behind: $left"
status=$(dpkg-query --root="$root" --show --showformat='${Status}' "$package" 2>/dev/null || true)
case $status in
"" | *not-installed) ;;
*) fail "dpkg still lists the package: $status" ;;
esac
echo "$(basename "$deb"): $(stat -c %s "$deb") bytes, installed, ran, purged"
