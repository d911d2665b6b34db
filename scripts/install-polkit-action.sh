#!/usr/bin/env bash
# Puts Velmora's polkit action in place for a copy run from the source tree, so the desktop's
# authentication dialog can confirm the owner before Velmora quits. The package installs the same
# file. Run as root; does nothing when the installed copy is already the same.
set -euo pipefail
cd "$(dirname "$0")/.."

source=resources/com.tarnwick.Velmora.policy
target=/usr/share/polkit-1/actions/com.tarnwick.Velmora.policy
cmp -s "$source" "$target" && exit 0
if [[ $(id -u) -ne 0 ]]; then
    echo "Installing $target needs root: sudo $0" >&2
    exit 1
fi
install -D -m 0644 "$source" "$target"
