#!/usr/bin/env bash
# Installs everything the tests use, builds with warnings as errors, and runs every test through
# CTest; then builds the same tests with AddressSanitizer and UndefinedBehaviorSanitizer (clang)
# into build-asan and runs them again, together with a short run of each fuzzing harness.
# Arguments go to both ctest runs, e.g. -R ProgramTest.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh test

export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
VELMORA_WERROR=ON scripts/build.sh
(cd build && ctest --output-on-failure --timeout 600 "$@")

# Unoptimised: it compiles in half the time, and the sanitizers see every access.
CC=clang CXX=clang++ cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DVELMORA_WERROR=ON -DVELMORA_SANITIZE=ON >/dev/null
cmake --build build-asan
cd build-asan
# Leaks are the fuzzers' business; the tests' own ends leave Qt's and the libraries' globals.
# The package is checked once, from the plain build.
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --output-on-failure --timeout 900 -E '^package\.' "$@"
