#!/usr/bin/env bash
# Configures and builds into build/ (RelWithDebInfo): the named targets, or everything. Installs
# nothing (scripts/install-deps.sh does). Warnings are errors only with VELMORA_WERROR=ON, so that a
# user's newer compiler still builds the program.
# Usage: build.sh [target...]
set -euo pipefail
cd "$(dirname "$0")/.."
# Lets clones and work trees in other folders share compiled objects.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVELMORA_WERROR="${VELMORA_WERROR:-OFF}" >/dev/null
targets=()
for target in "$@"; do
    targets+=(--target "$target")
done
cmake --build build "${targets[@]}"
