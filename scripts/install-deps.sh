#!/usr/bin/env bash
# Brings the Debian packages Velmora needs onto the machine, through apt-get (with sudo when not
# root). Quick and silent when everything is already there; runs apt-get only for what is missing.
# Usage: install-deps.sh run       building and running the program
#        install-deps.sh package   building the program and its Debian package
#        install-deps.sh test      all of these, and what the tests and the sanitizer build use
set -euo pipefail

# Loaded by name while the program runs: Qt Quick modules, platform plug-ins, the cursor theme, fonts
# for every interface language (the CJK fonts cover the zh-Hans, ja and ko texts), the buses it
# talks on, and polkit, which asks for the password to quit.
run_packages=(
    qml6-module-qtquick qml6-module-qtquick-controls qml6-module-qtquick-window
    qml6-module-qtquick-layouts qml6-module-qtquick-templates qml6-module-qtqml-workerscript
    qml6-module-qtquick-shapes qml6-module-qt5compat-graphicaleffects libqt6svg6 qt6-qpa-plugins
    adwaita-icon-theme fonts-noto-cjk fonts-dejavu-core dbus polkitd
)

# Configuring and compiling the whole tree (the icons are drawn at build time).
build_packages=(
    cmake ninja-build g++ pkg-config ccache lld
    qt6-base-dev qt6-declarative-dev qt6-svg-dev libblkid-dev libxcb1-dev libx11-dev
    libxcb-keysyms1-dev libxcb-xtest0-dev libwayland-dev wayland-protocols librsvg2-bin
    libpolkit-agent-1-dev plasma-wayland-protocols
)

# The Debian package: dpkg-shlibdeps finds the libraries it depends on.
package_packages=(dpkg-dev file)

test_packages=(
    # formatting before a commit
    clang-format
    # the sanitizer build and the fuzzing harnesses; the unversioned runtime follows clang's version
    clang libclang-rt-dev
    # a display, a window manager, private D-Bus services, real filesystems
    xvfb xauth openbox xdotool x11-utils python3-dbusmock dbus-x11
    # two screens for the overlay windows: Xorg's dummy driver has several outputs, set by xrandr
    xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
    e2fsprogs dosfstools util-linux mount
    # the desktop's validators of the installed files and the package
    desktop-file-utils appstream lintian
    # a headless Wayland compositor, its screenshots, typing, a Wayland terminal, and X11 windows
    # inside it
    sway grim wtype foot wayland-utils xwayland
)

case "${1:-}" in
run) packages=("${run_packages[@]}" "${build_packages[@]}") ;;
package) packages=("${build_packages[@]}" "${package_packages[@]}") ;;
test)
    packages=("${run_packages[@]}" "${build_packages[@]}" "${package_packages[@]}"
        "${test_packages[@]}")
    ;;
*)
    echo "usage: $0 run|package|test" >&2
    exit 2
    ;;
esac

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then
    command -v sudo >/dev/null || { echo "Need root or sudo to install: ${missing[*]}" >&2; exit 1; }
    sudo_cmd=(sudo)
fi
"${sudo_cmd[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
