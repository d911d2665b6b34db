#!/usr/bin/env bash
# Builds Velmora and leaves its Debian package, velmora_<version>_<arch>.deb, in build/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh package
scripts/build.sh
cd build
cpack -G DEB
ls velmora_*.deb
