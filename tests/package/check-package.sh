#!/usr/bin/env bash
# Installs Velmora into a temporary root and builds its Debian package, then checks both with the
# desktop's own validators and lintian, and runs the unpacked program away from the source tree.
# Usage: check-package.sh <build folder>
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "== cmake --install"
DESTDIR="$work/root" cmake --install "$build" --prefix /usr >/dev/null
for file in usr/bin/velmora usr/share/applications/com.tarnwick.Velmora.desktop \
    usr/share/metainfo/com.tarnwick.Velmora.metainfo.xml \
    usr/share/icons/hicolor/scalable/apps/com.tarnwick.Velmora.svg \
    usr/share/icons/hicolor/48x48/apps/com.tarnwick.Velmora.png \
    usr/share/polkit-1/actions/com.tarnwick.Velmora.policy usr/share/man/man1/velmora.1.gz \
    usr/share/doc/velmora/copyright usr/libexec/velmora-gate usr/lib/systemd/system/velmora-gate.service \
    usr/share/dbus-1/system.d/com.tarnwick.VelmoraGate.conf \
    usr/share/dbus-1/system-services/com.tarnwick.VelmoraGate.service; do
    [[ -f "$work/root/$file" ]] || { echo "missing after install: $file"; exit 1; }
done
entry="$work/root/usr/share/applications/com.tarnwick.Velmora.desktop"
desktop-file-validate "$entry"
# KWin finds the entry by the program's full path before it shares its window list.
grep -qx "Exec=/usr/bin/velmora" "$entry" || { echo "Exec is not the installed program"; exit 1; }
grep -qx "X-KDE-Wayland-Interfaces=org_kde_plasma_window_management" "$entry" ||
    { echo "the entry does not ask KWin for its window list"; exit 1; }
appstreamcli validate --no-net --pedantic --explain \
    "$work/root/usr/share/metainfo/com.tarnwick.Velmora.metainfo.xml"

echo "== cpack"
(cd "$build" && cpack -G DEB -B "$work/package" >/dev/null)
deb=$(ls "$work"/package/velmora_*.deb)
echo "built $(basename "$deb")"
dpkg-deb -x "$deb" "$work/unpacked"
diff <(cd "$work/root" && find . -type f | sort) <(cd "$work/unpacked" && find . -type f | sort)
cmp "$entry" "$work/unpacked/usr/share/applications/com.tarnwick.Velmora.desktop"
dpkg-deb -f "$deb" Depends | grep -q libqt6core6 || { echo "no shared-library dependencies"; exit 1; }

echo "== the unpacked program, away from the source tree"
cd "$work"
"$work/unpacked/usr/bin/velmora" --version | grep -qx "velmora [0-9.]*"
log="$work/run.log"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$work/home" \
    XDG_CONFIG_HOME="$work/home/.config" "$work/unpacked/usr/bin/velmora" >"$log" 2>&1 &
pid=$!
for _ in $(seq 100); do
    grep -q "running without windows" "$log" && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
kill -TERM "$pid" 2>/dev/null || true
wait "$pid" || true
grep -q "running without windows" "$log" || { cat "$log"; exit 1; }

echo "== lintian"
lintian --no-tag-display-limit "$deb" | tee "$work/lintian.txt"
if grep -q '^E:' "$work/lintian.txt"; then
    echo "lintian reports errors"
    exit 1
fi
echo "== install, remove and purge for real"
# Only where Velmora is not installed already: the check must never remove the user's own copy.
if [[ $EUID -ne 0 ]] || dpkg -s velmora >/dev/null 2>&1; then
    echo "skipped: needs root and no installed velmora"
else
    trap 'dpkg --purge velmora >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
    dpkg -i "$deb" >/dev/null
    [[ -L /etc/systemd/system/multi-user.target.wants/velmora-gate.service ]] ||
        { echo "the gate is not enabled at boot"; exit 1; }
    if command -v systemd-analyze >/dev/null; then
        systemd-analyze --man=no verify /lib/systemd/system/velmora-gate.service
    else
        echo "systemd-analyze is missing: the unit was not verified"
    fi
    mkdir -p /var/lib/velmora-gate && echo '{}' >/var/lib/velmora-gate/check.json
    dpkg -r velmora >/dev/null
    [[ -f /var/lib/velmora-gate/check.json ]] || { echo "remove lost the gate's state"; exit 1; }
    dpkg --purge velmora >/dev/null
    [[ ! -e /var/lib/velmora-gate ]] || { echo "purge left the gate's state"; exit 1; }
    [[ ! -e /etc/systemd/system/multi-user.target.wants/velmora-gate.service ]] ||
        { echo "purge left the gate enabled"; exit 1; }
fi
echo "package checks passed"
