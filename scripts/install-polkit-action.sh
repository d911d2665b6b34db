#!/usr/bin/env bash
# Puts Velmora's polkit action in place, so the desktop's authentication dialog can confirm the
# owner before Velmora quits. Does nothing when the installed copy is already the same.
set -euo pipefail
cd "$(dirname "$0")/.."

source=resources/com.tarnwick.Velmora.policy
target=/usr/share/polkit-1/actions/com.tarnwick.Velmora.policy
cmp -s "$source" "$target" && exit 0

sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then
    if ! command -v sudo >/dev/null; then
        # Not fatal: without the action, quitting is simply never held back.
        echo "Cannot install $target without root; quit protection stays unavailable." >&2
        exit 0
    fi
    sudo_cmd=(sudo)
fi
"${sudo_cmd[@]}" install -D -m 0644 "$source" "$target"
