#!/usr/bin/env bash
# Brings every Debian package that building, running and testing Velmora needs onto the machine.
# Quick and silent when everything is already there; runs apt-get only for what is missing.
set -euo pipefail

packages=(
    # build
    cmake ninja-build g++ pkg-config clang-format ccache lld
    # the sanitizer build and the fuzzing harnesses
    clang libclang-rt-14-dev
    qt6-base-dev qt6-declarative-dev qt6-svg-dev libblkid-dev libxcb1-dev libx11-dev
    libxcb-keysyms1-dev libxcb-xtest0-dev
    # run: Qt Quick modules, platform plugins, fonts for every interface language
    qml6-module-qtquick qml6-module-qtquick-controls qml6-module-qtquick-window
    qml6-module-qtquick-layouts qml6-module-qtquick-templates qml6-module-qtqml-workerscript
    qml6-module-qtquick-shapes qml6-module-qt5compat-graphicaleffects libqt6svg6 qt6-qpa-plugins
    adwaita-icon-theme
    fonts-noto-cjk fonts-dejavu-core dbus
    # tests: a display, a window manager, private D-Bus services, real filesystems
    xvfb xauth openbox xdotool x11-utils python3-dbusmock dbus-x11
    # two screens for the overlay windows: Xorg's dummy driver has several outputs, set by xrandr
    xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
    e2fsprogs dosfstools util-linux mount
    # installing and packaging: icon sizes, the package, and the desktop's validators
    librsvg2-bin dpkg-dev file desktop-file-utils appstream lintian
    # Wayland: the protocols' client code; a headless compositor, its screenshots, typing and a
    # Wayland terminal for the tests
    libwayland-dev wayland-protocols sway grim wtype foot wayland-utils
    # X11 windows inside the compositor, for the activation tests
    xwayland
)

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
if [[ ${#missing[@]} -gt 0 ]]; then
    echo "Installing missing packages: ${missing[*]}"
    sudo_cmd=()
    if [[ $(id -u) -ne 0 ]]; then
        command -v sudo >/dev/null || { echo "Need root or sudo to install: ${missing[*]}" >&2; exit 1; }
        sudo_cmd=(sudo)
    fi
    "${sudo_cmd[@]}" apt-get update -q
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

"$(dirname "$0")/install-polkit-action.sh"
