#!/usr/bin/env bash
# Installs everything the tests use, builds with warnings as errors, and runs every test through
# CTest; then builds the same tests with AddressSanitizer and UndefinedBehaviorSanitizer (clang)
# into build-asan and runs them again, together with a short run of each fuzzing harness.
# Arguments go to both ctest runs, e.g. -R ProgramTest.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh test

# QtTest's skip lines in a CTest JUnit file, as "Class::function(data) reason".
skipped_functions() {
    grep -oE 'SKIP   : [A-Za-z_][A-Za-z0-9_]*::[A-Za-z_][A-Za-z0-9_]*\(.*' "$1" |
        sed -e 's/^SKIP   : //' -e "s/&quot;/\"/g; s/&apos;/'/g; s/&lt;/</g; s/&gt;/>/g; s/&amp;/\&/g" ||
        true
}

# The names scripts/allowed-skips excuses, as skip lines start: "Class::function(" for every data
# row, "Class::function(row)" for one.
allowed_skips() {
    grep -v '^#' scripts/allowed-skips | awk 'NF { print ($1 ~ /\(/) ? $1 : $1 "(" }'
}

# Those of the given skip lines that scripts/allowed-skips does not excuse.
unexcused() {
    printf '%s\n' "$@" | grep -vFf <(allowed_skips) || true
}

# Runs ctest in a build folder, then names every skipped test function and why. As root (as CI
# runs) nothing the tests need is out of reach, so a skip hides a missing tool and fails the run,
# unless scripts/allowed-skips names that function with what this kind of machine lacks.
run_tests() {
    local dir=$1
    shift
    # Skipped tests keep their output up to this size; the reasons are read from it.
    (cd "$dir" && ctest --output-on-failure --output-junit "$PWD/Testing/junit.xml" \
        --test-output-size-failed 10000000 "$@")
    local skips unexpected
    mapfile -t skips < <(skipped_functions "$dir/Testing/junit.xml")
    [[ ${#skips[@]} -gt 0 ]] || return 0
    echo "Skipped:"
    printf '  %s\n' "${skips[@]}"
    [[ $(id -u) -eq 0 ]] || return 0
    mapfile -t unexpected < <(unexcused "${skips[@]}")
    [[ ${#unexpected[@]} -gt 0 ]] || return 0
    echo "Skipped although run as root, and not excused by scripts/allowed-skips:" >&2
    printf '  %s\n' "${unexpected[@]}" >&2
    return 1
}

export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
VELMORA_WERROR=ON scripts/build.sh
run_tests build --timeout 600 "$@"

# Unoptimised: it compiles in half the time, and the sanitizers see every access.
CC=clang CXX=clang++ cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DVELMORA_WERROR=ON -DVELMORA_SANITIZE=ON >/dev/null
cmake --build build-asan
# Leaks are the fuzzers' business; the tests' own ends leave Qt's and the libraries' globals.
# The package is checked once, from the plain build.
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
    run_tests build-asan --timeout 900 -E '^package\.' "$@"
