#!/usr/bin/env bash
# Installs what building and running need, builds the program, and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh run
scripts/build.sh velmora
if [[ ! -f /usr/share/polkit-1/actions/com.tarnwick.Velmora.policy ]]; then
    echo "Without Velmora's polkit action, quitting is never held back by a password; install the" \
        "package (scripts/package.sh) or run scripts/install-polkit-action.sh as root." >&2
fi
exec build/velmora "$@"
